#pragma once
// The per-user folders of the desktop the program runs on: where it keeps the
// settings and list files when it is not started beside a settings file,
// where its logs go, and where the user's pictures are. All values end with
// the platform separator; empty when the environment names no home.

#include "frame/Environment.h"

#include <QString>

namespace vardolin::frame {

// The base of the user's configuration: $XDG_CONFIG_HOME, else $HOME/.config
// (%APPDATA% on Windows). A relative value of an XDG variable is ignored, as
// the desktop's conventions ask.
QString userConfigBase(const Environment& environment);

// userConfigBase + "vardolin/" (%APPDATA%\Vardolin\ on Windows).
QString userConfigFolder(const Environment& environment);

// $XDG_STATE_HOME/vardolin/, else $HOME/.local/state/vardolin/
// (%LOCALAPPDATA%\Vardolin\ on Windows).
QString userStateFolder(const Environment& environment);

// The user's pictures folder as the desktop names it (XDG_PICTURES_DIR in
// user-dirs.dirs of the configuration base, or in the environment), when that
// folder exists; else the home folder (%USERPROFILE% on Windows).
QString picturesFolder(const Environment& environment);

// Makes the folder and the missing levels above it, readable by the user
// only (others have no business with a program's settings or logs). True
// when the folder exists afterwards.
bool makeUserFolder(const QString& folder);

} // namespace vardolin::frame

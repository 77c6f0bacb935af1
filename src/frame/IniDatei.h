#pragma once
// The settings file: the user's choices, kept between runs in
// uAktVerz + "Vardolin.ini", group "Standard"; the Extra menu's choices for
// the copies in group "Extra", written only once one was made.

#include "frame/FrameContext.h"
#include "frame/Settings.h"

#include <QString>
#include <QStringList>

namespace vardolin::frame {

// The 18 keys in the order in which they are read and written.
const QStringList& settingsKeys();

// "Vardolin.ini": the first word of the program's name and ".ini".
QString settingsFileName();

// The settings file's path for this context.
QString settingsFilePath(const FrameContext& context);

// The record with its defaults overlaid by the values stored in the file at
// path, as "#READ" fills it; a missing or unreadable file gives the
// defaults. IniFile becomes path.
void readSettingsFile(Settings& settings, const QString& path);

// "#READ" fills the record with defaults overlaid by the stored values;
// "#WRITE" stores the record. Any other mode shows an error message.
void IniDatei(Settings& settings, const FrameContext& context, const QString& mode);

} // namespace vardolin::frame

#pragma once
// The facts about the running program and its surroundings that the standard
// start collects once for every unit. Folder values end with the platform
// separator. Owned by the program entry and passed by reference.

#include "frame/Version.h"

#include <QString>

namespace vardolin::frame {

inline const QString kAnwendung = QStringLiteral("Vardolin");
inline const QString kPgmVersion = QStringLiteral("V " VARDOLIN_VERSION);

struct FrameContext {
    QString uAnwendung;    // the program's own name
    QString uExeDatei;     // full path of the executable
    QString uExePgm;       // its file part
    QString uExeVerz;      // its path part; the working folder in test mode
    QString uAktVerz;      // working folder at start, with a trailing separator (SettingsFolder.h)
    QString uTempVerz;     // temporary folder, separator-terminated when set
    QString uAnwVerz;      // per-user configuration folder
    QString uUserId;       // user name, upper case
    QString uSystemRoot;   // the system folder
    QString uComputerName; // host name, upper case
    int uPgmInstanz = 0;   // running processes of this executable, itself included
    QString uPgmVersion;   // "V 1.07"
    int uTestLauf = 0;     // 1 in test mode
    int DebugFileAnw = 0;  // threshold for the start and end lines
    int DebugFileWin = 0;  // kept only
    int DebugFileProc = 0; // threshold for the procedures unit's lines
    // uAktVerz is the per-user configuration folder, since the folder the
    // program was started in holds no settings file.
    bool settingsInUserConfig = false;
};

} // namespace vardolin::frame

#include "frame/StandardStart530.h"

#include "frame/SettingsFolder.h"
#include "frame/UserFolders.h"

#include "util/Files.h"
#include "util/IniFile.h"
#include "util/Paths.h"
#include "util/Text.h"

#include <algorithm>
#include <limits>

namespace vardolin::frame {

namespace {

const QString kUnit = QStringLiteral("StandardStart530");
const QString kProcedure = QStringLiteral("z_StandardStart");

// A folder value with the separator appended; an unset value still gives the
// separator alone. Outside Windows an existing separator is not doubled.
QString folderValue(const QString& value)
{
#ifdef Q_OS_WIN
    return value + util::separator();
#else
    return value.isEmpty() ? QString(util::separator()) : util::withTrailingSeparator(value);
#endif
}

void debugLine(StandardProc& proc, const FrameContext& context, int line, const QString& text, int level)
{
    if (!text.isEmpty()) {
        proc.s_Debug(kUnit, kProcedure, line, text, level, 1, 0, context.DebugFileAnw);
    }
}

int thresholdValue(const util::IniFile& ini, const QString& key, int current)
{
    const qint64 value = util::integerValue(ini.value(QStringLiteral("Standard"), key, util::decimalText(current)));
    return static_cast<int>(
        std::clamp<qint64>(value, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

void readDebugIni(FrameContext& context)
{
    const QString path = context.uAktVerz + QStringLiteral("debug.ini");
    if (util::sizeTest(path) <= 0) {
        return;
    }
    const auto ini = util::IniFile::read(path);
    if (!ini) {
        return;
    }
    context.DebugFileAnw = thresholdValue(*ini, QStringLiteral("DebugFileAnw"), context.DebugFileAnw);
    context.DebugFileWin = thresholdValue(*ini, QStringLiteral("DebugFileWin"), context.DebugFileWin);
    context.DebugFileProc = thresholdValue(*ini, QStringLiteral("DebugFileProc"), context.DebugFileProc);
}

void collectSurroundings(FrameContext& context, const Environment& environment)
{
    context.uAnwendung = kAnwendung;
    context.uExeDatei = s_ExeFile(environment);
    context.uExePgm = util::filePart(context.uExeDatei);
    context.uExeVerz = util::pathPart(context.uExeDatei);
    const SettingsFolder settingsFolder = settingsFolderFor(s_CurrentDir(environment), environment);
    context.uAktVerz = settingsFolder.folder;
    context.settingsInUserConfig = settingsFolder.isUserConfig;
    context.uTempVerz = s_TempDir(environment);
    context.uAnwVerz = folderValue(applicationDataFolder(environment));
    context.uUserId = util::upperCase(userName(environment));
    context.uSystemRoot = folderValue(systemRootFolder(environment));
    context.uComputerName = util::upperCase(computerName(environment));
}

void handOver(const FrameContext& context, ProcValues& values)
{
    values.uAnwendung = context.uAnwendung;
    values.uExeDatei = context.uExeDatei;
    values.uExePgm = context.uExePgm;
    values.uExeVerz = context.uExeVerz;
    values.uAktVerz = context.uAktVerz;
    values.uAnwVerz = context.uAnwVerz;
    values.uUserId = context.uUserId;
    values.uComputerName = context.uComputerName;
    values.DebugFileProc = context.DebugFileProc;
}

void decideTestMode(FrameContext& context, StandardProc& proc)
{
    if (util::upperCase(context.uExePgm).contains(QStringLiteral("TESTBUILD"))) {
        context.uTestLauf = 1;
        debugLine(proc, context, __LINE__, QString::fromUtf8("Programm läuft als Test = ja"), 5);
        context.uExeVerz = context.uAktVerz;
    } else {
        context.uTestLauf = 0;
        debugLine(proc, context, __LINE__, QString::fromUtf8("Programm läuft als Test = Nein"), 5);
    }
    proc.values().uTestLauf = context.uTestLauf;
}

void writeValueLines(const FrameContext& context, StandardProc& proc, const QString& mainSourceFile)
{
    const auto write = [&](int line, const QString& text) { debugLine(proc, context, line, text, 5); };
    write(__LINE__, QStringLiteral("Anwendung   =") + context.uAnwendung);
    write(__LINE__, QStringLiteral("Sourcefile  =") + mainSourceFile);
    write(__LINE__, QStringLiteral("Standardvariabeln setzen"));
    write(__LINE__, QStringLiteral("uPgmInstanz =") + util::decimalText(context.uPgmInstanz));
    write(__LINE__, QStringLiteral("uExeDatei   =") + context.uExeDatei);
    write(__LINE__, QStringLiteral("uExeVerz    =") + context.uExeVerz);
    write(__LINE__, QStringLiteral("uExePgm     =") + context.uExePgm);
    write(__LINE__, QStringLiteral("uAktVerz    =") + context.uAktVerz);
    write(__LINE__, QStringLiteral("uTempVerz   =") + context.uTempVerz);
    write(__LINE__, QStringLiteral("uAnwVerz    =") + context.uAnwVerz);
    write(__LINE__, QStringLiteral("uUserId     =") + context.uUserId);
    write(__LINE__, QStringLiteral("uSystemRoot$=") + context.uSystemRoot);
}

} // namespace

QString applicationDataFolder(const Environment& environment)
{
#ifdef Q_OS_WIN
    return s_GetEnv(environment, QStringLiteral("APPDATA"));
#else
    return util::withoutTrailingSeparators(userConfigBase(environment));
#endif
}

QString userName(const Environment& environment)
{
#ifdef Q_OS_WIN
    return s_GetEnv(environment, QStringLiteral("USERNAME"));
#else
    const QString user = s_GetEnv(environment, QStringLiteral("USER"));
    return user.isEmpty() ? s_GetEnv(environment, QStringLiteral("LOGNAME")) : user;
#endif
}

QString systemRootFolder(const Environment& environment)
{
#ifdef Q_OS_WIN
    return s_GetEnv(environment, QStringLiteral("SystemRoot"));
#else
    Q_UNUSED(environment);
    return QStringLiteral("/");
#endif
}

QString computerName(const Environment& environment)
{
#ifdef Q_OS_WIN
    return s_GetEnv(environment, QStringLiteral("COMPUTERNAME"));
#else
    return environment.hostName();
#endif
}

void z_StandardStart(FrameContext& context, StandardProc& proc, const QString& mainSourceFile)
{
    const Environment& environment = proc.environment();
    collectSurroundings(context, environment);
    readDebugIni(context);
    handOver(context, proc.values());
    debugLine(proc, context, __LINE__, util::padRight(QStringLiteral("--- Start "), 165, u'-'), 5);
    decideTestMode(context, proc);
    // Test mode would run the developer tools here; this build has none.
    context.uPgmInstanz = s_CountInstances(environment, context.uExePgm, 1);
    proc.values().uPgmInstanz = context.uPgmInstanz;
    writeValueLines(context, proc, mainSourceFile);
    context.uPgmVersion = util::trim(QStringLiteral("  ") + kPgmVersion);
    debugLine(proc, context, __LINE__, QStringLiteral("--- Ende ") + QString(165, u'-'), 2);
}

} // namespace vardolin::frame

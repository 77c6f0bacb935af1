#pragma once
// The surroundings vardolin-batch is started in by the tests: a home folder of
// the test's own, so that no settings of the machine's user reach the run,
// and a locale named outright, so that its words do not depend on the
// machine's.

#include <QDir>
#include <QProcessEnvironment>
#include <QString>

namespace vardolin::cli::testing {

inline constexpr char kGerman[] = "de_DE.UTF-8";
inline constexpr char kEnglish[] = "C.UTF-8";

inline QProcessEnvironment commandEnvironment(const QString& home, const char* locale = kGerman)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG", "LANGUAGE", "XDG_CONFIG_HOME", "XDG_STATE_HOME"})
        environment.remove(QString::fromLatin1(name));
    QDir().mkpath(home);
    environment.insert(QStringLiteral("HOME"), home);
    environment.insert(QStringLiteral("LC_ALL"), QString::fromLatin1(locale));
    return environment;
}

} // namespace vardolin::cli::testing

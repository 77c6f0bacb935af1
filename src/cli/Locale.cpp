#include "cli/Locale.h"

#include <QRegularExpression>

namespace vardolin::cli {

util::Language languageOfLocale(const QString& lcAll, const QString& lcMessages, const QString& lang)
{
    static const QRegularExpression german(QStringLiteral("^de([_.@]|$)"));
    for (const QString& value : {lcAll, lcMessages, lang}) {
        if (!value.isEmpty())
            return german.match(value).hasMatch() ? util::Language::German : util::Language::English;
    }
    return util::Language::English;
}

util::Language languageOfEnvironment()
{
    return languageOfLocale(qEnvironmentVariable("LC_ALL"), qEnvironmentVariable("LC_MESSAGES"),
                            qEnvironmentVariable("LANG"));
}

} // namespace vardolin::cli

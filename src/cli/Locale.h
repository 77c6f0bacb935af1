#pragma once
// The language vardolin-batch speaks: the one the user's locale names for
// messages, as other commands in a shell do.

#include "util/Language.h"

#include <QString>

namespace vardolin::cli {

// The first of LC_ALL, LC_MESSAGES and LANG that is set and not empty
// decides: German for a locale whose language is "de" (de, de_DE.UTF-8,
// de_AT@euro), English for any other (C, POSIX, en_GB.UTF-8) and when none
// is set.
util::Language languageOfLocale(const QString& lcAll, const QString& lcMessages, const QString& lang);

// The same, from the process's environment.
util::Language languageOfEnvironment();

} // namespace vardolin::cli

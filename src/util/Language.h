#pragma once
// The two languages the programs speak. A text the user reads is written
// where it is made in both forms, German first, and the caller's language
// picks one: words(language, u"Kopiere", u"Copying").

#include <QString>

namespace vardolin::util {

enum class Language { German, English };

inline QString words(Language language, const QString& german, const QString& english)
{
    return language == Language::English ? english : german;
}

} // namespace vardolin::util

#include "app/SprachTexte.h"

using namespace Qt::StringLiterals;

namespace vardolin::app {
namespace {

MenuTexts englishMenuTexts()
{
    return {u"File"_s, u"Exit"_s, u"Extra"_s, u"Language"_s, u"German"_s, u"English"_s, u"Info"_s};
}

void fillCaptions(CaptionTexts& texts, bool english)
{
    for (const Control& row : controlTable)
        if (row.caption.german)
            texts.control[row.number] = QString::fromUtf16(english ? row.caption.english : row.caption.german);
    texts.restartNotice = english ? u"Please restart the program"_s : u"Bitte starten Sie das Programm neu !"_s;
    texts.stopCaption = english ? u"Stop"_s : u"Abbrechen"_s;
}

} // namespace

MenuTexts germanMenuTexts()
{
    return {u"Datei"_s, u"Programm beenden"_s, u"Extra"_s, u"Sprache"_s, u"Deutsch"_s, u"Englisch"_s, u"Info"_s};
}

bool isEnglish(const QString& language)
{
    return language.toUpper() == u"GB";
}

void SprachTexte(CaptionTexts& texts, const QString& mode, const QString& language,
                 const std::function<void(const MenuTexts&)>& rebuildMenu)
{
    const QString upperMode = mode.toUpper();
    const bool english = isEnglish(language);
    if (upperMode.contains(u"#T"))
        fillCaptions(texts, english);
    if (upperMode.contains(u"#M")) {
        texts.menu = english ? englishMenuTexts() : germanMenuTexts();
        if (rebuildMenu)
            rebuildMenu(texts.menu);
    }
}

} // namespace vardolin::app

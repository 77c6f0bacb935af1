#include "app/SprachTexte.h"

using namespace Qt::StringLiterals;

namespace vardolin::app {
namespace {

void fillCopyMenuTexts(MenuTexts& texts, bool english)
{
    for (std::size_t i = 0; i < copyMenuItems.size(); ++i)
        texts.kopie[i] = QString::fromUtf16(english ? copyMenuItems[i].english : copyMenuItems[i].german);
    texts.kopieformat = english ? u"Copy format"_s : u"Format der Kopien"_s;
}

MenuTexts englishMenuTexts()
{
    MenuTexts texts{u"File"_s, u"Exit"_s, u"Extra"_s, u"Language"_s, u"German"_s, u"English"_s, u"Info"_s, {}, {}};
    fillCopyMenuTexts(texts, true);
    return texts;
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
    MenuTexts texts{
        u"Datei"_s, u"Programm beenden"_s, u"Extra"_s, u"Sprache"_s, u"Deutsch"_s, u"Englisch"_s, u"Info"_s, {}, {}};
    fillCopyMenuTexts(texts, false);
    return texts;
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

#include "app/SprachTexte.h"

using namespace Qt::StringLiterals;

namespace vardolin::app {
namespace {

struct Caption {
    int control;
    const char16_t* german;
    const char16_t* english;
};

// Captioned controls in number order, as the window table gives them.
constexpr Caption captions[] = {
    {3, u"Grösse", u"Size"},
    {4, u"Qualität", u"Quality"},
    {5, u"Bild", u"Picture"},
    {6, u"Ausgabe", u"Output"},
    {7, u"Gleicher Ordner Prefix", u"Same Folder Prefix"},
    {8, u"Ausgewählter Ordner", u"Select Folder"},
    {9, u"Gleicher Ordner Suffix", u"Same Folder Suffix"},
    {10, u"Unterordner", u"Sub Folder"},
    {15, u"Start", u"Start"},
    {16, u"Dateidatum/ -zeit", u"Timestamp"},
    {17, u"unverändert", u"unchanging"},
    {18, u"heutiges", u"today"},
    {19, u"Programm beenden", u"Quit"},
    {20, u"mit Unterordner", u"with Sub Folder"},
    {21, u"Immer Prefix", u"Always Prefix"},
    {22, u"Immer Suffix", u"Always Suffix"},
    {25, u"Dateiauswahl (z.B. '*.jpg')", u"File select (Example '*.jpg')"},
    {27, u"Dateien gefunden", u"File find"},
    {29, u"Datei überschreiben", u"File overwrite"},
    {30, u"Unterordner vom Quellverzeichnis übernehmen", u"Add Sub Folder from Source"},
    {31, u"Neue Ordner", u"New Folder"},
    {35, u"Exclude", u"Exclude"},
    {36, u"Include", u"Include"},
};

MenuTexts englishMenuTexts()
{
    return {u"File"_s, u"Exit"_s, u"Extra"_s, u"Language"_s, u"German"_s, u"English"_s, u"Info"_s};
}

void fillCaptions(CaptionTexts& texts, bool english)
{
    for (const Caption& caption : captions)
        texts.control[caption.control] = QString::fromUtf16(english ? caption.english : caption.german);
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

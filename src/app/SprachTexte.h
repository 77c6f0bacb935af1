#pragma once
// The caption texts of the main window in German or English. They are filled
// once before the window exists ("#T"); the menu texts are filled and the menu
// rebuilt with "#M". Nothing is relabelled while the program runs.

#include "app/ControlTable.h"
#include "app/MenuItems.h"

#include <QString>

#include <array>
#include <functional>

namespace vardolin::app {

struct MenuTexts {
    QString datei;    // first title
    QString beenden;  // item 0
    QString extra;    // second title
    QString sprache;  // submenu of the second title
    QString deutsch;  // item 1
    QString englisch; // item 2
    QString info;     // third title and item 3
    // The Extra menu's choices for the copies: items 4 to 10 in the order of
    // copyMenuItems, and the title of the submenu of formats.
    std::array<QString, copyMenuItems.size()> kopie;
    QString kopieformat;
};

struct CaptionTexts {
    std::array<QString, controlCount> control; // empty for uncaptioned controls
    QString restartNotice;
    QString stopCaption; // the quit button's caption while a batch runs
    MenuTexts menu;
};

// English when the language is "GB" in any letter case, German otherwise.
bool isEnglish(const QString& language);

// The mode is searched, upper-cased, for "#T" (fill captions and the restart
// notice) and "#M" (fill the menu texts, then call rebuildMenu when given).
void SprachTexte(CaptionTexts& texts, const QString& mode, const QString& language,
                 const std::function<void(const MenuTexts&)>& rebuildMenu = {});

MenuTexts germanMenuTexts();

} // namespace vardolin::app

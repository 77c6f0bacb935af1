#pragma once
// The main window's menu items by number, and the Extra menu's choices for
// the copies, each described once: the settings field (group "Extra") it
// shows and sets, the value it stores when chosen (none: a switch storing
// "1" or "0") and its texts in German and English. The menu is built from
// this table, SprachTexte fills its texts from it, and the settings go in and
// out through it.

#include "frame/Settings.h"

#include <array>

namespace vardolin::app {

// Menu item numbers.
namespace menu {
inline constexpr int Beenden = 0, Deutsch = 1, Englisch = 2, Info = 3;
inline constexpr int Metadaten = 4, Aufnahmeort = 5, FormatWieQuelle = 6, FormatJpeg = 7, FormatWebp = 8,
                     FormatAvif = 9, JpegOptimieren = 10;
inline constexpr int Count = 11;
} // namespace menu

struct CopyMenuItem {
    int number;
    QString ExtraSettings::*field;
    const char16_t* value; // the format word the item chooses; nullptr: a switch
    const char16_t* german;
    const char16_t* english;
};

// In menu order; the items that choose a value make up the submenu "Format
// der Kopien" / "Copy format", one of them checked.
// clang-format off
inline constexpr std::array<CopyMenuItem, 7> copyMenuItems{{
    {menu::Metadaten,       &ExtraSettings::MetadatenBehalten, nullptr, u"Metadaten behalten",   u"Keep metadata"},
    {menu::Aufnahmeort,     &ExtraSettings::OrtBehalten,       nullptr, u"Aufnahmeort behalten", u"Keep location"},
    {menu::FormatWieQuelle, &ExtraSettings::Kopieformat,       u"keep", u"wie die Quelle",       u"as the source"},
    {menu::FormatJpeg,      &ExtraSettings::Kopieformat,       u"jpeg", u"JPEG",                 u"JPEG"},
    {menu::FormatWebp,      &ExtraSettings::Kopieformat,       u"webp", u"WebP",                 u"WebP"},
    {menu::FormatAvif,      &ExtraSettings::Kopieformat,       u"avif", u"AVIF",                 u"AVIF"},
    {menu::JpegOptimieren,  &ExtraSettings::JpegOptimieren,    nullptr, u"JPEG optimieren",      u"Optimise JPEG"},
}};
// clang-format on

// The item of that number, or nullptr for an item that is no copy choice.
constexpr const CopyMenuItem* copyMenuItem(int number)
{
    for (const CopyMenuItem& item : copyMenuItems)
        if (item.number == number)
            return &item;
    return nullptr;
}

// The table's row i describes item menu::Metadaten + i.
consteval bool copyMenuItemsInNumberOrder()
{
    for (std::size_t i = 0; i < copyMenuItems.size(); ++i)
        if (copyMenuItems[i].number != menu::Metadaten + int(i))
            return false;
    return copyMenuItems.back().number + 1 == menu::Count;
}
static_assert(copyMenuItemsInNumberOrder());

} // namespace vardolin::app

#pragma once
// The choices that shape every copy beyond size and grade: which format the
// copies are written in, what they carry of their source's Exif, and whether
// JPEG copies are coded smaller. The window's Extra menu and vardolin-batch's
// options set them; the settings file keeps them (ExtraSettings).

#include "frame/Settings.h"
#include "picture/Picture.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace vardolin::batch {

// Keep: each source is written as the format table says (a JPG as JPEG, a
// PNG as PNG, a HEIC as JPEG …). The others write every copy in one format.
enum class CopyFormat { Keep, Jpeg, Webp, Avif };

// The word for a choice in the settings file and on the command line.
QString copyFormatWord(CopyFormat format);
// The choice a word names, in any letter case; nothing for another word.
std::optional<CopyFormat> copyFormatNamed(const QString& word);
// keep, jpeg, webp, avif.
QStringList copyFormatWords();

// The format and the extension of every copy in a chosen format (JPG, WEBP,
// AVIF); Keep gives Format::None.
picture::Format pictureFormatOf(CopyFormat format);
QString extensionOf(CopyFormat format);
// Whether copies in the chosen format can be written here (AVIF needs
// libheif's AV1 encoder); keep always can.
bool canWriteCopies(CopyFormat format);

struct CopyChoices {
    CopyFormat format = CopyFormat::Keep;
    picture::KeepMetadata metadata = picture::KeepMetadata::None;
    bool optimizeJpeg = false;
};

// The choices the settings hold. A switch reads as on when its number is
// not 0; a format word nobody knows reads as keep. The location is kept only
// with the metadata it belongs to: a place is never shared by a switch left
// on from before.
CopyChoices copyChoicesFrom(const ExtraSettings& extra);

} // namespace vardolin::batch

#pragma once
// The in-memory picture record and the operations of the picture engine.
// Plain C++20, no Qt: this is the hot path of every batch run.

#include "picture/Limits.h"
#include "picture/Result.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace vardolin::picture {

// Four-character code of the decoder that read a file, or of the encoder asked
// for when saving. Stored in memory order: "JPEG", "PNG\0", "BMP\0", "TIFF", "ICON",
// "HEIF" (HEIC and AVIF alike), "WEBP".
enum class Format : std::uint32_t {
    None = 0,
    Jpeg = 0x4745504Au, // 'J','P','E','G'
    Png = 0x00474E50u,  // 'P','N','G',0
    Bmp = 0x00504D42u,  // 'B','M','P',0
    Tiff = 0x46464954u, // 'T','I','F','F'
    Icon = 0x4E4F4349u, // 'I','C','O','N'
    Heif = 0x46494548u, // 'H','E','I','F'
    Webp = 0x50424557u, // 'W','E','B','P'
    Avif = 0x46495641u, // 'A','V','I','F': written only; AVIF files are read as HEIF
};

struct Size {
    std::int32_t width = 0;
    std::int32_t height = 0;
    friend bool operator==(const Size&, const Size&) = default;
};

// What the file says about its colours; empty means nothing (treated as sRGB).
struct ColourTag {
    // The channels the file's pixels had before decoding made them blue-green-red:
    // a profile is used only where it describes these.
    enum class Channels : std::uint8_t { Rgb, Gray, Cmyk };

    std::vector<std::uint8_t> iccProfile; // the embedded ICC profile, whole, as stored
    // ISO/IEC 23091-2 code points from an nclx box (HEIF/AVIF) or a PNG cICP
    // chunk; 0 = absent.
    std::uint16_t cicpPrimaries = 0, cicpTransfer = 0, cicpMatrix = 0;
    // A PNG's gAMA and cHRM chunks, for a file that says nothing else about
    // its colours, in the chunks' units of 1/100000: the exponent that
    // encodes linear light, and x, y of white, red, green and blue. 0 = absent.
    std::uint32_t gamma = 0;
    std::array<std::uint32_t, 8> chromaticities{};
    Channels channels = Channels::Rgb;

    bool hasCicp() const { return cicpPrimaries != 0; }
    bool hasChromaticities() const { return chromaticities[1] != 0; } // white's y is never 0
    bool hasGammaOrChromaticities() const { return gamma != 0 || hasChromaticities(); }
    bool empty() const { return iccProfile.empty() && !hasCicp() && !hasGammaOrChromaticities(); }
};

// A decoded picture. Pixels are held bottom-up (the first row in memory is the
// bottom row of the picture), blue-green-red at depth 24 or blue-green-red-alpha
// (not premultiplied) at depth 32, each row padded to a multiple of 4 bytes.
struct Picture {
    std::int32_t width = 0;       // of the pixel store
    std::int32_t height = 0;      // of the pixel store
    std::uint8_t depth = 0;       // 24 or 32 for decoded pictures; an icon's bit count
    std::uint8_t sourceDepth = 0; // bits per pixel as the decoder reports the file
    // A 32-bit store whose alpha the file did not have (all 255): a copy
    // written in full colour gets no alpha channel from it.
    bool alphaIsFiller = false;
    Format format = Format::None; // Format::Icon: no pixel store, so no scaling or saving
    // Width and height of the whole upright picture as the file describes it.
    // Equal to width/height unless the load decoded at a reduced DCT scale
    // (shrink-on-load); the size rule of the conversion is computed from these.
    Size fullSize;
    std::int32_t stride = 0;
    std::vector<std::uint8_t> pixels;
    // The colours the pixels are in; toSrgb (Colour.h) brings them to sRGB and
    // empties it.
    ColourTag colour;
    // The file held its pixels without loss where its format also has a lossy
    // kind (a lossless WebP): a copy in that format is then written lossless too.
    bool lossless = false;

    // A 24- or 32-bit store with pixels whose rows are all there: what scaling
    // and saving need.
    bool hasStore() const;

    std::uint8_t* row(std::int32_t memoryRow) { return pixels.data() + std::size_t(memoryRow) * std::size_t(stride); }
    const std::uint8_t* row(std::int32_t memoryRow) const
    {
        return pixels.data() + std::size_t(memoryRow) * std::size_t(stride);
    }
};

// Row length in bytes of a bottom-up store of the given width and depth.
std::int32_t strideFor(std::int32_t width, int depth);

// Something the user should hear about a picture that did load: the file is
// damaged and the picture is what it still held, or its colours were (or
// could not be) converted. A note never fails the picture; the layer above
// decides who hears it.
struct Note {
    enum class Kind : std::uint8_t {
        Damaged,         // a codec library's warning: data corrupt, cut short, a checksum wrong
        ColourConverted, // the pixels were converted to sRGB: from what, by which intent
        ColourIgnored,   // the file's colour profile or code points were not used: why
        MetadataDropped, // the file's Exif block was asked for but cannot go into the copy: why
    };
    Kind kind;
    std::string text;
    // ColourConverted only: what the colours were converted from (a profile's
    // own name, code points, PNG chunks) and by which rendering intent, apart
    // from the words, for reports that scripts read.
    std::string from = {};
    std::string intent = {};
    friend bool operator==(const Note&, const Note&) = default;
};
using Notes = std::vector<Note>;

// What a copy carries of its source besides the pixels, made ready on the
// decoding side (which alone parses the file's bytes): the encoder embeds it
// as it is.
struct Metadata {
    // The source's Exif as a TIFF structure ("II*\0" or "MM\0*" first), at
    // most kMaxExifBytes: orientation 1 (the pixels are upright), the pixel
    // sizes of the copy, colour space sRGB, and no thumbnail, maker note or
    // (unless asked for) GPS tags. Empty: nothing to carry.
    std::vector<std::uint8_t> exif;

    // What one JPEG APP1 segment holds after its "Exif\0\0" header.
    static constexpr std::size_t kMaxExifBytes = 65533 - 6;
};

// What a load gives: the picture, what the user should hear about it, and
// what its copy is to carry.
struct Decoded {
    Picture picture;
    Notes notes;
    Metadata metadata;
};

// Which of the source's Exif a load makes ready for the copy.
enum class KeepMetadata : std::uint8_t {
    None,            // nothing is read
    WithoutLocation, // date, camera, exposure, copyright, description …; every GPS tag removed
    WithLocation,    // the same with the GPS tags
};

class ColourCache;

struct LoadOptions {
    Limits limits;
    // Shrink-on-load: given the full upright size, returns the size the caller
    // will scale to. A JPEG is then decoded at a reduced DCT scale and, when
    // that size shrinks it, averaged down to it as its rows arrive (the area
    // average of scalePicture), so it comes back at that size; so does an
    // opaque HEIF picture, whose decoded rows go the same way, and an opaque
    // WebP, decoded at that size by the library's own area average. fullSize
    // keeps the file's own. Empty: decode at full size.
    std::function<Size(Size fullUpright)> targetSizeFor;
    // Apply the Exif orientation of a JPEG to its pixels.
    bool applyExifOrientation = true;
    // The Exif block of a JPEG, HEIF or WebP file, cleaned for a copy of the
    // size targetSizeFor gives (Decoded::metadata); a block that cannot be
    // read is left out with a note, never failing the load.
    KeepMetadata metadata = KeepMetadata::None;
    // Where the conversions applied while decoding are looked up: a CMYK
    // file's profile (its CMYK channels are gone afterwards) and a 16-bit
    // picture's (before the reduction to 8 bits). Null: a cache for this one
    // load.
    ColourCache* colourCache = nullptr;
    // Told the size a HEIF file states for its picture, once it is held to
    // the limits and before libheif decodes it, which may decode far more
    // (a grid's canvas is not held to the stated size): the decode process
    // narrows its memory limit to what that size needs. Empty: nothing.
    std::function<void(std::uint64_t statedPixels)> beforeDecodingPixels;
};

enum class ScaleMode { Smooth = 0, Raw = 1 };

// Reads the whole file into one buffer and decodes it with the first row of
// the format table (Formats.h) whose probe accepts its bytes: the name plays
// no part.
Result<Decoded> loadPicture(const std::filesystem::path& file, const LoadOptions& options = {});
// Same, from bytes already in memory (used by tests and the fuzzers).
Result<Decoded> decodePicture(const std::uint8_t* data, std::size_t size, const LoadOptions& options = {});

// Readies every codec library before the first load (libheif registers its
// codecs); a load does it itself when this was not called. The decode process
// calls it before its sandbox closes.
void readyCodecLibraries();

// Scales to newWidth x newHeight, which must fit the limits. The new store has
// depth max(24, depth). The same size succeeds without change; on failure the
// picture is unchanged.
Result<void> scalePicture(Picture& picture, std::int32_t newWidth, std::int32_t newHeight,
                          ScaleMode mode = ScaleMode::Smooth, const Limits& limits = {});

// What is done when the file's name is taken already. The file is always
// made anew and never written through a link. What already has its name is
// replaced (a link itself, not what it points to), or with Refused left as it
// is and the save fails: for a name in a folder others may write to, where it
// may have been planted.
enum class ExistingName { Replaced, Refused };

// How a quality grade becomes an encoder's quality.
enum class QualityScale : std::uint8_t {
    // The format's own rule (JPEG and WebP: the grade times 10): a source
    // copied in its own format, as it always was.
    Own,
    // Measured so that a copy at a grade looks about as good as the JPEG
    // copy at that grade (equal SSIM over a set of photos): copies written
    // in a format the user chose.
    LooksLikeJpeg,
};

struct SaveOptions {
    Format format = Format::None;
    // The quality grade of the formats with a lossy kind (the format
    // table's quality rules); BMP and PNG do not use it.
    int qualityGrade = 7;
    QualityScale scale = QualityScale::Own;
    // Without it the source's depth is written where the format can, else
    // full colour.
    std::optional<int> requestedDepth;
    // JPEG: optimised Huffman tables and progressive scans. Every decoded
    // pixel is that of the plain copy; the file is smaller.
    bool optimizeJpeg = false;
    // Embedded where the format carries Exif (JPEG, WebP, AVIF); null or
    // empty: nothing.
    const Metadata* metadata = nullptr;
    ExistingName existing = ExistingName::Replaced;
};

// Saves as the options say. A failed encode leaves no file behind.
Result<void> savePicture(const Picture& picture, const std::filesystem::path& file, const SaveOptions& options);

// Saves in the given format at a grade on the format's own scale.
Result<void> savePicture(const Picture& picture, const std::filesystem::path& file, Format format, int qualityGrade,
                         std::optional<int> requestedDepth = std::nullopt,
                         ExistingName existing = ExistingName::Replaced);

} // namespace vardolin::picture

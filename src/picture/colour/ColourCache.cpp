// The colour cache: one entry per distinct profile (or set of code points)
// and the channels it is meant for, built on first sight and kept for the
// next picture, a few at a time.

#include "picture/ByteCursor.h"
#include "picture/colour/CicpProfile.h"
#include "picture/colour/ColourEntries.h"
#include "picture/colour/GammaProfile.h"
#include "picture/colour/SensibleProfile.h"
#include "picture/colour/SrgbEquivalence.h"

#include <lcms2_plugin.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string_view>

namespace vardolin::picture {
namespace {

// A worker meets few distinct profiles in one run (one per camera or editor);
// beyond this many the oldest is dropped.
constexpr std::size_t kMaxEntries = 8;

// The library reserves a table as large as the grid a profile states before
// it reads the table, so a 4 KB profile stating a 250 x 250 x 250 x 5 grid
// had it take 470 MB only to find the bytes missing. An honest table is read
// from the profile's own bytes (stored as 8 or 16 bits, held as 16 or 32),
// and the tables the library makes for a transform take a few megabytes.
std::size_t largestBlockFor(std::size_t profileBytes)
{
    return std::size_t(16) * 1024 * 1024 + 8 * profileBytes;
}

LibraryHearing* hearingOf(cmsContext context)
{
    auto* impl = static_cast<ColourCache::Impl*>(cmsGetContextUserData(context));
    return impl ? impl->openHearing() : nullptr;
}

extern "C" {
static void recordLibraryError(cmsContext context, cmsUInt32Number, const char* text)
{
    LibraryHearing* hearing = hearingOf(context);
    if (hearing && hearing->complaint.empty())
        hearing->complaint = text ? text : "";
}

// The context's allocator. Blocks asked for while nobody listens (the
// context and sRGB being made) are the library's own and small.
static bool blockAllowed(cmsContext context, cmsUInt32Number size)
{
    LibraryHearing* hearing = hearingOf(context);
    if (!hearing || size <= largestBlockFor(hearing->profileBytes))
        return true;
    if (hearing->complaint.empty())
        hearing->complaint = "the profile asks for a table of " + std::to_string(size / (1024 * 1024))
                             + " MB, more than its " + std::to_string(hearing->profileBytes) + " bytes can hold";
    return false;
}

static void* boundedMalloc(cmsContext context, cmsUInt32Number size)
{
    return blockAllowed(context, size) ? std::malloc(size) : nullptr;
}

static void* boundedRealloc(cmsContext context, void* block, cmsUInt32Number size)
{
    return blockAllowed(context, size) ? std::realloc(block, size) : nullptr;
}

static void plainFree(cmsContext, void* block)
{
    std::free(block);
}
}

cmsPluginMemHandler boundedMemory()
{
    cmsPluginMemHandler handler{};
    handler.base.Magic = cmsPluginMagicNumber;
    handler.base.ExpectedVersion = LCMS_VERSION;
    handler.base.Type = cmsPluginMemHandlerSig;
    handler.MallocPtr = boundedMalloc;
    handler.FreePtr = plainFree;
    handler.ReallocPtr = boundedRealloc;
    return handler;
}

// Read only while a context is made, and passed as the library asks: not const.
cmsPluginMemHandler memoryHandler = boundedMemory();

// The kind comes first, so that no profile, however short or broken, is
// taken for code points or chunks of the same bytes.
std::vector<std::uint8_t> keyFor(const ColourTag& tag)
{
    std::vector<std::uint8_t> key;
    auto add = [&key](std::uint32_t value, int bytes) {
        for (int shift = 8 * (bytes - 1); shift >= 0; shift -= 8)
            key.push_back(std::uint8_t(value >> shift));
    };
    if (!tag.iccProfile.empty()) {
        key.reserve(1 + tag.iccProfile.size());
        key.push_back('P');
        key.insert(key.end(), tag.iccProfile.begin(), tag.iccProfile.end());
    } else if (tag.hasCicp()) {
        key.push_back('C');
        for (const std::uint16_t point : {tag.cicpPrimaries, tag.cicpTransfer, tag.cicpMatrix})
            add(point, 2);
    } else {
        key.push_back('G');
        add(tag.gamma, 4);
        for (const std::uint32_t value : tag.chromaticities)
            add(value, 4);
    }
    return key;
}

std::size_t hashOf(const std::vector<std::uint8_t>& key)
{
    return std::hash<std::string_view>{}(std::string_view(reinterpret_cast<const char*>(key.data()), key.size()));
}

// Signatures are taken as plain numbers: a profile may carry any four bytes
// there, and holding those in the library's enum type is undefined.
const char* spaceName(std::uint32_t space)
{
    switch (space) {
    case cmsSigRgbData: return "RGB";
    case cmsSigGrayData: return "gray";
    case cmsSigCmykData: return "CMYK";
    case cmsSigLabData: return "Lab";
    case cmsSigXYZData: return "XYZ";
    case cmsSigYCbCrData: return "YCbCr";
    default: return "other";
    }
}

std::uint32_t spaceOf(ColourTag::Channels channels)
{
    switch (channels) {
    case ColourTag::Channels::Gray: return cmsSigGrayData;
    case ColourTag::Channels::Cmyk: return cmsSigCmykData;
    case ColourTag::Channels::Rgb: break;
    }
    return cmsSigRgbData;
}

// The header's own claims, checked before the library reads the tags: a
// profile cut short would otherwise open and fail later with a vaguer reason.
Result<void> checkHeader(const std::vector<std::uint8_t>& bytes)
{
    constexpr std::size_t kHeaderSize = 128;
    if (bytes.size() < kHeaderSize)
        return fail("ICC profile of " + std::to_string(bytes.size()) + " bytes, shorter than its header");
    ByteCursor cursor(ByteSpan{bytes.data(), bytes.size()}, ByteOrder::Big);
    const std::uint32_t declared = *cursor.u32();
    if (declared > bytes.size())
        return fail("ICC profile cut short: " + std::to_string(bytes.size()) + " of " + std::to_string(declared)
                    + " bytes");
    static constexpr std::uint8_t kSignature[4] = {'a', 'c', 's', 'p'};
    if (std::memcmp(bytes.data() + 36, kSignature, 4) != 0)
        return fail("not an ICC profile");
    return {};
}

// The profile's own name, for the note of what was converted; empty when it
// has none.
std::string nameOf(cmsHPROFILE profile)
{
    char text[128] = {};
    if (cmsGetProfileInfoASCII(profile, cmsInfoDescription, "en", "US", text, sizeof text) == 0)
        return {};
    return text;
}

// from: what the colours were, a profile's name (quoted in the words) or what
// the file states instead of a profile (bare); empty for a nameless profile.
Note conversionNote(const std::string& from, bool isProfileName, cmsUInt32Number intent)
{
    const bool perceptual = intent == INTENT_PERCEPTUAL;
    const std::string source = !isProfileName ? from : from.empty() ? "an unnamed profile" : "\"" + from + "\"";
    return {Note::Kind::ColourConverted,
            "converted to sRGB from " + source + ", "
                + (perceptual ? "perceptual" : "relative colorimetric with black point compensation"),
            from, perceptual ? "perceptual" : "relative colorimetric"};
}

bool convertsFromDevice(std::uint32_t deviceClass)
{
    return deviceClass == cmsSigInputClass || deviceClass == cmsSigDisplayClass || deviceClass == cmsSigOutputClass
           || deviceClass == cmsSigColorSpaceClass;
}

} // namespace

ColourCache::ColourCache() : impl_(std::make_unique<Impl>()) {}
ColourCache::~ColourCache() = default;

Listening::Listening(ColourCache::Impl& impl, std::size_t profileBytes) : impl_(impl)
{
    impl_.hearing_ = {{}, profileBytes, true};
}

Listening::~Listening()
{
    impl_.hearing_ = {};
}

std::string Listening::reason(const char* otherwise) const
{
    const std::string& complaint = impl_.hearing_.complaint;
    return complaint.empty() ? std::string(otherwise) : std::string(otherwise) + ": " + complaint;
}

ColourCache::Impl::Impl()
    : context(cmsCreateContext(&memoryHandler, this)), srgb(context ? cmsCreate_sRGBProfileTHR(context.get()) : nullptr)
{
    if (context)
        cmsSetLogErrorHandlerTHR(context.get(), recordLibraryError);
}

ColourEntry& ColourCache::Impl::entryFor(const ColourTag& tag)
{
    std::vector<std::uint8_t> key = keyFor(tag);
    const std::size_t hash = hashOf(key);
    for (ColourEntry& entry : entries_)
        if (entry.hash == hash && entry.channels == tag.channels && entry.key == key)
            return entry;
    if (entries_.size() >= kMaxEntries)
        entries_.pop_front();
    ColourEntry& entry = entries_.emplace_back();
    entry.hash = hash;
    entry.key = std::move(key);
    entry.channels = tag.channels;
    const Listening listening(*this, entry.key.size());
    build(entry, tag, listening);
    if (entry.kind != ColourEntry::Kind::Rgb && entry.kind != ColourEntry::Kind::Gray)
        entry.profile.reset(); // only these build another transform later
    return entry;
}

void ColourCache::Impl::build(ColourEntry& entry, const ColourTag& tag, const Listening& listening)
{
    if (!context || !srgb)
        return ignore(entry, listening.reason("the colour library could not be set up"));
    if (!tag.iccProfile.empty()) {
        if (auto header = checkHeader(tag.iccProfile); !header)
            return ignore(entry, header.error());
        ProfileHandle profile(
            cmsOpenProfileFromMemTHR(context.get(), tag.iccProfile.data(), cmsUInt32Number(tag.iccProfile.size())));
        if (!profile)
            return ignore(entry, listening.reason("not a readable ICC profile"));
        return buildFromProfile(entry, std::move(profile), listening, {});
    }
    if (!tag.hasCicp()) {
        auto profile = profileForGamma(context.get(), tag);
        if (!profile)
            return ignore(entry, profile.error());
        if (!profile.value()) {
            entry.kind = ColourEntry::Kind::Srgb;
            return;
        }
        return buildFromProfile(entry, std::move(profile.value()), listening, describeGamma(tag));
    }
    auto profile = profileForCicp(context.get(), tag.cicpPrimaries, tag.cicpTransfer);
    if (!profile)
        return ignore(entry, profile.error());
    if (!profile.value()) {
        entry.kind = ColourEntry::Kind::Srgb;
        return;
    }
    if (tag.channels != ColourTag::Channels::Rgb)
        return ignore(entry, "colour code points for gray or CMYK pixels");
    buildFromProfile(entry, std::move(profile.value()), listening,
                     "colour code points " + std::to_string(tag.cicpPrimaries) + "/" + std::to_string(tag.cicpTransfer)
                         + "/" + std::to_string(tag.cicpMatrix));
}

// from: what the file states instead of an embedded profile, which then has
// no name of its own; empty for an embedded one.
void ColourCache::Impl::buildFromProfile(ColourEntry& entry, ProfileHandle profile, const Listening& listening,
                                         std::string from)
{
    const auto space = std::uint32_t(cmsGetColorSpace(profile.get()));
    if (space != spaceOf(entry.channels))
        return ignore(entry, std::string("a profile for ") + spaceName(space) + " colours on "
                                 + spaceName(spaceOf(entry.channels)) + " pixels");
    if (!convertsFromDevice(std::uint32_t(cmsGetDeviceClass(profile.get()))))
        return ignore(entry, "a link, abstract or named-colour profile, not one of a picture's colours");
    // Perceptual where the profile has its own table for it; otherwise the
    // colorimetric mapping, with black kept black.
    if (cmsIsCLUT(profile.get(), INTENT_PERCEPTUAL, LCMS_USED_AS_INPUT)) {
        entry.intent = INTENT_PERCEPTUAL;
        entry.flags = 0;
    } else {
        entry.intent = INTENT_RELATIVE_COLORIMETRIC;
        entry.flags = cmsFLAGS_BLACKPOINTCOMPENSATION;
    }
    if (auto sensible = checkSensible(context.get(), profile.get(), space, entry.intent, entry.flags); !sensible)
        return ignore(entry, listening.reason(sensible.error().c_str()));
    const bool embedded = from.empty();
    entry.converted = conversionNote(embedded ? nameOf(profile.get()) : from, embedded, entry.intent);
    entry.profile = std::move(profile);
    switch (entry.channels) {
    case ColourTag::Channels::Rgb: return buildRgb(entry, listening);
    case ColourTag::Channels::Gray: return buildGray(entry, listening);
    case ColourTag::Channels::Cmyk: return buildCmyk(entry, listening);
    }
}

void ColourCache::Impl::buildRgb(ColourEntry& entry, const Listening& listening)
{
    if (hasSrgbColorantsAndCurves(entry.profile.get(), srgb.get())) {
        entry.kind = ColourEntry::Kind::Srgb;
        return;
    }
    entry.bgr.reset(cmsCreateTransformTHR(context.get(), entry.profile.get(), TYPE_BGR_8, srgb.get(), TYPE_BGR_8,
                                          entry.intent, entry.flags));
    if (!entry.bgr)
        return ignore(entry, listening.reason("the profile cannot be converted to sRGB"));
    if (leavesRgbAlone(entry.bgr.get())) {
        entry.kind = ColourEntry::Kind::Srgb;
        return;
    }
    entry.kind = ColourEntry::Kind::Rgb;
    // Profiles the matrix-shaper path cannot take stay with the library.
    if (entry.intent == INTENT_RELATIVE_COLORIMETRIC) {
        if (auto shaper = MatrixShaper::from(entry.profile.get(), srgb.get())) {
            entry.matrixShaper = std::move(shaper).value();
            entry.kind = ColourEntry::Kind::Matrix;
        }
    }
}

void ColourCache::Impl::buildGray(ColourEntry& entry, const Listening& listening)
{
    if (hasSrgbGrayCurve(entry.profile.get(), srgb.get())) {
        entry.kind = ColourEntry::Kind::Srgb;
        return;
    }
    if (!grayLevels(entry, entry.grayToBgr.data(), entry.grayToBgr.size()))
        return ignore(entry, listening.reason("the profile cannot be converted to sRGB"));
    entry.kind = leavesGrayAlone(entry.grayToBgr) ? ColourEntry::Kind::Srgb : ColourEntry::Kind::Gray;
}

// Blue-green-red sRGB of `count` gray levels spread evenly from black to
// white, in floating point: the table is made once, and an 8-bit transform
// loses several levels in the dark part of a steep curve.
bool ColourCache::Impl::grayLevels(const ColourEntry& entry, std::array<std::uint8_t, 3>* out, std::size_t count)
{
    const TransformHandle gray(cmsCreateTransformTHR(context.get(), entry.profile.get(), TYPE_GRAY_FLT, srgb.get(),
                                                     TYPE_RGB_FLT, entry.intent, entry.flags));
    if (!gray)
        return false;
    std::vector<float> levels(count);
    for (std::size_t i = 0; i < count; ++i)
        levels[i] = float(i) / float(count - 1);
    std::vector<float> rgb(3 * count);
    cmsDoTransform(gray.get(), levels.data(), rgb.data(), cmsUInt32Number(count));
    auto toLevel = [](float value) { return std::uint8_t(std::lround(std::clamp(value, 0.0f, 1.0f) * 255.0f)); };
    for (std::size_t i = 0; i < count; ++i)
        out[i] = {toLevel(rgb[3 * i + 2]), toLevel(rgb[3 * i + 1]), toLevel(rgb[3 * i])};
    return true;
}

const std::array<std::uint8_t, 3>* ColourCache::Impl::gray16Levels(ColourEntry& entry)
{
    if (entry.gray16ToBgr.empty() && entry.profile) {
        const Listening listening(*this, entry.key.size());
        std::vector<std::array<std::uint8_t, 3>> levels(65536);
        if (grayLevels(entry, levels.data(), levels.size()))
            entry.gray16ToBgr = std::move(levels);
    }
    return entry.gray16ToBgr.empty() ? nullptr : entry.gray16ToBgr.data();
}

void ColourCache::Impl::buildCmyk(ColourEntry& entry, const Listening& listening)
{
    // Filling the table takes a good tenth of a second, once per profile and
    // worker; CMYK photos are rare.
    auto table = CmykTable::from(context.get(), entry.profile.get(), srgb.get(), entry.intent, entry.flags);
    if (!table)
        return ignore(entry, listening.reason(table.error().c_str()));
    entry.cmyk = std::move(table).value();
    entry.kind = ColourEntry::Kind::Cmyk;
}

Result<cmsHTRANSFORM> ColourCache::Impl::bgraTransform(ColourEntry& entry)
{
    if (entry.bgra)
        return entry.bgra.get();
    const Listening listening(*this, entry.key.size());
    if (entry.profile)
        entry.bgra.reset(cmsCreateTransformTHR(context.get(), entry.profile.get(), TYPE_BGRA_8, srgb.get(), TYPE_BGRA_8,
                                               entry.intent, entry.flags | cmsFLAGS_COPY_ALPHA));
    if (!entry.bgra)
        return fail(listening.reason("the profile cannot be converted to sRGB with alpha"));
    return entry.bgra.get();
}

void ColourCache::Impl::ignore(ColourEntry& entry, std::string why)
{
    entry.kind = ColourEntry::Kind::Ignored;
    entry.ignoredBecause = std::move(why);
    entry.bgr.reset();
    entry.cmyk.reset();
}

} // namespace vardolin::picture

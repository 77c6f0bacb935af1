// srgbLevels() is a staircase of 255 steps over 16385 values of linear
// light. A value's level is the level where its stretch of the staircase
// starts, plus the steps within the stretch that it has reached. At the
// dark end, where the steps stand close, the stretches are 4 values long
// and hold at most one step; from 1024 on they are 64 values long and hold
// at most two. So five tables of 256 bytes answer every value: where each
// stretch starts, and where its steps stand. Each sits in four registers and
// is read for 64 values by two two-table byte permutes. The tables are made
// from srgbLevels() and checked against its shape when they are made, so
// the levels are the table's to the bit; the plain way reads the table
// value by value, three loads a pixel, which is what bounded it.

#include "picture/colour/SrgbLevelsWide.h"

#include "picture/colour/SrgbCurve.h"

#include <array>

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>
#define VARDOLIN_LEVELS_AVX512 1
#endif

namespace vardolin::picture {

#if VARDOLIN_LEVELS_AVX512

namespace {

constexpr int kDarkEnd = 1024; // values below: the dark stretches
constexpr int kDarkLength = 4, kLightLength = 64;
constexpr std::uint8_t kNoStep = 64; // a place no value within a stretch reaches

using Bytes = std::array<std::uint8_t, 256>;

struct Staircase {
    alignas(64) Bytes darkStart{}, darkStep{}, lightStart{}, lightFirstStep{}, lightSecondStep{};
    bool fits = true; // every stretch holds no more steps than it has room for
};

Staircase staircaseOf(const std::uint8_t* levels)
{
    Staircase stairs;
    // Where the steps within the stretch from `from` stand, as places in it.
    auto stepsIn = [&](int from, int length, std::uint8_t* first, std::uint8_t* second) {
        *first = kNoStep;
        if (second)
            *second = kNoStep;
        int found = 0;
        for (int place = 1; place < length; ++place) {
            const int rise = levels[from + place] - levels[from + place - 1];
            if (rise == 0)
                continue;
            if (rise != 1 || found == (second ? 2 : 1)) {
                stairs.fits = false;
                return;
            }
            *(found++ == 0 ? first : second) = std::uint8_t(place);
        }
    };
    for (int stretch = 0; stretch < 256; ++stretch) {
        const int dark = stretch * kDarkLength, light = stretch * kLightLength;
        const auto at = std::size_t(stretch);
        stairs.darkStart[at] = levels[dark];
        stepsIn(dark, kDarkLength, &stairs.darkStep[at], nullptr);
        stairs.lightStart[at] = levels[light];
        if (light >= kDarkEnd)
            stepsIn(light, kLightLength, &stairs.lightFirstStep[at], &stairs.lightSecondStep[at]);
        else
            stairs.lightFirstStep[at] = stairs.lightSecondStep[at] = kNoStep;
    }
    // Full light is read as the value below it.
    if (levels[kLinearSteps] != levels[kLinearSteps - 1])
        stairs.fits = false;
    return stairs;
}

const Staircase& staircase()
{
    static const Staircase stairs = staircaseOf(srgbLevels());
    return stairs;
}

// Byte permute indices that weave three rows of 64 levels into pixels:
// for each of the 64 bytes of each vector of pixels, the blue or green
// level it takes (green's indices past 64) and the red one, and which
// bytes take red and which keep what they held (alpha).
struct Weave {
    alignas(64) std::uint8_t blueGreen[4][64];
    alignas(64) std::uint8_t red[4][64];
    std::uint64_t takesRed[4];
    std::uint64_t keeps[4];
};

Weave weaveOf(int bytesPerPixel)
{
    Weave weave{};
    for (int vector = 0; vector < bytesPerPixel; ++vector)
        for (int i = 0; i < 64; ++i) {
            const int byte = 64 * vector + i, pixel = byte / bytesPerPixel, channel = byte % bytesPerPixel;
            weave.blueGreen[vector][i] = std::uint8_t(channel == 0 ? pixel : 64 + pixel);
            weave.red[vector][i] = std::uint8_t(pixel);
            if (channel == 2)
                weave.takesRed[vector] |= 1ull << i;
            if (channel == 3)
                weave.keeps[vector] |= 1ull << i;
        }
    return weave;
}

const Weave& weaveFor(int bytesPerPixel)
{
    static const Weave three = weaveOf(3), four = weaveOf(4);
    return bytesPerPixel == 3 ? three : four;
}

#define VARDOLIN_WIDE __attribute__((target("avx512f,avx512bw,avx512vbmi")))
// The steps of one vector of levels, inlined so that the tables stay in registers.
#define VARDOLIN_WIDE_STEP VARDOLIN_WIDE inline __attribute__((always_inline))

// A table of 256 bytes in registers.
struct Table {
    __m512i part[4];
};

VARDOLIN_WIDE Table tableOf(const Bytes& bytes)
{
    Table table;
    for (int i = 0; i < 4; ++i)
        table.part[i] = _mm512_load_si512(bytes.data() + 64 * i);
    return table;
}

// The entry of each byte lane's index; bit 7 chooses between the halves.
VARDOLIN_WIDE_STEP __m512i lookUp(const Table& table, __m512i index, __mmask64 upperHalf)
{
    return _mm512_mask_blend_epi8(upperHalf, _mm512_permutex2var_epi8(table.part[0], index, table.part[1]),
                                  _mm512_permutex2var_epi8(table.part[2], index, table.part[3]));
}

struct Tables {
    Table darkStart, darkStep, lightStart, lightFirstStep, lightSecondStep;
    __m512i lowBytes, highBytes; // the low and high byte of each of 64 16-bit lanes in two vectors
};

VARDOLIN_WIDE Tables tablesOf(const Staircase& stairs)
{
    alignas(64) std::uint8_t low[64], high[64];
    for (int i = 0; i < 64; ++i) {
        low[i] = std::uint8_t(2 * i);
        high[i] = std::uint8_t(2 * i + 1);
    }
    return {tableOf(stairs.darkStart),      tableOf(stairs.darkStep),        tableOf(stairs.lightStart),
            tableOf(stairs.lightFirstStep), tableOf(stairs.lightSecondStep), _mm512_load_si512(low),
            _mm512_load_si512(high)};
}

// The levels of 64 values in two vectors of 16-bit lanes, as 64 bytes.
VARDOLIN_WIDE_STEP __m512i levelsOf(const Tables& tables, __m512i first, __m512i second)
{
    const __m512i below = _mm512_set1_epi16(kLinearSteps - 1);
    first = _mm512_min_epu16(first, below);
    second = _mm512_min_epu16(second, below);
    // Which stretch a value is in: bits 2..9 (dark) and 6..13 (light), as
    // the high byte of the value shifted up.
    const __m512i dark =
        _mm512_permutex2var_epi8(_mm512_slli_epi16(first, 6), tables.highBytes, _mm512_slli_epi16(second, 6));
    const __m512i light =
        _mm512_permutex2var_epi8(_mm512_slli_epi16(first, 2), tables.highBytes, _mm512_slli_epi16(second, 2));
    const __m512i low = _mm512_permutex2var_epi8(first, tables.lowBytes, second);
    const __m512i darkPlace = _mm512_and_si512(low, _mm512_set1_epi8(kDarkLength - 1));
    const __m512i lightPlace = _mm512_and_si512(low, _mm512_set1_epi8(kLightLength - 1));
    const __mmask64 darkUpper = _mm512_movepi8_mask(dark), lightUpper = _mm512_movepi8_mask(light);

    const __m512i up = _mm512_set1_epi8(-1); // subtracted: one level up
    const __m512i darkStart = lookUp(tables.darkStart, dark, darkUpper);
    const __m512i darkLevel = _mm512_mask_sub_epi8(
        darkStart, _mm512_cmpge_epu8_mask(darkPlace, lookUp(tables.darkStep, dark, darkUpper)), darkStart, up);
    __m512i lightLevel = lookUp(tables.lightStart, light, lightUpper);
    lightLevel = _mm512_mask_sub_epi8(
        lightLevel, _mm512_cmpge_epu8_mask(lightPlace, lookUp(tables.lightFirstStep, light, lightUpper)), lightLevel,
        up);
    lightLevel = _mm512_mask_sub_epi8(
        lightLevel, _mm512_cmpge_epu8_mask(lightPlace, lookUp(tables.lightSecondStep, light, lightUpper)), lightLevel,
        up);
    const __mmask64 isDark = _mm512_cmplt_epu8_mask(light, _mm512_set1_epi8(kDarkEnd / kLightLength));
    return _mm512_mask_blend_epi8(isDark, lightLevel, darkLevel);
}

VARDOLIN_WIDE_STEP void weaveInto(const Weave& weave, int bytesPerPixel, __m512i blue, __m512i green, __m512i red,
                                  std::uint8_t* pixels)
{
    for (int vector = 0; vector < bytesPerPixel; ++vector) {
        std::uint8_t* const out = pixels + 64 * vector;
        __m512i bytes = _mm512_permutex2var_epi8(blue, _mm512_load_si512(weave.blueGreen[vector]), green);
        bytes = _mm512_mask_permutexvar_epi8(bytes, weave.takesRed[vector], _mm512_load_si512(weave.red[vector]), red);
        if (weave.keeps[vector])
            bytes = _mm512_mask_blend_epi8(weave.keeps[vector], bytes, _mm512_loadu_si512(out));
        _mm512_storeu_si512(out, bytes);
    }
}

VARDOLIN_WIDE void levelsOfRows(const std::int16_t* red, const std::int16_t* green, const std::int16_t* blue, int count,
                                std::uint8_t* pixels, int bytesPerPixel)
{
    const Tables tables = tablesOf(staircase());
    const Weave& weave = weaveFor(bytesPerPixel);
    for (int x = 0; x + 64 <= count; x += 64) {
        const __m512i blueLevels = levelsOf(tables, _mm512_loadu_si512(blue + x), _mm512_loadu_si512(blue + x + 32));
        const __m512i greenLevels = levelsOf(tables, _mm512_loadu_si512(green + x), _mm512_loadu_si512(green + x + 32));
        const __m512i redLevels = levelsOf(tables, _mm512_loadu_si512(red + x), _mm512_loadu_si512(red + x + 32));
        weaveInto(weave, bytesPerPixel, blueLevels, greenLevels, redLevels,
                  pixels + std::size_t(x) * std::size_t(bytesPerPixel));
    }
}

} // namespace

bool hasBytePermutes()
{
    static const bool has =
        __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") && __builtin_cpu_supports("avx512vbmi");
    return has;
}

bool hasWideLevels()
{
    static const bool has = hasBytePermutes() && staircase().fits;
    return has;
}

void wideLevels(const std::int16_t* red, const std::int16_t* green, const std::int16_t* blue, int count,
                std::uint8_t* pixels, int bytesPerPixel)
{
    levelsOfRows(red, green, blue, count, pixels, bytesPerPixel);
}

#else

bool hasBytePermutes()
{
    return false;
}

bool hasWideLevels()
{
    return false;
}

void wideLevels(const std::int16_t*, const std::int16_t*, const std::int16_t*, int, std::uint8_t*, int) {}

#endif

} // namespace vardolin::picture

#include "picture/MadePictures.h"
#include "picture/TempFolder.h"

#include "picture/Picture.h"
#include "picture/formats/Jpeg.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <vector>

#include <jpeglib.h>

namespace vardolin::picture {
namespace {

using testing::fileBytes;
using testing::madePicture;
using testing::TempFolder;

Picture smoothPicture(std::int32_t width, std::int32_t height)
{
    return madePicture(width, height, 24, [=](std::int32_t x, std::int32_t y, int c) {
        // Memory row y is picture row height − 1 − y.
        const std::int32_t top = height - 1 - y;
        return std::uint8_t(c == 0 ? x * 255 / width : c == 1 ? top * 255 / height : 128);
    });
}

// Marker codes from the start of image up to the start of scan.
std::vector<std::uint8_t> markersOf(const std::vector<std::uint8_t>& bytes)
{
    std::vector<std::uint8_t> markers;
    std::size_t at = 2;
    while (at + 4 <= bytes.size() && bytes[at] == 0xFF) {
        const std::uint8_t marker = bytes[at + 1];
        markers.push_back(marker);
        if (marker == 0xDA)
            break;
        at += 2 + (std::size_t(bytes[at + 2]) << 8 | bytes[at + 3]);
    }
    return markers;
}

struct Decoded {
    bool ok = false;
    bool sawJfif = false;
    bool progressive = false;
    bool arithmetic = false;
    J_COLOR_SPACE colourSpace = JCS_UNKNOWN;
    int sampling[3][2] = {};
    int width = 0, height = 0;
    std::vector<std::uint8_t> rgb; // top row first
};

struct TestErrors {
    jpeg_error_mgr library;
    std::jmp_buf jump;
};

void jumpOut(j_common_ptr info)
{
    std::longjmp(reinterpret_cast<TestErrors*>(info->err)->jump, 1);
}

// Reads the file back with libjpeg itself, so the test does not depend on our decoder.
void decodeInto(const std::vector<std::uint8_t>& bytes, Decoded* out, JSAMPLE* rows, std::size_t capacity)
{
    jpeg_decompress_struct info;
    TestErrors errors;
    info.err = jpeg_std_error(&errors.library);
    errors.library.error_exit = jumpOut;
    if (setjmp(errors.jump)) {
        jpeg_destroy_decompress(&info);
        return;
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, bytes.data(), static_cast<unsigned long>(bytes.size()));
    jpeg_read_header(&info, TRUE);
    out->sawJfif = info.saw_JFIF_marker;
    out->progressive = info.progressive_mode;
    out->arithmetic = info.arith_code;
    out->colourSpace = info.jpeg_color_space;
    for (int c = 0; c < 3 && c < info.num_components; ++c) {
        out->sampling[c][0] = info.comp_info[c].h_samp_factor;
        out->sampling[c][1] = info.comp_info[c].v_samp_factor;
    }
    info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&info);
    out->width = int(info.output_width);
    out->height = int(info.output_height);
    if (std::size_t(out->width) * std::size_t(out->height) * 3 > capacity) {
        jpeg_destroy_decompress(&info);
        return;
    }
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = rows + std::size_t(info.output_scanline) * std::size_t(out->width) * 3;
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    out->ok = true;
}

Decoded decode(const std::vector<std::uint8_t>& bytes)
{
    Decoded decoded;
    std::vector<JSAMPLE> rows(std::size_t(1) << 20);
    decodeInto(bytes, &decoded, rows.data(), rows.size());
    rows.resize(std::size_t(decoded.width) * std::size_t(decoded.height) * 3);
    decoded.rgb = std::move(rows);
    return decoded;
}

const std::vector<std::uint8_t> dhtMarker{0xFF, 0xC4};

TEST(JpegEncoder, WritesJfifBaselineFourTwoZeroAndNothingElse)
{
    TempFolder folder;
    const Picture picture = smoothPicture(37, 21);
    ASSERT_TRUE(savePicture(picture, folder / "a.jpg", Format::Jpeg, 7).ok());
    const auto bytes = fileBytes(folder / "a.jpg");
    ASSERT_GE(bytes.size(), 4u);
    EXPECT_EQ(bytes[0], 0xFF);
    EXPECT_EQ(bytes[1], 0xD8);

    const auto markers = markersOf(bytes);
    ASSERT_FALSE(markers.empty());
    EXPECT_EQ(markers.front(), 0xE0); // JFIF right after the start of image
    int frames = 0, huffmanTables = 0;
    for (std::uint8_t marker : markers) {
        EXPECT_FALSE(marker > 0xE0 && marker <= 0xEF) << "application marker " << int(marker);
        EXPECT_NE(marker, 0xFE) << "comment";
        frames += marker == 0xC0; // baseline sequential, Huffman
        huffmanTables += marker == 0xC4;
    }
    EXPECT_EQ(frames, 1);
    EXPECT_GE(huffmanTables, 1);
    // The first table is the standard luminance DC table, not one optimised for this picture.
    const std::vector<std::uint8_t> standardDcCounts{0, 1, 5, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0};
    const auto dht = std::search(bytes.begin(), bytes.end(), dhtMarker.begin(), dhtMarker.end());
    ASSERT_NE(dht, bytes.end());
    EXPECT_EQ(dht[4], 0x00); // class DC, table 0
    EXPECT_EQ(std::vector<std::uint8_t>(dht + 5, dht + 21), standardDcCounts);

    const Decoded decoded = decode(bytes);
    ASSERT_TRUE(decoded.ok);
    EXPECT_TRUE(decoded.sawJfif);
    EXPECT_FALSE(decoded.progressive);
    EXPECT_FALSE(decoded.arithmetic);
    EXPECT_EQ(decoded.colourSpace, JCS_YCbCr);
    EXPECT_EQ(decoded.sampling[0][0], 2);
    EXPECT_EQ(decoded.sampling[0][1], 2);
    EXPECT_EQ(decoded.sampling[1][0], 1);
    EXPECT_EQ(decoded.sampling[2][1], 1);
    EXPECT_EQ(decoded.width, 37);
    EXPECT_EQ(decoded.height, 21);
}

TEST(JpegEncoder, RowsComeOutTopFirstInRedGreenBlue)
{
    TempFolder folder;
    const Picture picture = smoothPicture(64, 48);
    ASSERT_TRUE(savePicture(picture, folder / "a.jpg", Format::Jpeg, 10).ok());
    const Decoded decoded = decode(fileBytes(folder / "a.jpg"));
    ASSERT_TRUE(decoded.ok);
    int worst = 0;
    for (std::int32_t top = 0; top < 48; ++top) {
        const std::uint8_t* stored = picture.row(47 - top);
        for (std::int32_t x = 0; x < 64; ++x) {
            for (int c = 0; c < 3; ++c) {
                const int written = decoded.rgb[(std::size_t(top) * 64 + std::size_t(x)) * 3 + std::size_t(c)];
                worst = std::max(worst, std::abs(written - int(stored[x * 3 + 2 - c])));
            }
        }
    }
    EXPECT_LE(worst, 6);
}

TEST(JpegEncoder, StoredOrderInputGivesTheSameBytesAsSwappedRows)
{
    TempFolder folder;
    const Picture picture = madePicture(53, 29, 24, [](std::int32_t x, std::int32_t y, int c) {
        return std::uint8_t((x * 31 + y * 17 + c * 101) % 256);
    });
    const RowSource rows{picture.pixels.data(), picture.width, picture.height, picture.stride, 24};
    for (int grade : {0, 3, 7, 10}) {
        // The encoder makes its file anew, so each grade has names of its own.
        const std::string name = std::to_string(grade) + ".jpg";
        const EncodeSettings settings{.quality = jpegQualityForGrade(grade)};
        const Result<void> stored = encodeJpegWith(JpegInput::StoredOrder, rows, folder / ("stored" + name), settings);
        ASSERT_TRUE(stored.ok()) << stored.error();
        const Result<void> swapped =
            encodeJpegWith(JpegInput::SwappedRows, rows, folder / ("swapped" + name), settings);
        ASSERT_TRUE(swapped.ok()) << swapped.error();
        EXPECT_EQ(fileBytes(folder / ("stored" + name)), fileBytes(folder / ("swapped" + name))) << "grade " << grade;
    }
}

TEST(JpegEncoder, GradeZeroStillWritesAFileAndHigherGradesGrow)
{
    TempFolder folder;
    const Picture picture = smoothPicture(80, 60);
    std::uintmax_t previous = 0;
    for (int grade : {0, 5, 10}) {
        const auto name = "g" + std::to_string(grade) + ".jpg";
        ASSERT_TRUE(savePicture(picture, folder / name, Format::Jpeg, grade).ok());
        EXPECT_TRUE(decode(fileBytes(folder / name)).ok);
        EXPECT_GT(std::filesystem::file_size(folder / name), previous);
        previous = std::filesystem::file_size(folder / name);
    }
}

TEST(JpegEncoder, LibraryErrorRemovesTheFile)
{
    TempFolder folder;
    const std::uint8_t pixel[4] = {};
    const RowSource empty{pixel, 0, 1, 4, 24}; // the library refuses an empty image after the file exists
    const Result<void> written = encodeJpeg(empty, folder / "e.jpg", {});
    EXPECT_FALSE(written.ok());
    EXPECT_FALSE(written.error().empty());
    EXPECT_FALSE(std::filesystem::exists(folder / "e.jpg"));
}

// Optimised tables and progressive scans only re-code the quantised
// coefficients: every decoded pixel is that of the plain copy, in fewer bytes.
TEST(JpegEncoder, OptimisedCodingKeepsEveryPixelAndIsSmaller)
{
    TempFolder folder;
    const Picture picture = madePicture(203, 149, 24, [](std::int32_t x, std::int32_t y, int c) {
        return std::uint8_t((x * x / 7 + y * (c + 3) + (x * y) % 29 + c * 50) % 256);
    });
    for (int grade : {0, 3, 10}) {
        SCOPED_TRACE(grade);
        SaveOptions plain;
        plain.format = Format::Jpeg;
        plain.qualityGrade = grade;
        SaveOptions optimised = plain;
        optimised.optimizeJpeg = true;
        ASSERT_TRUE(savePicture(picture, folder / "plain.jpg", plain).ok());
        ASSERT_TRUE(savePicture(picture, folder / "optimised.jpg", optimised).ok());
        const Decoded plainPixels = decode(fileBytes(folder / "plain.jpg"));
        const Decoded optimisedPixels = decode(fileBytes(folder / "optimised.jpg"));
        ASSERT_TRUE(plainPixels.ok && optimisedPixels.ok);
        EXPECT_FALSE(plainPixels.progressive);
        EXPECT_TRUE(optimisedPixels.progressive);
        EXPECT_TRUE(plainPixels.rgb == optimisedPixels.rgb);
        EXPECT_LT(std::filesystem::file_size(folder / "optimised.jpg"),
                  std::filesystem::file_size(folder / "plain.jpg"));
    }
}

// The block the decoding side made ready goes into one APP1 segment after
// the JFIF marker; bytes that are no Exif block, or more than a segment
// holds, are refused instead of written into a copy.
TEST(JpegEncoder, AnExifBlockGoesIntoOneSegmentInItsOwnShapeOnly)
{
    TempFolder folder;
    const Picture picture = smoothPicture(16, 8);
    Metadata metadata;
    metadata.exif = {'I', 'I', '*', 0, 8, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    SaveOptions options;
    options.format = Format::Jpeg;
    options.metadata = &metadata;
    ASSERT_TRUE(savePicture(picture, folder / "a.jpg", options).ok());
    const auto bytes = fileBytes(folder / "a.jpg");
    const auto markers = markersOf(bytes);
    ASSERT_GE(markers.size(), 2u);
    EXPECT_EQ(markers[0], 0xE0);
    EXPECT_EQ(markers[1], 0xE1);
    EXPECT_EQ(std::count(markers.begin(), markers.end(), 0xE1), 1);
    const std::vector<std::uint8_t> segment{'E', 'x', 'i', 'f', 0, 0, 'I', 'I', '*', 0, 8};
    EXPECT_NE(std::search(bytes.begin(), bytes.end(), segment.begin(), segment.end()), bytes.end());

    for (const std::size_t size : {std::size_t(14), Metadata::kMaxExifBytes + 1}) {
        metadata.exif.assign(size, 0);
        metadata.exif[0] = 'X';
        if (size > 14)
            std::copy_n("MM\0*", 4, metadata.exif.begin());
        EXPECT_FALSE(savePicture(picture, folder / "b.jpg", options).ok()) << size;
        EXPECT_FALSE(std::filesystem::exists(folder / "b.jpg"));
    }
}

} // namespace
} // namespace vardolin::picture

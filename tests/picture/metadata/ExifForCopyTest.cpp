// The cleaning of an Exif block on its own, for the blocks no fixture holds;
// what copies carry from real files is read back by exiftool in the batch
// tests.

#include "picture/metadata/ExifForCopy.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace vardolin::picture {
namespace {

// A little-endian TIFF structure whose first directory holds nothing but the
// pointer to a GPS directory with one tag (latitude reference "N").
std::vector<std::uint8_t> positionAlone()
{
    return {'I', 'I', '*',  0,    8, 0, 0, 0,                     // header, first directory at 8
            1,   0,   0x25, 0x88, 4, 0, 1, 0, 0, 0, 26,  0, 0, 0, // one entry: GPS directory at 26
            0,   0,   0,    0,                                    // no further directory
            1,   0,   1,    0,    2, 0, 2, 0, 0, 0, 'N', 0, 0, 0, // GPSLatitudeRef "N"
            0,   0,   0,    0};
}

TEST(ExifForCopy, APositionAloneGoesOnlyWhenAsked)
{
    const std::vector<std::uint8_t> block = positionAlone();
    ExifCleaning how;
    how.copySize = {120, 80};
    const auto without = cleanExif({block.data(), block.size()}, how);
    ASSERT_TRUE(without.ok()) << without.error();
    EXPECT_TRUE(without->empty()) << "nothing is left to carry, and that is no damage";

    how.keepLocation = true;
    const auto with = cleanExif({block.data(), block.size()}, how);
    ASSERT_TRUE(with.ok()) << with.error();
    ASSERT_GE(with->size(), 8u);
    EXPECT_EQ(std::vector<std::uint8_t>(with->begin(), with->begin() + 4),
              (std::vector<std::uint8_t>{'I', 'I', '*', 0}));
    const std::vector<std::uint8_t> reference{'N', 0};
    EXPECT_NE(std::search(with->begin(), with->end(), reference.begin(), reference.end()), with->end());
}

// Every way a block cannot be carried is a reason for the note, never an
// empty success that would hide it.
TEST(ExifForCopy, ABlockThatCannotBeReadGivesItsReason)
{
    const std::vector<std::uint8_t> garbage{'X', 'X', '*', 0, 8, 0, 0, 0, 0, 0};
    const std::vector<std::uint8_t> huge(kMaxSourceExifBytes + 1, 0);
    for (const auto* block : {&garbage, &huge}) {
        const auto cleaned = cleanExif({block->data(), block->size()}, {});
        EXPECT_FALSE(cleaned.ok());
        EXPECT_FALSE(cleaned.error().empty());
    }
}

} // namespace
} // namespace vardolin::picture

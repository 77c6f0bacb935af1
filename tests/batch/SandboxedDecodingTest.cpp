// Files that bring a codec library down, or would have it allocate gigabytes
// for a few hundred bytes, go through the decode process like any other:
// each loads or fails with a reason, within the time limit, and the file
// after it is decoded as if nothing had happened. Run with the fuzzers'
// small budget, whose memory limit (some 200 MB) a bomb reaches at once.

#include "batch/Decoders.h"

#include "BatchTesting.h"

#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>

using namespace vardolin;
using namespace vardolin::batch;
using fixture::readBytes;
using fixture::writeBytes;

#if defined(__linux__)

namespace {

using Bytes = QByteArray;

constexpr auto kTimeLimit = std::chrono::seconds(3);

picture::Limits fuzzersBudget()
{
    picture::Limits limits;
    limits.pixelBudget = std::uint64_t(1) << 22;
    return limits;
}

Bytes pictureFixture(const QString& name)
{
    return readBytes(QStringLiteral(VARDOLIN_TEST_DATA "/picture/") + name);
}

Bytes pictureFixture(const char* name)
{
    return pictureFixture(QString::fromUtf8(name));
}

class SandboxedDecoding : public ::testing::Test {
protected:
    QTemporaryDir dir;
    Decoders decoders{{{}, kTimeLimit}, fuzzersBudget()};

    // The file decoded in the decode process, and the next one: a good
    // picture, which must come back whole whatever the first did.
    ReducedPicture reduce(const Bytes& bytes)
    {
        ReducedPicture reduced = reduceAlone(bytes);
        const QString file = dir.path() + QStringLiteral("/source");
        writeBytes(file, pictureFixture("jpeg-rgb.jpg"));
        const ReducedPicture next = decoders.reduce(file, 20);
        EXPECT_TRUE(next.ok()) << "after it: " << problemOf(next).toStdString();
        return reduced;
    }

    ReducedPicture reduceAlone(const Bytes& bytes)
    {
        const QString file = dir.path() + QStringLiteral("/source");
        writeBytes(file, bytes);
        QElapsedTimer clock;
        clock.start();
        ReducedPicture reduced = decoders.reduce(file, 20);
        EXPECT_LT(clock.elapsed(), std::chrono::milliseconds(kTimeLimit).count() + 1000);
        EXPECT_NE(reduced.ok(), reduced.decoded.picture.pixels.empty()) << problemOf(reduced).toStdString();
        return reduced;
    }
};

void putBe(Bytes& out, std::uint32_t value, int size)
{
    for (int i = size - 1; i >= 0; --i)
        out.append(char(value >> (8 * i)));
}

// heic-blocks.heic is a grid of one tile; its canvas (16-bit sides in the
// grid's data) set to the sides while every item size still says 24 x 16.
Bytes heicGridClaiming(std::uint16_t width, std::uint16_t height)
{
    Bytes bytes = pictureFixture("heic-blocks.heic");
    const qsizetype idat = bytes.indexOf("idat");
    Bytes sides;
    putBe(sides, width, 2);
    putBe(sides, height, 2);
    return bytes.replace(idat + 8, 4, sides); // after version, flags, rows and columns
}

// An item location table of version 1 with extent indexes, which libheif
// 1.15 reads as if the indexes were not there.
Bytes heicWithExtentIndexes()
{
    Bytes bytes = pictureFixture("heic-blocks.heic");
    const qsizetype iloc = bytes.indexOf("iloc");
    bytes[iloc + 9] = char(bytes[iloc + 9] | 4); // index size 4
    return bytes;
}

} // namespace

// Every input a fuzzer found trouble with: faults of our own, fixed, and
// faults inside a codec library, which only the decode process contains.
TEST_F(SandboxedDecoding, EveryKeptFuzzFindingLoadsOrFailsCleanly)
{
    const QDir regressions(QStringLiteral(VARDOLIN_TEST_DATA "/fuzz-regressions"));
    int inputs = 0;
    for (const QString& harness :
         {QStringLiteral("decode"), QStringLiteral("heif"), QStringLiteral("convert"), QStringLiteral("sandboxed")}) {
        const QDir folder(regressions.filePath(harness));
        for (const QString& name : folder.entryList(QDir::Files, QDir::Name)) {
            SCOPED_TRACE(name.toStdString());
            reduce(readBytes(folder.filePath(name)));
            ++inputs;
        }
    }
    EXPECT_GE(inputs, 10);
}

// HEIF files whose item sizes say 24 x 16 while their pixels would be
// decoded at 60000 x 60000 (the canvas of a grid, an HEVC sequence parameter
// set, an AV1 sequence header): none of them gets more than the memory
// limit, and each fails with a reason.
TEST_F(SandboxedDecoding, HeifBombsFailAtTheLimits)
{
    const std::pair<const char*, Bytes> bombs[] = {
        {"grid canvas", heicGridClaiming(60000, 60000)},
        {"HEVC sequence parameter set", pictureFixture("heic-coded-size-bomb.heic")},
        {"AV1 sequence header", pictureFixture("avif-coded-size-bomb.avif")},
    };
    for (const auto& [what, bytes] : bombs) {
        SCOPED_TRACE(what);
        EXPECT_FALSE(reduce(bytes).ok());
    }
}

// The same grid canvas far beyond the stated 24 x 16, under the program's
// own budget, which such a canvas fits by its sides: the decode process holds
// itself to what the stated size needs, so the file fails at once at the
// memory limit instead of after seconds and gigabytes of decoding. (The
// sanitizer build bounds the decoder by its resident size instead.)
TEST_F(SandboxedDecoding, ACanvasBeyondTheStatedSizeFailsAtTheMemoryTheStatedSizeNeeds)
{
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the sanitizer build sets no data limit";
#endif
    Decoders byDefault{{{}, kTimeLimit}, picture::Limits{}};
    const QString file = dir.path() + QStringLiteral("/canvas");
    writeBytes(file, heicGridClaiming(26992, 25455));
    const ReducedPicture reduced = byDefault.reduce(file, 20);
    EXPECT_FALSE(reduced.ok());
    EXPECT_EQ(problemOf(reduced), QStringLiteral("Decoder abgebrochen: Speichergrenze erreicht"));
}

// libheif 1.15 reads some files its own way: it decodes what a derived
// picture is made of without asking whether that is a picture at all, and
// stops on an assertion when it is not; a picture made of itself recurses; a
// version 1 location table with extent indexes is read as if they were not
// there. Whatever it makes of them ends one decoder at most.
TEST_F(SandboxedDecoding, FilesLibheifReadsItsOwnWayEndOneDecoderAtMost)
{
    const Bytes blocks = pictureFixture("heic-blocks.heic");
    const qsizetype dimg = blocks.indexOf("dimg");
    ASSERT_GE(dimg, 0) << "the fixture's grid names its tile";
    Bytes ofItself = blocks; // the grid's one tile is the grid
    ofItself[dimg + 8] = blocks[dimg + 4];
    ofItself[dimg + 9] = blocks[dimg + 5];
    Bytes ofData = blocks; // the tile's item type is no picture type
    ofData[ofData.indexOf("hvc1") + 3] = '0';
    for (const auto& [what, bytes] : {std::pair{"of itself", ofItself}, std::pair{"of data", ofData}}) {
        SCOPED_TRACE(what);
        EXPECT_FALSE(reduce(bytes).ok());
    }
    reduce(heicWithExtentIndexes());
}

// Every HEIC and AVIF fixture cut short and with bytes changed, as the
// picture tests damage the other formats in the run's own process: a few of
// these crash libheif, which the decode process contains.
TEST_F(SandboxedDecoding, DamagedHeifFilesLoadOrFailAlone)
{
    const QDir fixtures(QStringLiteral(VARDOLIN_TEST_DATA "/picture"));
    std::mt19937 random(20261208);
    for (const QString& name : fixtures.entryList({QStringLiteral("*.heic"), QStringLiteral("*.avif")}, QDir::Files)) {
        SCOPED_TRACE(name.toStdString());
        const Bytes original = pictureFixture(name);
        for (int round = 0; round < 25; ++round) {
            SCOPED_TRACE(round);
            Bytes bytes = original.first(qsizetype(random() % std::uint32_t(original.size())));
            reduceAlone(bytes);
            bytes = original;
            for (int change = 1 + int(random() % 4); change > 0; --change) {
                // Headers sit at the front: hit them more often than the data.
                const auto reach = random() % 2 ? std::min<qsizetype>(bytes.size(), 64) : bytes.size();
                bytes[qsizetype(random() % std::uint32_t(reach))] = char(random() % 3 ? random() : 0xFF);
            }
            reduceAlone(bytes);
        }
    }
    reduce(pictureFixture("heic-blocks.heic"));
}

#endif

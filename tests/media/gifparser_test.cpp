#include "media/gifparser.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "tests/media/gifparser_builder.h"

namespace vexal {
namespace {

using testgif::Frame;
using testgif::Gif;
using testgif::solid;

Gif threeFrames() {
    Gif g;
    g.width = 4;
    g.height = 4;
    g.loops = 3;
    Frame a = solid(0, 0, 4, 4, 1);
    a.delayCs = 10;
    a.disposal = 1;
    Frame b = solid(1, 1, 2, 2, 2);
    b.delayCs = 0;
    b.disposal = 2;
    b.transparent = 3;
    Frame c = solid(2, 0, 2, 3, 1);
    c.delayCs = 25;
    c.disposal = 3;
    c.localPalette = {0x102030, 0x405060};
    g.frames = {a, b, c};
    return g;
}

// Decodes a one-image GIF with giflib and returns its colour indices.
int readFromSpan(GifFileType* gif, GifByteType* out, int length) {
    auto* s = static_cast<std::span<const uint8_t>*>(gif->UserData);
    const size_t n = std::min(s->size(), static_cast<size_t>(length));
    std::copy_n(s->begin(), n, out);
    *s = s->subspan(n);
    return static_cast<int>(n);
}

std::vector<uint8_t> decodeIndices(const std::vector<uint8_t>& gifBytes) {
    std::span<const uint8_t> source(gifBytes);
    int error = 0;
    GifFileType* gif = DGifOpen(&source, readFromSpan, &error);
    if (!gif)
        return {};
    std::vector<uint8_t> out;
    if (DGifSlurp(gif) == GIF_OK && gif->ImageCount == 1) {
        const auto& d = gif->SavedImages[0].ImageDesc;
        out.assign(gif->SavedImages[0].RasterBits, gif->SavedImages[0].RasterBits + d.Width * d.Height);
    }
    DGifCloseFile(gif, &error);
    return out;
}

TEST(GifParser, SignatureIsComparedWithoutCase) {
    const auto good = testgif::encode(threeFrames());
    struct Case {
        std::string signature;
        bool loads;
    };
    for (const Case& c : {Case{"GIF89a", true}, Case{"gif89a", true}, Case{"GiF87A", true},
                          Case{"GIF90a", false}, Case{"GIF8 a", false}, Case{"\x89PNG\r\n", false}}) {
        auto bytes = good;
        std::copy(c.signature.begin(), c.signature.end(), bytes.begin());
        const auto result = parseGif(bytes);
        EXPECT_EQ(result.ok(), c.loads) << c.signature;
        EXPECT_EQ(result.table.frames.size(), c.loads ? 3u : 0u) << c.signature;
    }
}

TEST(GifParser, FrameTableCarriesPositionsDelaysDisposalAndTransparency) {
    const auto bytes = testgif::encode(threeFrames());
    const auto result = parseGif(bytes);
    ASSERT_TRUE(result.ok());
    const auto& t = result.table;
    EXPECT_EQ(t.loops, 3);
    ASSERT_EQ(t.frames.size(), 3u);

    struct Expect {
        int left, top, width, height, delayMs, disposal, palette;
        bool transparent;
        int transparentIndex;
    };
    const Expect expected[] = {
        {0, 0, 4, 4, 100, 1, 0, false, 0}, {1, 1, 2, 2, 0, 2, 0, true, 3}, {2, 0, 2, 3, 250, 3, 3, false, 0}};
    for (size_t i = 0; i < 3; ++i) {
        const GifFrame& f = t.frames[i];
        const Expect& e = expected[i];
        EXPECT_EQ(f.left, e.left) << i;
        EXPECT_EQ(f.top, e.top) << i;
        EXPECT_EQ(f.width, e.width) << i;
        EXPECT_EQ(f.height, e.height) << i;
        EXPECT_EQ(f.delayMs, e.delayMs) << i;
        EXPECT_EQ(f.disposal, e.disposal) << i;
        EXPECT_EQ(f.palette, e.palette) << i;
        EXPECT_EQ(f.transparent, e.transparent) << i;
        EXPECT_EQ(f.transparentIndex, e.transparentIndex) << i;
        // The data offset names the graphic control extension in front of the image.
        ASSERT_LT(f.dataOffset + 1, bytes.size());
        EXPECT_EQ(bytes[f.dataOffset], 0x21) << i;
        EXPECT_EQ(bytes[f.dataOffset + 1], 0xF9) << i;
        EXPECT_EQ(bytes[f.descriptorOffset], 0x2C) << i;
    }
    EXPECT_EQ(t.frames[2].localPaletteEntries, 2);
    EXPECT_EQ(framePalette(bytes, t, 2), (std::vector<uint32_t>{0xFF102030, 0xFF405060}));
    EXPECT_EQ(framePalette(bytes, t, 0),
              (std::vector<uint32_t>{0xFF000000, 0xFFFF0000, 0xFF00FF00, 0xFF0000FF}));
}

TEST(GifParser, ScreenGrowsToCoverFramesAndFirstFrameCannotRestorePrevious) {
    Gif g;
    g.width = 2;
    g.height = 2;
    Frame a = solid(0, 0, 2, 2, 1);
    a.disposal = 3;
    Frame b = solid(3, 1, 2, 4, 2);
    b.disposal = 3;
    Frame c = solid(0, 0, 1, 1, 2);
    c.control = false;
    g.frames = {a, b, c};
    const auto bytes = testgif::encode(g);
    const auto result = parseGif(bytes);
    ASSERT_TRUE(result.ok());
    EXPECT_EQ(result.table.screenWidth, 5);
    EXPECT_EQ(result.table.screenHeight, 5);
    ASSERT_EQ(result.table.frames.size(), 3u);
    EXPECT_EQ(result.table.frames[0].disposal, 0);
    EXPECT_EQ(result.table.frames[1].disposal, 3);
    EXPECT_FALSE(result.table.loops.has_value());
    // Without a graphic control the frame's data starts at its descriptor.
    EXPECT_FALSE(result.table.frames[2].hasControl);
    EXPECT_EQ(result.table.frames[2].dataOffset, result.table.frames[2].descriptorOffset);
}

// Hand-built files for the block rules giflib would not write.
std::vector<uint8_t> header(bool globalPalette) {
    std::vector<uint8_t> b = {'G', 'I', 'F', '8', '9', 'a', 2, 0, 2, 0};
    b.push_back(globalPalette ? 0x80 : 0x00);  // 2 entries when present
    b.push_back(0);
    b.push_back(0);
    if (globalPalette)
        b.insert(b.end(), {0, 0, 0, 255, 255, 255});
    return b;
}

void appendImage(std::vector<uint8_t>& b, bool localPalette, bool withData) {
    b.insert(b.end(), {0x2C, 0, 0, 0, 0, 1, 0, 1, 0});
    b.push_back(localPalette ? 0x80 : 0x00);
    if (localPalette)
        b.insert(b.end(), {1, 2, 3, 4, 5, 6});
    b.push_back(2);  // code size
    if (withData)
        b.insert(b.end(), {2, 0x44, 0x01});
    b.push_back(0);
}

TEST(GifParser, BlockRules) {
    struct Case {
        const char* name;
        std::vector<uint8_t> bytes;
        size_t frames;
        std::optional<int> loops;
    };
    std::vector<Case> cases;
    {
        auto b = header(true);
        b.insert(b.end(),
                 {0x21, 0xFF, 11, 'n', 'e', 't', 's', 'c', 'a', 'p', 'e', '2', '.', '0', 3, 1, 7, 1, 0});
        appendImage(b, false, true);
        b.push_back(0x3B);
        cases.push_back({"lower-case NETSCAPE identifier gives the loop count", b, 1, 263});
    }
    {
        auto b = header(true);
        b.insert(b.end(),
                 {0x21, 0xFF, 11, 'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0', 4, 1, 7, 0, 0, 0});
        appendImage(b, false, true);
        b.push_back(0x3B);
        cases.push_back({"a loop sub-block of another length is ignored", b, 1, std::nullopt});
    }
    {
        auto b = header(true);
        b.push_back(0x00);                                     // stray zero bytes between blocks are skipped
        b.insert(b.end(), {0x21, 0xFE, 3, 'h', 'i', '!', 0});  // a comment
        appendImage(b, false, false);                          // code size and terminator only
        appendImage(b, false, true);
        b.push_back(0x3B);
        cases.push_back({"an image without data is not a frame", b, 1, std::nullopt});
    }
    {
        auto b = header(false);
        appendImage(b, true, true);
        appendImage(b, false, true);  // neither local nor global palette: parsing ends here
        appendImage(b, true, true);
        b.push_back(0x3B);
        cases.push_back({"an image without any palette ends the file", b, 1, std::nullopt});
    }
    {
        auto b = header(true);
        appendImage(b, false, true);
        b.push_back(0x99);  // not a block: the frames so far are the file
        cases.push_back({"an unknown byte ends the blocks", b, 1, std::nullopt});
    }
    for (const Case& c : cases) {
        const auto result = parseGif(c.bytes);
        ASSERT_TRUE(result.ok()) << c.name;
        EXPECT_EQ(result.table.frames.size(), c.frames) << c.name;
        EXPECT_EQ(result.table.loops, c.loops) << c.name;
    }
}

TEST(GifParser, EveryTruncationFailsAsEndOfFile) {
    Gif small;
    small.frames = {solid(0, 0, 1, 1, 1)};
    for (const auto& full : {testgif::encode(threeFrames()), testgif::encode(small)}) {
        ASSERT_TRUE(parseGif(full).ok());
        for (size_t n = 0; n < full.size(); ++n) {
            const auto result = parseGif(std::span<const uint8_t>(full.data(), n));
            ASSERT_FALSE(result.ok()) << "prefix " << n;
            EXPECT_EQ(result.error->number, 53);
            EXPECT_EQ(result.error->source, "ReadGifFile");
            EXPECT_EQ(result.error->description, "End of File");
            EXPECT_TRUE(result.table.frames.empty());
        }
    }
}

TEST(GifParser, CorruptedFilesStayInsideTheirBytes) {
    const auto original = testgif::encode(threeFrames());
    std::mt19937 random(20261210);
    for (int round = 0; round < 3000; ++round) {
        auto bytes = original;
        const int flips = 1 + static_cast<int>(random() % 4);
        for (int i = 0; i < flips; ++i) bytes[random() % bytes.size()] = static_cast<uint8_t>(random());
        // Heap copies of exactly the file's size let the address sanitizer see any overread.
        std::vector<uint8_t> exact(bytes.begin(), bytes.end());
        const auto result = parseGif(exact);
        if (!result.ok())
            continue;
        for (size_t i = 0; i < result.table.frames.size(); ++i) {
            const GifFrame& f = result.table.frames[i];
            ASSERT_LE(f.dataEnd, exact.size());
            ASSERT_LT(f.imageDataOffset, f.dataEnd);
            const auto single = buildSingleFrameGif(exact, result.table, i);
            ASSERT_FALSE(single.empty());
            EXPECT_LE(single.size(), result.table.largestFrameData + 790);
            framePalette(exact, result.table, i);
            decodeIndices(single);
        }
    }
}

TEST(GifParser, SingleFrameGifDecodesToTheFramesColourIndices) {
    Gif g = threeFrames();
    g.frames[1].pixels = {0, 1, 2, 3};  // a transparent index among them must survive as an index
    g.frames[2].pixels = {1, 0, 0, 1, 1, 1};
    const auto bytes = testgif::encode(g);
    const auto result = parseGif(bytes);
    ASSERT_TRUE(result.ok());
    for (size_t i = 0; i < 3; ++i) {
        const auto single = buildSingleFrameGif(bytes, result.table, i);
        // Screen sized to the frame, 256-entry global palette, index ramp in blue.
        EXPECT_EQ(single[6] | single[7] << 8, g.frames[i].width);
        EXPECT_EQ(single[8] | single[9] << 8, g.frames[i].height);
        EXPECT_EQ(single[10] & 0x87, 0x87);
        EXPECT_EQ(single[13 + 3 * 200 + 2], 200);
        // The copied graphic control has its transparency flag cleared.
        EXPECT_EQ(single[13 + 768], 0x21);
        EXPECT_EQ(single[13 + 768 + 3] & 1, 0);
        EXPECT_EQ(single.back(), 0x3B);
        auto expected = g.frames[i].pixels;
        expected.resize(static_cast<size_t>(g.frames[i].width * g.frames[i].height), 0);
        EXPECT_EQ(decodeIndices(single), expected) << "frame " << i;
    }
    EXPECT_TRUE(buildSingleFrameGif(bytes, result.table, 3).empty());
}

}  // namespace
}  // namespace vexal

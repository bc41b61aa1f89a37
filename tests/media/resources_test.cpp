// The compiled pictures: exactly the listed numbers, all loadable, the right sizes and frames.
#include "media/resources.h"

#include <gif_lib.h>
#include <gtest/gtest.h>

#include "tests/media/gifparser_builder.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QTemporaryDir>
#include <cstdlib>
#include <cstring>
#include <set>
#include <utility>
#include <vector>

namespace vexal {
namespace {

// The numbers the client may ask for, as the table's picture lists name them.
std::vector<int> listedNumbers() {
    const std::pair<int, int> ranges[] = {{3, 31},    {35, 47},   {51, 63},   {130, 196}, {198, 210},
                                          {212, 232}, {240, 259}, {280, 354}, {360, 362}, {450, 451},
                                          {516, 519}, {521, 541}, {811, 815}, {817, 818}, {821, 828},
                                          {831, 838}, {840, 841}, {850, 864}, {870, 877}};
    std::vector<int> numbers;
    for (const auto& [first, last] : ranges) {
        for (int n = first; n <= last; ++n) numbers.push_back(n);
    }
    return numbers;
}

const std::set<int> kAnimated = {193, 194, 195, 196, 200, 218, 219, 220};

struct Reader {
    const QByteArray* bytes;
    qsizetype position = 0;
};

int readBytes(GifFileType* gif, GifByteType* buffer, int length) {
    auto* reader = static_cast<Reader*>(gif->UserData);
    const int count = static_cast<int>(std::min<qsizetype>(reader->bytes->size() - reader->position, length));
    std::memcpy(buffer, reader->bytes->constData() + reader->position, count);
    reader->position += count;
    return count;
}

struct GifFacts {
    bool readable = false;
    int frames = 0;
    bool loops = false;
    int smallestDelay = 0;
};

GifFacts inspect(const QByteArray& bytes) {
    GifFacts facts;
    Reader reader{&bytes};
    int error = 0;
    GifFileType* gif = DGifOpen(&reader, readBytes, &error);
    if (!gif)
        return facts;
    if (DGifSlurp(gif) == GIF_OK) {
        facts.readable = true;
        facts.frames = gif->ImageCount;
        facts.smallestDelay = 65535;
        for (int i = 0; i < gif->ImageCount; ++i) {
            GraphicsControlBlock control{};
            if (DGifSavedExtensionToGCB(gif, i, &control) == GIF_OK)
                facts.smallestDelay = std::min(facts.smallestDelay, control.DelayTime);
            const SavedImage& image = gif->SavedImages[i];
            for (int e = 0; e + 1 < image.ExtensionBlockCount; ++e) {
                const ExtensionBlock& block = image.ExtensionBlocks[e];
                if (block.Function == APPLICATION_EXT_FUNC_CODE && block.ByteCount == 11 &&
                    std::memcmp(block.Bytes, "NETSCAPE2.0", 11) == 0) {
                    facts.loops = true;
                }
            }
        }
    }
    DGifCloseFile(gif, nullptr);
    return facts;
}

QImage pictureOf(int number) {
    return decodeGifPicture(gifResourceBytes(number));
}

TEST(Resources, CompiledNumbersAreExactlyTheListedOnes) {
    const std::vector<int> listed = listedNumbers();
    EXPECT_EQ(listed.size(), 329u);
    EXPECT_EQ(gifResourceNumbers(), listed);
}

TEST(Resources, EveryListedNumberLoadsIntoAnImage) {
    for (int number : listedNumbers()) {
        QLabel image;
        ASSERT_TRUE(LoadGifResource(number, QStringLiteral("GIF"), &image)) << number;
        const QPixmap shown = image.pixmap();
        EXPECT_FALSE(shown.isNull()) << number;
        EXPECT_GT(shown.width() * shown.height(), 0) << number;
    }
}

TEST(Resources, AnimationsLoopOverSeveralFramesAndStillsHaveOne) {
    for (int number : listedNumbers()) {
        const GifFacts facts = inspect(gifResourceBytes(number));
        ASSERT_TRUE(facts.readable) << number;
        if (kAnimated.count(number)) {
            EXPECT_GT(facts.frames, 1) << number;
            EXPECT_TRUE(facts.loops) << number << " lacks the loop extension";
            EXPECT_GE(facts.smallestDelay, 2) << number << " has a frame with no delay";
        } else {
            EXPECT_EQ(facts.frames, 1) << number;
        }
    }
}

TEST(Resources, PicturesHaveTheSizesTheTableLaysOut) {
    struct Case {
        int number;
        int width, height;
    };
    const Case cases[] = {
        {3, 90, 120},     {17, 90, 120},    {18, 90, 120},
        {63, 90, 120},                                      // large cards and the back
        {301, 70, 94},    {352, 70, 94},    {354, 70, 94},  // small cards (0.78125 of large)
        {521, 207, 200},  {530, 207, 200},  {541, 207, 200},
        {517, 207, 200},                                     // back piles, flying card, own pile
        {516, 100, 140},                                     // the deck
        {140, 105, 30},   {141, 105, 30},   {142, 105, 30},  // round label icons
        {144, 68, 68},    {145, 68, 68},    {196, 68, 68},   // banker, partner and roar markers
        {146, 84, 146},                                      // frame of the called card
        {150, 50, 30},    {151, 50, 30},    {152, 60, 30},
        {169, 60, 30},                       // table buttons, large set
        {283, 47, 23},    {300, 47, 23},     // table buttons, small set
        {130, 1024, 768}, {131, 1024, 768},  // table backgrounds
        {132, 46, 220},                      // window skin, 690 × 3300 twips
    };
    for (const Case& c : cases) {
        const QImage image = pictureOf(c.number);
        EXPECT_EQ(image.size(), QSize(c.width, c.height)) << c.number;
    }
}

// Pictures the table tells apart must not come out the same (a catalogue slip would).
TEST(Resources, PicturesThatMeanDifferentThingsDiffer) {
    const std::vector<std::vector<int>> groups = {
        [] {
            std::vector<int> v;
            for (int n : listedNumbers())
                if (n <= 63)
                    v.push_back(n);
            return v;
        }(),
        [] {
            std::vector<int> v;
            for (int n = 301; n <= 354; ++n) v.push_back(n);
            return v;
        }(),
        [] {
            std::vector<int> v;
            for (int n = 240; n <= 259; ++n) v.push_back(n);
            return v;
        }(),
        {178, 179, 180, 181, 182, 183, 184, 185, 186, 187, 188, 189, 190, 191, 192},
        {150, 151, 152, 153, 154, 155, 156, 157, 158, 159, 160, 161, 162, 163, 164, 165, 166, 167, 168, 169},
        {201, 202, 207, 208, 209, 210, 360, 361, 362, 450, 451},
        {218, 219, 220},
    };
    for (const std::vector<int>& group : groups) {
        for (size_t i = 0; i < group.size(); ++i) {
            for (size_t j = i + 1; j < group.size(); ++j) {
                EXPECT_NE(pictureOf(group[i]), pictureOf(group[j])) << group[i] << " and " << group[j];
            }
        }
    }
}

// The small set is laid out A, 2, 3 … K per suit, the large set by picture index; a slip in
// either would show the wrong card. Each small card must look most like its own large card.
TEST(Resources, SmallCardsShowTheSameCardsAsTheLargeOnes) {
    std::vector<std::pair<int, int>> pairs;  // large, small
    for (int suit = 0; suit < 4; ++suit) {
        for (int rank = 3; rank <= 15; ++rank) {
            pairs.emplace_back(suit * 16 + rank,
                               rank <= 13 ? 300 + 13 * suit + rank : 287 + 13 * suit + rank);
        }
    }
    pairs.emplace_back(16, 353);
    pairs.emplace_back(17, 354);
    std::vector<QImage> shrunk;
    for (const auto& [large, small] : pairs) {
        shrunk.push_back(
            pictureOf(large).scaled(QSize(70, 94), Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
    }
    auto difference = [](const QImage& a, const QImage& b) {
        long total = 0;
        for (int y = 0; y < a.height(); ++y) {
            for (int x = 0; x < a.width(); ++x) {
                const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
                total += std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) +
                         std::abs(qBlue(p) - qBlue(q));
            }
        }
        return total;
    };
    for (size_t i = 0; i < pairs.size(); ++i) {
        const QImage small = pictureOf(pairs[i].second);
        ASSERT_EQ(small.size(), QSize(70, 94)) << pairs[i].second;
        size_t best = 0;
        long bestDifference = -1;
        for (size_t j = 0; j < pairs.size(); ++j) {
            const long d = difference(small, shrunk[j]);
            if (bestDifference < 0 || d < bestDifference) {
                bestDifference = d;
                best = j;
            }
        }
        EXPECT_EQ(pairs[best].first, pairs[i].first) << "small picture " << pairs[i].second;
    }
}

TEST(Resources, CardCornersAndBubblesShowTheFeltThrough) {
    const int seeThrough[] = {3, 17, 18, 301, 354, 221, 232, 212, 360, 280, 521, 196};
    for (int number : seeThrough) {
        const QImage image = pictureOf(number);
        EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0) << number;
    }
    for (int number : {3, 301, 18}) {
        const QImage image = pictureOf(number);
        EXPECT_EQ(qAlpha(image.pixel(image.width() / 2, image.height() / 2)), 255) << number;
    }
}

TEST(Resources, LoadingTheBankHoverPictureChangesTheButton) {
    QLabel bank;
    ASSERT_TRUE(LoadGifResource(450, QStringLiteral("GIF"), &bank));
    const QImage before = bank.pixmap().toImage();
    ASSERT_TRUE(LoadGifResource(451, QStringLiteral("GIF"), &bank));
    EXPECT_NE(bank.pixmap().toImage(), before);
}

// A picture is decoded once while anything holds it, and let go once nothing but the cache
// does: over a round most of the deck passes across the table and is not shown again.
TEST(Resources, PicturesStayDecodedWhileHeldAndAreLetGoAfterwards) {
    const QString gif = QStringLiteral("GIF");
    QLabel shown;
    ASSERT_TRUE(LoadGifResource(360, gif, &shown));
    QPixmap kept;
    ASSERT_TRUE(LoadGifResource(361, gif, kept));
    QPixmap dropped;
    ASSERT_TRUE(LoadGifResource(362, gif, dropped));
    const qint64 shownKey = shown.pixmap().cacheKey();
    const qint64 keptKey = kept.cacheKey();
    const qint64 droppedKey = dropped.cacheKey();
    const QImage droppedImage = dropped.toImage();
    dropped = QPixmap();

    QPixmap other;
    ASSERT_TRUE(LoadGifResource(450, gif, other));
    QPixmap again;
    ASSERT_TRUE(LoadGifResource(360, gif, again));
    EXPECT_EQ(again.cacheKey(), shownKey);
    ASSERT_TRUE(LoadGifResource(361, gif, again));
    EXPECT_EQ(again.cacheKey(), keptKey);
    ASSERT_TRUE(LoadGifResource(362, gif, again));
    EXPECT_NE(again.cacheKey(), droppedKey);
    EXPECT_EQ(again.toImage(), droppedImage);
}

// A picture decoded ahead on another thread is the very picture a plain load decodes; asking twice
// starts one decode, and an absent number starts none and still loads nothing.
TEST(Resources, PicturesDecodedAheadAreTheSamePictures) {
    const QString gif = QStringLiteral("GIF");
    for (const int number : {picture::kTableBackgroundAlt, picture::kOwnPile, 203}) {
        prefetchGifPicture(number);
        prefetchGifPicture(number);
    }
    prefetchGifPicture(999);
    for (const int number : {203, picture::kOwnPile, picture::kTableBackgroundAlt}) {
        QPixmap ahead;
        ASSERT_TRUE(LoadGifResource(number, gif, ahead)) << number;
        EXPECT_EQ(ahead.toImage(), decodeGifPicture(gifResourceBytes(number))) << number;
    }
    QPixmap none;
    EXPECT_FALSE(LoadGifResource(999, gif, none));
    EXPECT_TRUE(none.isNull());
}

TEST(Resources, AbsentNumbersAndOtherTypesChangeNothing) {
    struct Case {
        int number;
        QString type;
    };
    const Case cases[] = {{0, "GIF"},   {2, "GIF"},   {32, "GIF"},  {48, "GIF"},  {197, "GIF"}, {211, "GIF"},
                          {233, "GIF"}, {260, "GIF"}, {355, "GIF"}, {520, "GIF"}, {816, "GIF"}, {865, "GIF"},
                          {999, "GIF"}, {-1, "GIF"},  {451, "BMP"}, {451, ""},    {451, "GIFS"}};
    QLabel image;
    ASSERT_TRUE(LoadGifResource(450, QStringLiteral("GIF"), &image));
    const qint64 shown = image.pixmap().cacheKey();
    QPixmap picture;
    ASSERT_TRUE(LoadGifResource(450, QStringLiteral("gif"), picture));
    const qint64 held = picture.cacheKey();
    QTemporaryDir dir;
    for (const Case& c : cases) {
        EXPECT_FALSE(LoadGifResource(c.number, c.type, &image)) << c.number << ' ' << c.type.toStdString();
        EXPECT_EQ(image.pixmap().cacheKey(), shown) << c.number;
        EXPECT_FALSE(LoadGifResource(c.number, c.type, picture)) << c.number;
        EXPECT_EQ(picture.cacheKey(), held) << c.number;
        const QString path = dir.filePath(QStringLiteral("absent.gif"));
        EXPECT_FALSE(ExtractGifResource(c.number, c.type, path)) << c.number;
        EXPECT_FALSE(QFile::exists(path)) << c.number;
    }
    EXPECT_FALSE(LoadGifResource(450, QStringLiteral("GIF"), static_cast<QLabel*>(nullptr)));
}

TEST(Resources, ExtractWritesTheBytesUnchanged) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("tmp.GIF"));
    for (int number : {218, 200, 3}) {  // overwriting the same scratch file each time
        ASSERT_TRUE(ExtractGifResource(number, QStringLiteral("GIF"), path)) << number;
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_EQ(file.readAll(), gifResourceBytes(number)) << number;
    }
    EXPECT_FALSE(
        ExtractGifResource(218, QStringLiteral("GIF"), dir.filePath(QStringLiteral("no/such/dir/tmp.GIF"))));
}

TEST(Resources, ScratchFileLivesInAPrivateTemporaryDirectory) {
    const QString path = gifScratchPath();
    ASSERT_FALSE(path.isEmpty());
    EXPECT_EQ(QFileInfo(path).fileName(), QStringLiteral("tmp.GIF"));
    EXPECT_TRUE(QFileInfo(path).absolutePath().startsWith(QDir::tempPath()));
    EXPECT_EQ(gifScratchPath(), path);
    ASSERT_TRUE(ExtractGifResource(193, QStringLiteral("GIF"), path));
    EXPECT_EQ(inspect(QByteArray([&] {
                  QFile f(path);
                  f.open(QIODevice::ReadOnly);
                  return f.readAll();
              }()))
                  .frames,
              inspect(gifResourceBytes(193)).frames);
}

// The first image lands at its offset on the logical screen, row for row whether stored in
// order or in interlace passes; its see-through colour and the screen around it stay clear, and
// the frames after it do not count.
TEST(Resources, DecodingPlacesTheFirstImageOnItsScreen) {
    for (const bool interlaced : {false, true}) {
        SCOPED_TRACE(interlaced ? "interlaced" : "in order");
        testgif::Frame first;
        first.left = 2;
        first.top = 1;
        first.width = 5;
        first.height = 11;
        first.transparent = 0;
        first.interlaced = interlaced;
        for (int y = 0; y < first.height; ++y)
            for (int x = 0; x < first.width; ++x) first.pixels.push_back(static_cast<uint8_t>((x + y) % 4));
        testgif::Gif spec;
        spec.width = 8;
        spec.height = 13;
        spec.frames = {first, testgif::solid(0, 0, 8, 13, 1)};
        const std::vector<uint8_t> file = testgif::encode(spec);
        const QImage image = decodeGifPicture(QByteArray(reinterpret_cast<const char*>(file.data()),
                                                         static_cast<qsizetype>(file.size())));
        ASSERT_EQ(image.size(), QSize(8, 13));
        for (int y = 0; y < 13; ++y) {
            for (int x = 0; x < 8; ++x) {
                const int fx = x - first.left;
                const int fy = y - first.top;
                const bool inside = fx >= 0 && fx < first.width && fy >= 0 && fy < first.height;
                const int index = inside ? (fx + fy) % 4 : 0;
                const QRgb expected = index == 0 ? 0 : 0xFF000000u | spec.globalPalette[static_cast<size_t>(index)];
                EXPECT_EQ(image.pixel(x, y), expected) << x << ',' << y;
            }
        }
    }
}

TEST(Resources, DecodingRejectsWhatIsNoGif) {
    const QByteArray good = gifResourceBytes(3);
    const QByteArray cases[] = {
        QByteArray(),  QByteArray("GIF89a"),       QByteArray("not a picture at all"),
        good.left(13), good.left(good.size() / 2), QByteArray(good).replace(0, 3, "PNG")};
    for (const QByteArray& bytes : cases) EXPECT_TRUE(decodeGifPicture(bytes).isNull()) << bytes.size();
    EXPECT_FALSE(decodeGifPicture(good).isNull());
}

}  // namespace
}  // namespace vexal

int main(int argc, char** argv) {
    // Listing the tests runs the program outside the test environment; it must need no display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

// The artwork generator's GIF writer: colours, transparency, frames and loops survive the trip.
#include <gif_lib.h>
#include <gtest/gtest.h>

#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "assets/artgen/gifwriter.h"

namespace vexal::artgen {
namespace {

struct ReadBack {
    int width = 0, height = 0, frames = 0, loops = -1;
    std::vector<int> delays;
    std::vector<QImage> images;
};

ReadBack readBack(const QString& path) {
    ReadBack result;
    int error = 0;
    GifFileType* gif = DGifOpenFileName(QFile::encodeName(path).constData(), &error);
    if (!gif)
        return result;
    if (DGifSlurp(gif) == GIF_OK) {
        result.width = gif->SWidth;
        result.height = gif->SHeight;
        result.frames = gif->ImageCount;
        for (int i = 0; i < gif->ImageCount; ++i) {
            const SavedImage& frame = gif->SavedImages[i];
            for (int e = 0; e + 1 < frame.ExtensionBlockCount; ++e) {
                const ExtensionBlock& block = frame.ExtensionBlocks[e];
                if (block.Function == APPLICATION_EXT_FUNC_CODE && block.ByteCount == 11 &&
                    std::memcmp(block.Bytes, "NETSCAPE2.0", 11) == 0) {
                    const ExtensionBlock& data = frame.ExtensionBlocks[e + 1];
                    if (data.ByteCount == 3)
                        result.loops = data.Bytes[1] | (data.Bytes[2] << 8);
                }
            }
            GraphicsControlBlock control{};
            control.TransparentColor = NO_TRANSPARENT_COLOR;
            DGifSavedExtensionToGCB(gif, i, &control);
            result.delays.push_back(control.DelayTime);
            const ColorMapObject* map = frame.ImageDesc.ColorMap ? frame.ImageDesc.ColorMap : gif->SColorMap;
            QImage image(gif->SWidth, gif->SHeight, QImage::Format_ARGB32);
            image.fill(Qt::transparent);
            for (int y = 0; y < frame.ImageDesc.Height; ++y) {
                for (int x = 0; x < frame.ImageDesc.Width; ++x) {
                    const int index = frame.RasterBits[y * frame.ImageDesc.Width + x];
                    if (index == control.TransparentColor)
                        continue;
                    const GifColorType& c = map->Colors[index];
                    image.setPixel(frame.ImageDesc.Left + x, frame.ImageDesc.Top + y,
                                   qRgb(c.Red, c.Green, c.Blue));
                }
            }
            result.images.push_back(image);
        }
    }
    DGifCloseFile(gif, nullptr);
    return result;
}

int channelError(QRgb a, QRgb b) {
    return std::max(
        {std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)), std::abs(qBlue(a) - qBlue(b))});
}

class GifWriter : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString path(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }
};

TEST_F(GifWriter, FewColoursComeBackExactly) {
    QImage image(40, 30, QImage::Format_ARGB32);
    const QRgb colours[] = {qRgb(200, 16, 46), qRgb(24, 24, 28), qRgb(255, 255, 255), qRgb(28, 92, 56)};
    for (int y = 0; y < 30; ++y) {
        for (int x = 0; x < 40; ++x) image.setPixel(x, y, colours[(x / 10 + y / 10) % 4]);
    }
    Picture picture;
    picture.frames.push_back({image, 0});
    ASSERT_EQ(writeGif(picture, path("few.gif")), QString());
    const ReadBack back = readBack(path("few.gif"));
    ASSERT_EQ(back.frames, 1);
    EXPECT_EQ(back.images[0], image.convertToFormat(QImage::Format_ARGB32));
}

TEST_F(GifWriter, ManyColoursAreReducedCloselyToAPaletteOf255) {
    // A full colour sweep: far more than 255 colours.
    QImage image(256, 64, QImage::Format_ARGB32);
    for (int y = 0; y < 64; ++y) {
        for (int x = 0; x < 256; ++x) image.setPixel(x, y, qRgb(x, y * 4, 255 - x));
    }
    const std::vector<QRgb> palette = buildPalette({image}, 255);
    EXPECT_LE(palette.size(), 255u);
    EXPECT_GT(palette.size(), 200u);
    Picture picture;
    picture.frames.push_back({image, 0});
    ASSERT_EQ(writeGif(picture, path("sweep.gif")), QString());
    const ReadBack back = readBack(path("sweep.gif"));
    ASSERT_EQ(back.frames, 1);
    int worst = 0;
    double total = 0;
    for (int y = 0; y < 64; ++y) {
        for (int x = 0; x < 256; ++x) {
            const int e = channelError(back.images[0].pixel(x, y), image.pixel(x, y));
            worst = std::max(worst, e);
            total += e;
        }
    }
    EXPECT_LT(worst, 40);
    EXPECT_LT(total / (256 * 64), 10.0);
}

TEST_F(GifWriter, TransparencyAndEdgesFollowTheAlpha) {
    struct Case {
        QRgb source;
        bool transparent;
        QRgb expected;  // when opaque
    };
    const QColor matte(28, 92, 56);
    const Case cases[] = {
        {qRgba(0, 0, 0, 0), true, 0},
        {qRgba(255, 255, 255, 100), true, 0},
        {qRgba(255, 255, 255, 255), false, qRgb(255, 255, 255)},
        // Half-covered edge pixel: blended over the matte, then made opaque.
        {qRgba(255, 255, 255, 191), false,
         qRgb((255 * 191 + 28 * 64) / 255, (255 * 191 + 92 * 64) / 255, (255 * 191 + 56 * 64) / 255)},
    };
    QImage image(4, 1, QImage::Format_ARGB32);
    for (int i = 0; i < 4; ++i) image.setPixel(i, 0, cases[i].source);
    Picture picture;
    picture.matte = matte;
    picture.frames.push_back({image, 0});
    ASSERT_EQ(writeGif(picture, path("edges.gif")), QString());
    const ReadBack back = readBack(path("edges.gif"));
    ASSERT_EQ(back.frames, 1);
    for (int i = 0; i < 4; ++i) {
        const QRgb got = back.images[0].pixel(i, 0);
        EXPECT_EQ(qAlpha(got) == 0, cases[i].transparent) << i;
        if (!cases[i].transparent) {
            EXPECT_LE(channelError(got, cases[i].expected), 1) << i;
        }
    }
}

TEST_F(GifWriter, AnimationsKeepFramesDelaysAndLoopCount) {
    Picture picture;
    picture.loops = 3;
    for (int f = 0; f < 5; ++f) {
        QImage image(16, 16, QImage::Format_ARGB32);
        image.fill(Qt::transparent);
        for (int x = 0; x < 16; ++x) image.setPixel(x, f, qRgb(250, 40 * f, 10));
        picture.frames.push_back({image, 5 + f});
    }
    ASSERT_EQ(writeGif(picture, path("anim.gif")), QString());
    const ReadBack back = readBack(path("anim.gif"));
    ASSERT_EQ(back.frames, 5);
    EXPECT_EQ(back.loops, 3);
    EXPECT_EQ(back.delays, (std::vector<int>{5, 6, 7, 8, 9}));
    for (int f = 0; f < 5; ++f) {
        EXPECT_EQ(back.images[f].pixel(3, f), qRgb(250, 40 * f, 10)) << f;
        EXPECT_EQ(qAlpha(back.images[f].pixel(3, (f + 1) % 16)), 0) << f;
    }
}

TEST_F(GifWriter, UnwritablePicturesFailWithAReasonAndLeaveNoFile) {
    Picture empty;
    EXPECT_FALSE(writeGif(empty, path("empty.gif")).isEmpty());
    Picture clear;
    QImage blank(8, 8, QImage::Format_ARGB32);
    blank.fill(Qt::transparent);
    clear.frames.push_back({blank, 0});
    EXPECT_FALSE(writeGif(clear, path("clear.gif")).isEmpty());
    Picture mixed;
    QImage a(8, 8, QImage::Format_ARGB32), b(9, 8, QImage::Format_ARGB32);
    a.fill(Qt::red);
    b.fill(Qt::red);
    mixed.frames = {{a, 5}, {b, 5}};
    EXPECT_FALSE(writeGif(mixed, path("mixed.gif")).isEmpty());
    Picture fine;
    fine.frames.push_back({a, 0});
    EXPECT_FALSE(writeGif(fine, path("missing/dir/fine.gif")).isEmpty());
    for (const char* name : {"empty.gif", "clear.gif", "mixed.gif", "mixed.gif.part"})
        EXPECT_FALSE(QFile::exists(path(name))) << name;
}

}  // namespace
}  // namespace vexal::artgen

int main(int argc, char** argv) {
    // Listing the tests runs the program outside the test environment; it must need no display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

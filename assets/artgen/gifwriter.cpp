#include "assets/artgen/gifwriter.h"

#include <gif_lib.h>

#include <QFile>
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <unordered_map>

namespace vexal::artgen {
namespace {

constexpr int kTransparentIndex = 255;

// Every pixel ends up fully opaque or fully transparent; half-covered edge pixels are blended
// over the matte first.
QImage flatten(const QImage& source, QColor matte) {
    QImage image = source.convertToFormat(QImage::Format_ARGB32);
    const int mr = matte.red(), mg = matte.green(), mb = matte.blue();
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = line[x];
            const int a = qAlpha(p);
            if (a == 255)
                continue;
            if (a < 128) {
                line[x] = 0;
                continue;
            }
            line[x] = qRgb((qRed(p) * a + mr * (255 - a)) / 255, (qGreen(p) * a + mg * (255 - a)) / 255,
                           (qBlue(p) * a + mb * (255 - a)) / 255);
        }
    }
    return image;
}

struct Bin {
    uint64_t r = 0, g = 0, b = 0, count = 0;
    int mean(int channel) const {
        const uint64_t s = channel == 0 ? r : channel == 1 ? g : b;
        return static_cast<int>(s / count);
    }
};

struct Box {
    size_t begin, end;  // range of bins
    uint64_t count;
    int range;
    int axis;
};

Box measure(const std::vector<Bin>& bins, size_t begin, size_t end) {
    std::array<int, 3> lo{255, 255, 255}, hi{0, 0, 0};
    uint64_t count = 0;
    for (size_t i = begin; i < end; ++i) {
        for (int c = 0; c < 3; ++c) {
            lo[c] = std::min(lo[c], bins[i].mean(c));
            hi[c] = std::max(hi[c], bins[i].mean(c));
        }
        count += bins[i].count;
    }
    Box box{begin, end, count, 0, 0};
    for (int c = 0; c < 3; ++c) {
        if (hi[c] - lo[c] > box.range) {
            box.range = hi[c] - lo[c];
            box.axis = c;
        }
    }
    return box;
}

// Median cut over a 5-bit-per-channel histogram; palette entries are the exact mean colours of
// the pixels each box holds.
std::vector<QRgb> medianCut(std::vector<Bin> bins, int maxColours) {
    std::vector<Box> boxes{measure(bins, 0, bins.size())};
    while (static_cast<int>(boxes.size()) < maxColours) {
        int best = -1;
        double bestScore = 0;
        for (size_t i = 0; i < boxes.size(); ++i) {
            if (boxes[i].end - boxes[i].begin < 2 || boxes[i].range == 0)
                continue;
            const double score =
                static_cast<double>(boxes[i].range) * std::sqrt(static_cast<double>(boxes[i].count));
            if (score > bestScore) {
                bestScore = score;
                best = static_cast<int>(i);
            }
        }
        if (best < 0)
            break;
        const Box box = boxes[best];
        std::sort(bins.begin() + box.begin, bins.begin() + box.end,
                  [axis = box.axis](const Bin& a, const Bin& b) { return a.mean(axis) < b.mean(axis); });
        uint64_t half = 0;
        size_t cut = box.begin + 1;
        for (size_t i = box.begin; i < box.end - 1; ++i) {
            half += bins[i].count;
            cut = i + 1;
            if (half * 2 >= box.count)
                break;
        }
        boxes[best] = measure(bins, box.begin, cut);
        boxes.push_back(measure(bins, cut, box.end));
    }
    std::vector<QRgb> palette;
    for (const Box& box : boxes) {
        uint64_t r = 0, g = 0, b = 0, n = 0;
        for (size_t i = box.begin; i < box.end; ++i) {
            r += bins[i].r;
            g += bins[i].g;
            b += bins[i].b;
            n += bins[i].count;
        }
        palette.push_back(qRgb(static_cast<int>(r / n), static_cast<int>(g / n), static_cast<int>(b / n)));
    }
    return palette;
}

int nearest(const std::vector<QRgb>& palette, QRgb colour) {
    int best = 0, bestDistance = INT32_MAX;
    for (size_t i = 0; i < palette.size(); ++i) {
        const int dr = qRed(palette[i]) - qRed(colour), dg = qGreen(palette[i]) - qGreen(colour),
                  db = qBlue(palette[i]) - qBlue(colour);
        const int d = 3 * dr * dr + 4 * dg * dg + 2 * db * db;
        if (d < bestDistance) {
            bestDistance = d;
            best = static_cast<int>(i);
        }
    }
    return best;
}

struct GifCloser {
    GifFileType* gif = nullptr;
    ~GifCloser() {
        if (gif)
            EGifCloseFile(gif, nullptr);
    }
};

}  // namespace

std::vector<QRgb> buildPalette(const std::vector<QImage>& images, int maxColours) {
    std::unordered_map<QRgb, int> exact;
    std::vector<Bin> histogram(32768);
    for (const QImage& image : images) {
        for (int y = 0; y < image.height(); ++y) {
            const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
            for (int x = 0; x < image.width(); ++x) {
                const QRgb p = line[x];
                if (qAlpha(p) == 0)
                    continue;
                if (exact.size() <= static_cast<size_t>(maxColours))
                    exact.emplace(p | 0xff000000u, 0);
                Bin& bin = histogram[((qRed(p) >> 3) << 10) | ((qGreen(p) >> 3) << 5) | (qBlue(p) >> 3)];
                bin.r += qRed(p);
                bin.g += qGreen(p);
                bin.b += qBlue(p);
                ++bin.count;
            }
        }
    }
    if (exact.size() <= static_cast<size_t>(maxColours)) {
        std::vector<QRgb> palette;
        for (const auto& [colour, unused] : exact) palette.push_back(colour);
        std::sort(palette.begin(), palette.end());
        return palette;
    }
    std::vector<Bin> used;
    for (const Bin& bin : histogram) {
        if (bin.count)
            used.push_back(bin);
    }
    return medianCut(std::move(used), maxColours);
}

QString writeGif(const Picture& picture, const QString& path) {
    if (picture.frames.empty())
        return QStringLiteral("no frames");
    const QSize size = picture.frames.front().image.size();
    if (size.isEmpty() || size.width() > 65535 || size.height() > 65535)
        return QStringLiteral("bad size");

    std::vector<QImage> flat;
    bool transparent = false;
    for (const Frame& frame : picture.frames) {
        if (frame.image.size() != size)
            return QStringLiteral("frames differ in size");
        flat.push_back(flatten(frame.image, picture.matte));
        const QImage& image = flat.back();
        for (int y = 0; y < image.height() && !transparent; ++y) {
            const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
            for (int x = 0; x < image.width(); ++x) {
                if (qAlpha(line[x]) == 0) {
                    transparent = true;
                    break;
                }
            }
        }
    }
    const std::vector<QRgb> palette = buildPalette(flat, 255);
    if (palette.empty())
        return QStringLiteral("picture is fully transparent");

    std::array<GifColorType, 256> colours{};
    for (size_t i = 0; i < palette.size(); ++i) {
        colours[i] = GifColorType{static_cast<GifByteType>(qRed(palette[i])),
                                  static_cast<GifByteType>(qGreen(palette[i])),
                                  static_cast<GifByteType>(qBlue(palette[i]))};
    }
    // The transparent entry carries the matte colour, for viewers that ignore transparency.
    colours[kTransparentIndex] = GifColorType{static_cast<GifByteType>(picture.matte.red()),
                                              static_cast<GifByteType>(picture.matte.green()),
                                              static_cast<GifByteType>(picture.matte.blue())};

    const QString partPath = path + QStringLiteral(".part");
    int error = 0;
    GifCloser closer{EGifOpenFileName(QFile::encodeName(partPath).constData(), false, &error)};
    GifFileType* gif = closer.gif;
    if (!gif)
        return QStringLiteral("cannot create %1: %2").arg(partPath, QString::fromUtf8(GifErrorString(error)));
    auto fail = [&](const char* what) {
        QString message = QStringLiteral("%1: %2").arg(QString::fromUtf8(what),
                                                       QString::fromUtf8(GifErrorString(gif->Error)));
        EGifCloseFile(gif, nullptr);
        closer.gif = nullptr;
        QFile::remove(partPath);
        return message;
    };

    EGifSetGifVersion(gif, true);
    ColorMapObject* map = GifMakeMapObject(256, colours.data());
    if (!map)
        return fail("palette");
    const int screenStatus =
        EGifPutScreenDesc(gif, size.width(), size.height(), 8, transparent ? kTransparentIndex : 0, map);
    GifFreeMapObject(map);
    if (screenStatus == GIF_ERROR)
        return fail("screen descriptor");

    const bool animated = picture.frames.size() > 1;
    if (animated) {
        const GifByteType loop[3] = {1, static_cast<GifByteType>(picture.loops & 0xff),
                                     static_cast<GifByteType>((picture.loops >> 8) & 0xff)};
        if (EGifPutExtensionLeader(gif, APPLICATION_EXT_FUNC_CODE) == GIF_ERROR ||
            EGifPutExtensionBlock(gif, 11, "NETSCAPE2.0") == GIF_ERROR ||
            EGifPutExtensionBlock(gif, 3, loop) == GIF_ERROR || EGifPutExtensionTrailer(gif) == GIF_ERROR) {
            return fail("loop extension");
        }
    }

    std::unordered_map<QRgb, GifByteType> lookup;
    std::vector<GifPixelType> row(size.width());
    for (size_t f = 0; f < flat.size(); ++f) {
        if (animated || transparent) {
            GraphicsControlBlock control{};
            control.DisposalMode = animated ? DISPOSE_BACKGROUND : DISPOSAL_UNSPECIFIED;
            control.UserInputFlag = false;
            control.DelayTime = animated ? std::max(1, picture.frames[f].delayCs) : 0;
            control.TransparentColor = transparent ? kTransparentIndex : NO_TRANSPARENT_COLOR;
            GifByteType extension[4];
            const size_t length = EGifGCBToExtension(&control, extension);
            if (EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, static_cast<int>(length), extension) ==
                GIF_ERROR) {
                return fail("graphic control");
            }
        }
        if (EGifPutImageDesc(gif, 0, 0, size.width(), size.height(), false, nullptr) == GIF_ERROR)
            return fail("image descriptor");
        const QImage& image = flat[f];
        for (int y = 0; y < size.height(); ++y) {
            const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
            for (int x = 0; x < size.width(); ++x) {
                const QRgb p = line[x];
                if (qAlpha(p) == 0) {
                    row[x] = kTransparentIndex;
                    continue;
                }
                auto it = lookup.find(p);
                if (it == lookup.end())
                    it = lookup.emplace(p, static_cast<GifByteType>(nearest(palette, p))).first;
                row[x] = it->second;
            }
            if (EGifPutLine(gif, row.data(), size.width()) == GIF_ERROR)
                return fail("image data");
        }
    }
    closer.gif = nullptr;
    if (EGifCloseFile(gif, &error) == GIF_ERROR) {
        QFile::remove(partPath);
        return QStringLiteral("closing %1: %2").arg(partPath, QString::fromUtf8(GifErrorString(error)));
    }
    QFile::remove(path);
    if (!QFile::rename(partPath, path))
        return QStringLiteral("cannot rename %1").arg(partPath);
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
    return {};
}

}  // namespace vexal::artgen

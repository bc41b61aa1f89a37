// vexal-contactsheet: renders every compiled picture with its number into one PNG for review.
#include <gif_lib.h>

#include <QDir>
#include <QFile>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "media/resources.h"

namespace {

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

// Every frame of a picture, each drawn on its own (our pictures are full-size frames).
std::vector<QImage> frames(const QByteArray& bytes) {
    std::vector<QImage> result;
    Reader reader{&bytes};
    int error = 0;
    GifFileType* gif = DGifOpen(&reader, readBytes, &error);
    if (!gif)
        return result;
    if (DGifSlurp(gif) == GIF_OK) {
        for (int i = 0; i < gif->ImageCount; ++i) {
            const SavedImage& frame = gif->SavedImages[i];
            const ColorMapObject* map = frame.ImageDesc.ColorMap ? frame.ImageDesc.ColorMap : gif->SColorMap;
            GraphicsControlBlock control{};
            control.TransparentColor = NO_TRANSPARENT_COLOR;
            DGifSavedExtensionToGCB(gif, i, &control);
            QImage image(gif->SWidth, gif->SHeight, QImage::Format_ARGB32);
            image.fill(Qt::transparent);
            for (int y = 0; y < frame.ImageDesc.Height; ++y) {
                for (int x = 0; x < frame.ImageDesc.Width; ++x) {
                    const int index = frame.RasterBits[y * frame.ImageDesc.Width + x];
                    if (index == control.TransparentColor || !map || index >= map->ColorCount)
                        continue;
                    const GifColorType& c = map->Colors[index];
                    image.setPixel(frame.ImageDesc.Left + x, frame.ImageDesc.Top + y,
                                   qRgb(c.Red, c.Green, c.Blue));
                }
            }
            result.push_back(image);
        }
    }
    DGifCloseFile(gif, nullptr);
    return result;
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    const QString out = args.size() > 1 ? args[1] : QStringLiteral("contact-sheet.png");
    // Optional second argument: first-last range of numbers to show (default: all).
    int first = 0, last = 100000;
    if (args.size() > 2) {
        const QStringList range = args[2].split('-');
        first = range.value(0).toInt();
        last = range.value(1, range.value(0)).toInt();
    }

    // Optional third argument: a directory of NNN.gif files to show instead of the compiled ones.
    const QString directory = args.value(3);
    std::vector<int> all;
    if (directory.isEmpty()) {
        all = vexal::gifResourceNumbers();
    } else {
        for (const QString& name : QDir(directory).entryList({QStringLiteral("*.gif")}, QDir::Files))
            all.push_back(name.chopped(4).toInt());
        std::sort(all.begin(), all.end());
    }
    auto bytesOf = [&](int n) {
        if (directory.isEmpty())
            return vexal::gifResourceBytes(n);
        QFile file(QDir(directory).filePath(QStringLiteral("%1.gif").arg(n)));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    };
    std::vector<int> numbers;
    std::copy_if(all.begin(), all.end(), std::back_inserter(numbers),
                 [&](int n) { return n >= first && n <= last; });
    // A single number is shown at its own size, on the felt colour.
    if (numbers.size() == 1) {
        const std::vector<QImage> images = frames(bytesOf(numbers.front()));
        if (images.empty())
            return 1;
        QImage shown(images.front().size(), QImage::Format_ARGB32);
        shown.fill(QColor(24, 84, 50));
        QPainter(&shown).drawImage(0, 0, images.front());
        if (!shown.save(out))
            return 1;
        std::printf("%s\n", out.toLocal8Bit().constData());
        return 0;
    }
    const int cellW = 150, cellH = 156, maxPicture = 130;
    const int columns = std::clamp(static_cast<int>(numbers.size()), 1, 12);
    std::vector<std::pair<int, std::vector<QImage>>> pictures;
    std::vector<int> animated;
    for (int n : numbers) {
        pictures.emplace_back(n, frames(bytesOf(n)));
        if (pictures.back().second.size() > 1)
            animated.push_back(static_cast<int>(pictures.size() - 1));
    }
    const int rows = (static_cast<int>(pictures.size()) + columns - 1) / columns;
    const int stripH = 230;
    QImage sheet(cellW * columns, cellH * rows + stripH * static_cast<int>(animated.size()) + 10,
                 QImage::Format_ARGB32);
    sheet.fill(QColor(24, 84, 50));
    QPainter p(&sheet);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    QFont label(QStringLiteral("WenQuanYi Micro Hei"));
    label.setPixelSize(13);
    label.setBold(true);
    p.setFont(label);
    for (size_t i = 0; i < pictures.size(); ++i) {
        const auto& [number, images] = pictures[i];
        const QRect cell(static_cast<int>(i % columns) * cellW, static_cast<int>(i / columns) * cellH, cellW,
                         cellH);
        p.setPen(QColor(60, 120, 80));
        p.drawRect(cell.adjusted(0, 0, -1, -1));
        p.setPen(Qt::white);
        const QString caption = images.size() > 1
                                    ? QStringLiteral("%1 (%2 frames)").arg(number).arg(images.size())
                                : images.empty() ? QStringLiteral("%1 UNREADABLE").arg(number)
                                                 : QString::number(number);
        p.drawText(QRect(cell.x(), cell.bottom() - 20, cellW, 18), Qt::AlignCenter, caption);
        if (images.empty())
            continue;
        QImage image = images.front();
        if (image.width() > maxPicture || image.height() > maxPicture) {
            image = image.scaled(maxPicture, maxPicture, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        }
        p.drawImage(
            QPoint(cell.x() + (cellW - image.width()) / 2, cell.y() + 4 + (maxPicture - image.height()) / 2),
            image);
    }
    int y = cellH * rows + 10;
    for (int index : animated) {
        const auto& [number, images] = pictures[index];
        p.setPen(Qt::white);
        p.drawText(QPoint(6, y + 16), QStringLiteral("%1: every frame").arg(number));
        // All frames side by side, shrunk as far as needed to fit the sheet's width.
        const int count = static_cast<int>(images.size());
        const double fit = (sheet.width() - 12.0 - 4.0 * count) / (count * images.front().width());
        const double scale = std::min({1.0, 200.0 / images.front().height(), fit});
        int x = 6;
        for (const QImage& frame : images) {
            const QImage image =
                scale < 1.0 ? frame.scaledToHeight(std::max(1, static_cast<int>(frame.height() * scale)),
                                                   Qt::SmoothTransformation)
                            : frame;
            p.drawImage(QPoint(x, y + 24), image);
            x += image.width() + 4;
        }
        y += stripH;
    }
    p.end();
    if (!sheet.save(out)) {
        std::fprintf(stderr, "vexal-contactsheet: cannot write %s\n", out.toLocal8Bit().constData());
        return 1;
    }
    std::printf("%s\n", out.toLocal8Bit().constData());
    return 0;
}

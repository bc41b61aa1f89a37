#include "media/resources.h"

#include <gif_lib.h>

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QSaveFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstring>
#include <unordered_map>

// The pictures live in the static library vexal_art; calling its initialiser from here makes the
// linker keep them in every program that loads a picture.
static void initArtResources() {
    Q_INIT_RESOURCE(vexal_art);
}

namespace vexal {
namespace {

void ensureArt() {
    static const bool registered = (initArtResources(), true);
    (void)registered;
}

QString resourcePath(int number) {
    return QStringLiteral(":/gif/%1.gif").arg(number);
}

bool isGifType(const QString& type) {
    return type.compare(kGifResourceType, Qt::CaseInsensitive) == 0;
}

struct MemoryReader {
    const QByteArray* bytes;
    qsizetype position = 0;
};

int readFromMemory(GifFileType* gif, GifByteType* buffer, int length) {
    auto* reader = static_cast<MemoryReader*>(gif->UserData);
    const qsizetype available = reader->bytes->size() - reader->position;
    const int count = static_cast<int>(std::min<qsizetype>(available, std::max(0, length)));
    if (count > 0)
        std::memcpy(buffer, reader->bytes->constData() + reader->position, count);
    reader->position += count;
    return count;
}

}  // namespace

std::vector<int> gifResourceNumbers() {
    ensureArt();
    std::vector<int> numbers;
    for (const QString& name : QDir(QStringLiteral(":/gif")).entryList(QDir::Files)) {
        bool ok = false;
        const int number = QStringView(name).chopped(4).toInt(&ok);
        if (ok && name.endsWith(QLatin1String(".gif")))
            numbers.push_back(number);
    }
    std::sort(numbers.begin(), numbers.end());
    return numbers;
}

bool hasGifResource(int number) {
    ensureArt();
    return QFile::exists(resourcePath(number));
}

QByteArray gifResourceBytes(int number) {
    ensureArt();
    QFile file(resourcePath(number));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

QImage decodeGifPicture(const QByteArray& bytes) {
    MemoryReader reader{&bytes};
    int error = 0;
    GifFileType* gif = DGifOpen(&reader, readFromMemory, &error);
    if (!gif)
        return {};
    QImage result;
    if (DGifSlurp(gif) == GIF_OK && gif->ImageCount > 0 && gif->SWidth > 0 && gif->SHeight > 0) {
        const SavedImage& frame = gif->SavedImages[0];
        const GifImageDesc& desc = frame.ImageDesc;
        const ColorMapObject* map = desc.ColorMap ? desc.ColorMap : gif->SColorMap;
        GraphicsControlBlock control{};
        control.TransparentColor = NO_TRANSPARENT_COLOR;
        DGifSavedExtensionToGCB(gif, 0, &control);
        if (map && desc.Width > 0 && desc.Height > 0) {
            result = QImage(gif->SWidth, gif->SHeight, QImage::Format_ARGB32);
            result.fill(Qt::transparent);
            for (int y = 0; y < desc.Height; ++y) {
                const int ty = desc.Top + y;
                if (ty < 0 || ty >= gif->SHeight)
                    continue;
                auto* line = reinterpret_cast<QRgb*>(result.scanLine(ty));
                for (int x = 0; x < desc.Width; ++x) {
                    const int tx = desc.Left + x;
                    if (tx < 0 || tx >= gif->SWidth)
                        continue;
                    const int index = frame.RasterBits[y * desc.Width + x];
                    if (index == control.TransparentColor || index >= map->ColorCount)
                        continue;
                    const GifColorType& c = map->Colors[index];
                    line[tx] = qRgb(c.Red, c.Green, c.Blue);
                }
            }
        }
    }
    DGifCloseFile(gif, nullptr);
    return result;
}

bool LoadGifResource(int number, const QString& type, QPixmap& picture) {
    if (!isGifType(type)) return false;
    // The hand is redrawn card by card many times a round, so a picture is decoded once while
    // anything shows or keeps it. A picture held by nothing but this cache is let go on the next
    // load: over a round most of the deck passes across the table once, and keeping every card,
    // pile and full-size background decoded would hold megabytes the table no longer shows.
    // The cache lives as long as the process (pixmaps must not outlive the application object).
    static auto* decoded = new std::unordered_map<int, QPixmap>;
    std::erase_if(*decoded, [number](const auto& entry) {
        return entry.first != number && entry.second.isDetached();
    });
    auto found = decoded->find(number);
    if (found == decoded->end()) {
        const QByteArray bytes = gifResourceBytes(number);
        if (bytes.isEmpty()) return false;
        QImage image = decodeGifPicture(bytes);
        if (image.isNull()) return false;
        found = decoded->emplace(number, QPixmap::fromImage(std::move(image))).first;
    }
    picture = found->second;
    return true;
}

bool LoadGifResource(int number, const QString& type, QLabel* image) {
    if (!image)
        return false;
    QPixmap picture;
    if (!LoadGifResource(number, type, picture))
        return false;
    image->setPixmap(picture);
    return true;
}

bool ExtractGifResource(int number, const QString& type, const QString& path) {
    if (!isGifType(type))
        return false;
    const QByteArray bytes = gifResourceBytes(number);
    if (bytes.isEmpty())
        return false;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

QString gifScratchPath() {
    static QTemporaryDir directory(QDir::tempPath() + QStringLiteral("/vexal-XXXXXX"));
    if (!directory.isValid())
        return {};
    return directory.filePath(QStringLiteral("tmp.GIF"));
}

}  // namespace vexal

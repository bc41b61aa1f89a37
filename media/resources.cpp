#include "media/resources.h"

#include <gif_lib.h>

#include <QDir>
#include <QLabel>
#include <QResource>
#include <QSaveFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstring>
#include <future>
#include <mutex>
#include <optional>
#include <system_error>
#include <unordered_map>
#include <vector>

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
    const QResource resource(resourcePath(number));
    return resource.isValid();
}

QByteArray gifResourceBytes(int number) {
    ensureArt();
    const QResource resource(resourcePath(number));
    if (!resource.isValid())
        return {};
    // The compiled pictures live as long as the program, so one stored as it is is read in place
    // rather than copied.
    if (resource.compressionAlgorithm() == QResource::NoCompression)
        return QByteArray::fromRawData(reinterpret_cast<const char*>(resource.data()),
                                       static_cast<qsizetype>(resource.size()));
    return resource.uncompressedData();
}

namespace {

// The first image of an open GIF, read row by row straight into the picture: no copy of the
// whole raster is made, and the frames after it are never decoded.
QImage readFirstImage(GifFileType* gif, int transparent) {
    if (DGifGetImageDesc(gif) != GIF_OK || gif->SWidth <= 0 || gif->SHeight <= 0)
        return {};
    const GifImageDesc& desc = gif->Image;
    const ColorMapObject* map = desc.ColorMap ? desc.ColorMap : gif->SColorMap;
    if (!map || desc.Width <= 0 || desc.Height <= 0)
        return {};
    QRgb colours[256];
    bool shown[256];
    for (int i = 0; i < 256; ++i) {
        shown[i] = i < map->ColorCount && i != transparent;
        colours[i] = shown[i] ? qRgb(map->Colors[i].Red, map->Colors[i].Green, map->Colors[i].Blue) : 0;
    }
    // A GIF pixel is either clear or fully opaque, so the premultiplied form holds the same values
    // as the plain one: the pixmap made from it takes the pixels as they are instead of converting
    // a copy (the felt alone is 3 MB). A picture with no clear pixel at all becomes opaque, which is
    // also cheaper to draw.
    QImage result(gif->SWidth, gif->SHeight, QImage::Format_ARGB32_Premultiplied);
    if (result.isNull())
        return {};
    result.fill(Qt::transparent);
    bool anyClear = desc.Left > 0 || desc.Top > 0 || desc.Left + desc.Width < gif->SWidth ||
                    desc.Top + desc.Height < gif->SHeight;
    // The part of each row that lies on the logical screen.
    const int first = std::max(0, -desc.Left);
    const int last = std::min(desc.Width, gif->SWidth - desc.Left);
    std::vector<GifPixelType> row(static_cast<size_t>(desc.Width));
    // An interlaced image comes in four passes over the rows.
    static constexpr int kStart[] = {0, 4, 2, 1};
    static constexpr int kStep[] = {8, 8, 4, 2};
    const int passes = desc.Interlace ? 4 : 1;
    for (int pass = 0; pass < passes; ++pass) {
        const int step = desc.Interlace ? kStep[pass] : 1;
        for (int y = desc.Interlace ? kStart[pass] : 0; y < desc.Height; y += step) {
            if (DGifGetLine(gif, row.data(), desc.Width) != GIF_OK)
                return {};
            const int ty = desc.Top + y;
            if (ty < 0 || ty >= gif->SHeight)
                continue;
            auto* line = reinterpret_cast<QRgb*>(result.scanLine(ty));
            for (int x = first; x < last; ++x) {
                const GifPixelType index = row[static_cast<size_t>(x)];
                if (shown[index])
                    line[desc.Left + x] = colours[index];
                else
                    anyClear = true;
            }
        }
    }
    if (!anyClear)
        result.reinterpretAsFormat(QImage::Format_RGB32);
    return result;
}

}  // namespace

QImage decodeGifPicture(const QByteArray& bytes) {
    MemoryReader reader{&bytes};
    int error = 0;
    GifFileType* gif = DGifOpen(&reader, readFromMemory, &error);
    if (!gif)
        return {};
    // The first graphic control block before the first image says which colour is see-through.
    int transparent = NO_TRANSPARENT_COLOR;
    bool controlSeen = false;
    QImage result;
    GifRecordType record = UNDEFINED_RECORD_TYPE;
    while (DGifGetRecordType(gif, &record) == GIF_OK) {
        if (record == IMAGE_DESC_RECORD_TYPE) {
            result = readFirstImage(gif, transparent);
            break;
        }
        if (record != EXTENSION_RECORD_TYPE)
            break;
        int code = 0;
        GifByteType* block = nullptr;
        if (DGifGetExtension(gif, &code, &block) != GIF_OK)
            break;
        if (code == GRAPHICS_EXT_FUNC_CODE && block && block[0] >= 4 && !controlSeen) {
            GraphicsControlBlock control{};
            if (DGifExtensionToGCB(block[0], block + 1, &control) == GIF_OK) {
                transparent = control.TransparentColor;
                controlSeen = true;
            }
        }
        bool readable = true;
        while (block && (readable = DGifGetExtensionNext(gif, &block) == GIF_OK)) {
        }
        if (!readable)
            break;
    }
    DGifCloseFile(gif, nullptr);
    return result;
}

namespace {

// Pictures being decoded ahead of their first use, by number.
std::mutex prefetchMutex;
std::unordered_map<int, std::future<QImage>>& prefetched() {
    static auto* pending = new std::unordered_map<int, std::future<QImage>>;
    return *pending;
}

// The decoded picture when one was started ahead: waits for it if it is not done yet.
std::optional<QImage> takePrefetched(int number) {
    std::future<QImage> pending;
    {
        const std::lock_guard lock(prefetchMutex);
        auto found = prefetched().find(number);
        if (found == prefetched().end())
            return std::nullopt;
        pending = std::move(found->second);
        prefetched().erase(found);
    }
    return pending.get();
}

}  // namespace

void prefetchGifPicture(int number) {
    const QByteArray bytes = gifResourceBytes(number);
    if (bytes.isEmpty())
        return;
    const std::lock_guard lock(prefetchMutex);
    if (prefetched().count(number) != 0)
        return;
    try {
        prefetched().emplace(number, std::async(std::launch::async, [bytes] { return decodeGifPicture(bytes); }));
    } catch (const std::system_error&) {
        // No thread to be had: the picture is decoded when it is first asked for, as any other.
    }
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
        QImage image;
        if (std::optional<QImage> ahead = takePrefetched(number)) {
            image = std::move(*ahead);
        } else {
            const QByteArray bytes = gifResourceBytes(number);
            if (bytes.isEmpty()) return false;
            image = decodeGifPicture(bytes);
        }
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

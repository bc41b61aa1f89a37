// Crafts GIF files for the tests with giflib's encoder.
#pragma once

#include <gif_lib.h>

#include <cstdint>
#include <cstring>
#include <optional>
#include <stdexcept>
#include <vector>

namespace vexal::testgif {

struct Frame {
    int left = 0;
    int top = 0;
    int width = 1;
    int height = 1;
    std::vector<uint8_t> pixels;  // colour indices, row by row
    bool control = true;          // write a graphic control extension
    int delayCs = 0;              // hundredths of a second
    int disposal = 0;
    int transparent = -1;                // transparent index, -1 for none
    std::vector<uint32_t> localPalette;  // 0xRRGGBB, size a power of two; empty for none
    bool interlaced = false;             // rows stored in the four interlace passes
};

struct Gif {
    int width = 1;
    int height = 1;
    std::vector<uint32_t> globalPalette = {0x000000, 0xFF0000, 0x00FF00, 0x0000FF};
    std::optional<int> loops;
    std::vector<Frame> frames;
};

inline ColorMapObject* makeMap(const std::vector<uint32_t>& colours) {
    std::vector<GifColorType> c(colours.size());
    for (size_t i = 0; i < colours.size(); ++i) {
        c[i] = {static_cast<GifByteType>(colours[i] >> 16), static_cast<GifByteType>(colours[i] >> 8),
                static_cast<GifByteType>(colours[i])};
    }
    return GifMakeMapObject(static_cast<int>(c.size()), c.data());
}

inline int writeToVector(GifFileType* gif, const GifByteType* data, int length) {
    auto* out = static_cast<std::vector<uint8_t>*>(gif->UserData);
    out->insert(out->end(), data, data + length);
    return length;
}

inline std::vector<uint8_t> encode(const Gif& spec) {
    std::vector<uint8_t> out;
    int error = 0;
    GifFileType* gif = EGifOpen(&out, writeToVector, &error);
    if (!gif)
        throw std::runtime_error("EGifOpen failed");
    EGifSetGifVersion(gif, true);
    ColorMapObject* global = spec.globalPalette.empty() ? nullptr : makeMap(spec.globalPalette);
    bool ok = EGifPutScreenDesc(gif, spec.width, spec.height, 8, 0, global) == GIF_OK;
    if (global)
        GifFreeMapObject(global);
    if (ok && spec.loops) {
        const uint8_t loop[] = {1, static_cast<uint8_t>(*spec.loops & 0xFF),
                                static_cast<uint8_t>(*spec.loops >> 8)};
        ok = EGifPutExtensionLeader(gif, APPLICATION_EXT_FUNC_CODE) == GIF_OK &&
             EGifPutExtensionBlock(gif, 11, "NETSCAPE2.0") == GIF_OK &&
             EGifPutExtensionBlock(gif, 3, loop) == GIF_OK && EGifPutExtensionTrailer(gif) == GIF_OK;
    }
    for (const Frame& f : spec.frames) {
        if (!ok)
            break;
        if (f.control) {
            const uint8_t gce[] = {static_cast<uint8_t>((f.disposal & 7) << 2 | (f.transparent >= 0 ? 1 : 0)),
                                   static_cast<uint8_t>(f.delayCs & 0xFF),
                                   static_cast<uint8_t>(f.delayCs >> 8),
                                   static_cast<uint8_t>(f.transparent >= 0 ? f.transparent : 0)};
            ok = EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, 4, gce) == GIF_OK;
        }
        ColorMapObject* local = f.localPalette.empty() ? nullptr : makeMap(f.localPalette);
        ok = ok && EGifPutImageDesc(gif, f.left, f.top, f.width, f.height, f.interlaced, local) == GIF_OK;
        if (local)
            GifFreeMapObject(local);
        std::vector<uint8_t> pixels = f.pixels;
        pixels.resize(static_cast<size_t>(f.width * f.height), 0);
        std::vector<int> rows;
        if (f.interlaced) {
            const int start[] = {0, 4, 2, 1};
            const int step[] = {8, 8, 4, 2};
            for (int pass = 0; pass < 4; ++pass)
                for (int y = start[pass]; y < f.height; y += step[pass]) rows.push_back(y);
        } else {
            for (int y = 0; y < f.height; ++y) rows.push_back(y);
        }
        for (size_t i = 0; ok && i < rows.size(); ++i) {
            ok = EGifPutLine(gif, pixels.data() + rows[i] * f.width, f.width) == GIF_OK;
        }
    }
    if (EGifCloseFile(gif, &error) != GIF_OK || !ok)
        throw std::runtime_error("GIF encoding failed");
    return out;
}

// A frame of one colour index.
inline Frame solid(int left, int top, int width, int height, uint8_t index) {
    Frame f;
    f.left = left;
    f.top = top;
    f.width = width;
    f.height = height;
    f.pixels.assign(static_cast<size_t>(width * height), index);
    return f;
}

}  // namespace vexal::testgif

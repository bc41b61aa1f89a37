// The frame table of a GIF file (block structure only; pixels are decoded elsewhere).
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace vexal {

struct GifFrame {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    int delayMs = 0;        // graphic control delay × 10
    int palette = 0;        // 0: the global palette; otherwise this frame's number (its local palette)
    size_t dataOffset = 0;  // the graphic control extension when there is one, else the descriptor
    bool hasControl = false;
    uint8_t controlPacked = 0;    // packed byte of the graphic control extension as read
    int controlDelay = 0;         // its delay field in hundredths of a second
    size_t descriptorOffset = 0;  // the 0x2C byte
    size_t localPaletteOffset = 0;
    int localPaletteEntries = 0;  // 0 when the frame has no local palette
    size_t imageDataOffset = 0;   // the LZW code-size byte
    size_t dataEnd = 0;           // one past the terminating zero sub-block
    bool transparent = false;
    uint8_t transparentIndex = 0;
    int disposal = 0;  // 0..3
};

struct GifFrameTable {
    int screenWidth = 0;  // logical screen, enlarged to cover every frame
    int screenHeight = 0;
    size_t globalPaletteOffset = 0;
    int globalPaletteEntries = 0;  // 0 when the file has no global palette
    std::optional<int> loops;      // the NETSCAPE2.0 loop count when the file carries one
    std::vector<GifFrame> frames;  // frame n of the control is frames[n - 1]
    size_t largestFrameData = 0;   // longest span from a frame's data offset to its data end
};

// A failed read, in the terms the control reports it.
struct GifReadError {
    int number = 0;
    std::string source;
    std::string description;
};

struct GifParseResult {
    GifFrameTable table;
    std::optional<GifReadError> error;  // set when nothing may be loaded
    bool ok() const { return !error; }
};

// Reads the block structure of a GIF87a/GIF89a file (the signature compared without regard to
// case). A wrong signature or data ending inside a block fails; no byte outside `data` is read.
GifParseResult parseGif(std::span<const uint8_t> data);

// A complete one-image GIF for frame `index` (0-based) that a stock decoder reads into colour
// indices: the file's screen descriptor sized to the frame, a global palette that maps index i to
// blue i, the frame's graphic control with transparency cleared, its descriptor at 0,0 with any
// local palette overwritten by the same ramp, its image data as it stands, and the trailer.
std::vector<uint8_t> buildSingleFrameGif(std::span<const uint8_t> data, const GifFrameTable& table,
                                         size_t index);

// The colours of a frame's palette as 0xAARRGGBB, opaque; the global palette when the frame has
// no local one, empty when neither exists.
std::vector<uint32_t> framePalette(std::span<const uint8_t> data, const GifFrameTable& table, size_t index);

}  // namespace vexal

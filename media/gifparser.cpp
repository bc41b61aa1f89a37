#include "media/gifparser.h"

#include <algorithm>
#include <cctype>
#include <string_view>

namespace vexal {
namespace {

struct EndOfData {};

// Bounds-checked cursor: every read past the end throws EndOfData, which the parser turns into
// the "End of File" failure.
class Reader {
public:
    explicit Reader(std::span<const uint8_t> data) : m_data(data) {}

    size_t pos() const { return m_pos; }
    uint8_t byte() {
        if (m_pos >= m_data.size())
            throw EndOfData{};
        return m_data[m_pos++];
    }
    int u16() {
        int lo = byte();
        int hi = byte();
        return lo | (hi << 8);
    }
    std::span<const uint8_t> bytes(size_t n) {
        if (n > m_data.size() - m_pos)
            throw EndOfData{};
        auto out = m_data.subspan(m_pos, n);
        m_pos += n;
        return out;
    }
    void skip(size_t n) { bytes(n); }
    void skipSubBlocks() {
        for (uint8_t len = byte(); len != 0; len = byte()) skip(len);
    }

private:
    std::span<const uint8_t> m_data;
    size_t m_pos = 0;
};

bool equalsNoCase(std::span<const uint8_t> bytes, std::string_view text) {
    if (bytes.size() != text.size())
        return false;
    for (size_t i = 0; i < text.size(); ++i) {
        if (std::tolower(bytes[i]) != std::tolower(static_cast<unsigned char>(text[i])))
            return false;
    }
    return true;
}

int paletteEntries(uint8_t packed) {
    return 2 << (packed & 7);
}

// The graphic control extension waiting for the next image. A plain flag rather than
// std::optional: GCC 12 reports the optional's fields as maybe-uninitialized in Release builds.
struct PendingControl {
    bool present = false;
    size_t offset = 0;
    uint8_t packed = 0;
    int delay = 0;
    uint8_t transparentIndex = 0;
};

GifFrameTable readBlocks(Reader& in) {
    GifFrameTable table;
    const auto signature = in.bytes(6);
    if (!equalsNoCase(signature, "gif89a") && !equalsNoCase(signature, "gif87a")) {
        throw GifReadError{0, "ReadGifFile", "Not a GIF file"};
    }
    table.screenWidth = in.u16();
    table.screenHeight = in.u16();
    const uint8_t screenPacked = in.byte();
    in.skip(2);  // background colour, aspect ratio
    if (screenPacked & 0x80) {
        table.globalPaletteEntries = paletteEntries(screenPacked);
        table.globalPaletteOffset = in.pos();
        in.skip(3 * static_cast<size_t>(table.globalPaletteEntries));
    }

    PendingControl control;
    for (;;) {
        const size_t blockStart = in.pos();
        const uint8_t introducer = in.byte();
        if (introducer == 0x00)
            continue;
        if (introducer == 0x21) {
            const uint8_t label = in.byte();
            if (label == 0xFF) {
                const uint8_t idLength = in.byte();
                const bool netscape = equalsNoCase(in.bytes(idLength), "NETSCAPE2.0");
                uint8_t len = in.byte();
                if (netscape && len == 3) {
                    const auto sub = in.bytes(3);
                    table.loops = sub[1] | (sub[2] << 8);
                    len = in.byte();
                }
                for (; len != 0; len = in.byte()) in.skip(len);
            } else if (label == 0xF9) {
                const uint8_t len = in.byte();
                const auto fields = in.bytes(len);
                if (len >= 4) {
                    control = PendingControl{true, blockStart, fields[0], fields[1] | (fields[2] << 8), fields[3]};
                }
                in.skipSubBlocks();
            } else {
                in.skipSubBlocks();
            }
            continue;
        }
        if (introducer != 0x2C)
            break;

        GifFrame frame;
        frame.descriptorOffset = blockStart;
        frame.left = in.u16();
        frame.top = in.u16();
        frame.width = in.u16();
        frame.height = in.u16();
        const uint8_t packed = in.byte();
        if (packed & 0x80) {
            frame.localPaletteEntries = paletteEntries(packed);
            frame.localPaletteOffset = in.pos();
            in.skip(3 * static_cast<size_t>(frame.localPaletteEntries));
        } else if (table.globalPaletteEntries == 0) {
            break;  // nothing to colour this image with: the frames so far are the file
        }
        frame.imageDataOffset = in.pos();
        in.byte();  // LZW code size
        in.skipSubBlocks();
        frame.dataEnd = in.pos();

        // An image without any data (code size and terminator only) is not a frame.
        if (frame.dataEnd - frame.imageDataOffset > 2) {
            frame.dataOffset = frame.descriptorOffset;
            if (control.present) {
                frame.hasControl = true;
                frame.dataOffset = control.offset;
                frame.controlPacked = control.packed;
                frame.controlDelay = control.delay;
                frame.delayMs = control.delay * 10;
                frame.disposal = (control.packed >> 2) & 3;
                if (frame.disposal == 3 && table.frames.empty())
                    frame.disposal = 0;
                frame.transparent = control.packed & 1;
                if (frame.transparent)
                    frame.transparentIndex = control.transparentIndex;
            }
            frame.palette = frame.localPaletteEntries > 0 ? static_cast<int>(table.frames.size()) + 1 : 0;
            table.largestFrameData = std::max(table.largestFrameData, frame.dataEnd - frame.dataOffset);
            table.screenWidth = std::max(table.screenWidth, frame.left + frame.width);
            table.screenHeight = std::max(table.screenHeight, frame.top + frame.height);
            table.frames.push_back(frame);
        }
        control = PendingControl{};
    }
    return table;
}

void putU16(std::vector<uint8_t>& out, size_t at, int value) {
    out[at] = static_cast<uint8_t>(value & 0xFF);
    out[at + 1] = static_cast<uint8_t>((value >> 8) & 0xFF);
}

void appendRamp(std::vector<uint8_t>& out, int entries) {
    for (int i = 0; i < entries; ++i) {
        out.push_back(0);
        out.push_back(0);
        out.push_back(static_cast<uint8_t>(i));
    }
}

}  // namespace

GifParseResult parseGif(std::span<const uint8_t> data) {
    GifParseResult result;
    Reader in(data);
    try {
        result.table = readBlocks(in);
    } catch (const EndOfData&) {
        result.table = {};
        result.error = GifReadError{53, "ReadGifFile", "End of File"};
    } catch (const GifReadError& e) {
        result.table = {};
        result.error = e;
    }
    return result;
}

std::vector<uint8_t> buildSingleFrameGif(std::span<const uint8_t> data, const GifFrameTable& table,
                                         size_t index) {
    if (index >= table.frames.size() || data.size() < 13)
        return {};
    const GifFrame& f = table.frames[index];
    if (f.dataEnd > data.size() || f.imageDataOffset >= f.dataEnd)
        return {};

    std::vector<uint8_t> out;
    out.reserve(table.largestFrameData + 790);
    out.insert(out.end(), data.begin(), data.begin() + 13);
    // The signature was accepted in any case; stock decoders want it as the format writes it.
    const uint8_t canonical[] = {'G', 'I', 'F', '8', static_cast<uint8_t>(out[4]), 'a'};
    std::copy(std::begin(canonical), std::end(canonical), out.begin());
    putU16(out, 6, f.width);
    putU16(out, 8, f.height);
    out[10] |= 0x87;
    appendRamp(out, 256);

    if (f.hasControl) {
        const uint8_t control[] = {0x21,
                                   0xF9,
                                   0x04,
                                   static_cast<uint8_t>(f.controlPacked & ~1),
                                   static_cast<uint8_t>(f.controlDelay & 0xFF),
                                   static_cast<uint8_t>((f.controlDelay >> 8) & 0xFF),
                                   f.transparentIndex,
                                   0x00};
        out.insert(out.end(), std::begin(control), std::end(control));
    }

    const size_t descriptorAt = out.size();
    out.insert(out.end(), data.begin() + static_cast<std::ptrdiff_t>(f.descriptorOffset),
               data.begin() + static_cast<std::ptrdiff_t>(f.descriptorOffset) + 10);
    putU16(out, descriptorAt + 1, 0);
    putU16(out, descriptorAt + 3, 0);
    if (f.localPaletteEntries > 0)
        appendRamp(out, f.localPaletteEntries);
    out.insert(out.end(), data.begin() + static_cast<std::ptrdiff_t>(f.imageDataOffset),
               data.begin() + static_cast<std::ptrdiff_t>(f.dataEnd));
    out.push_back(0x3B);
    return out;
}

std::vector<uint32_t> framePalette(std::span<const uint8_t> data, const GifFrameTable& table, size_t index) {
    if (index >= table.frames.size())
        return {};
    const GifFrame& f = table.frames[index];
    size_t offset = table.globalPaletteOffset;
    int entries = table.globalPaletteEntries;
    if (f.localPaletteEntries > 0) {
        offset = f.localPaletteOffset;
        entries = f.localPaletteEntries;
    }
    std::vector<uint32_t> colours;
    if (offset + 3 * static_cast<size_t>(entries) > data.size())
        return colours;
    colours.reserve(static_cast<size_t>(entries));
    for (int i = 0; i < entries; ++i) {
        const size_t at = offset + 3 * static_cast<size_t>(i);
        colours.push_back(0xFF000000u | (uint32_t{data[at]} << 16) | (uint32_t{data[at + 1]} << 8) |
                          data[at + 2]);
    }
    return colours;
}

}  // namespace vexal

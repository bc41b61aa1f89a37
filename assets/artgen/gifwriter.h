// Turns painted frames into GIF files: palette quantization, transparency and the loop extension.
#pragma once

#include <QColor>
#include <QImage>
#include <QString>
#include <vector>

namespace vexal::artgen {

struct Frame {
    QImage image;      // ARGB32 (premultiplied or not), all frames of one picture the same size
    int delayCs = 10;  // frame delay in hundredths of a second
};

struct Picture {
    std::vector<Frame> frames;
    // Partly transparent edge pixels are blended over this colour before they are made opaque,
    // so anti-aliased outlines match the felt the picture normally sits on.
    QColor matte = QColor(28, 92, 56);
    int loops = 0;  // 0 repeats forever; only written for pictures with more than one frame
};

// Writes `picture` to `path` as GIF89a with one global palette of at most 255 colours plus a
// transparent entry. Returns an empty string on success, else what went wrong.
QString writeGif(const Picture& picture, const QString& path);

// Reduces the opaque pixels of all frames to at most `maxColours` colours. Exposed for tests.
std::vector<QRgb> buildPalette(const std::vector<QImage>& images, int maxColours);

}  // namespace vexal::artgen

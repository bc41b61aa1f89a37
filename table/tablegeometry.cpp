#include "table/tablegeometry.h"

namespace vexal {

TableWindowGeometry tableWindowGeometry(int screenWidth, int screenHeight) {
    TableWindowGeometry g;
    if (screenHeight <= 768) {
        g.height = screenHeight;
    } else {
        g.height = kTableWindowTwipsHigh / kTwipsPerPixel;
        g.paintFrame = true;
    }
    if (screenWidth <= 1024) {
        g.width = screenWidth;
    } else {
        g.width = kTableWindowTwipsWide / kTwipsPerPixel;
        g.paintFrame = true;
    }
    if (screenHeight < 768 || screenWidth < 1024) g.scale = kSmallScreenScale;
    return g;
}

}  // namespace vexal

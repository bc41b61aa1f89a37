// Where the table window goes and how its artwork is scaled, from the screen's size.
#pragma once

namespace vexal {

constexpr int kTwipsPerPixel = 15;
constexpr int kTableWindowTwipsHigh = 11940;
constexpr int kTableWindowTwipsWide = 15600;
constexpr float kSmallScreenScale = 0.78125f;  // 800 of the table's 1024 units

struct TableWindowGeometry {
    int left = 0;
    int top = 0;
    int width = 0;   // pixels
    int height = 0;  // pixels
    bool paintFrame = false;  // a fixed-size window on a larger screen: the table paints its frame
    float scale = 1.0f;       // both directions
};

// Screens up to 768 pixels high or 1024 wide give that dimension to the window whole; larger
// ones get a fixed window with a painted frame. Smaller than 1024 by 768 in either direction
// scales the table down; exactly 1024 by 768 keeps it at full size.
TableWindowGeometry tableWindowGeometry(int screenWidth, int screenHeight);

}  // namespace vexal

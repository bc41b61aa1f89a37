#include "table/tablegeometry.h"

#include <gtest/gtest.h>

namespace vexal {
namespace {

TEST(TableWindowGeometry, FollowsTheScreenSize) {
    struct Case {
        int screenW, screenH;
        int width, height;
        bool frame;
        float scale;
    };
    const Case cases[] = {
        {1024, 768, 1024, 768, false, 1.0f},
        {800, 600, 800, 600, false, kSmallScreenScale},
        {1023, 768, 1023, 768, false, kSmallScreenScale},
        {1024, 767, 1024, 767, false, kSmallScreenScale},
        {1920, 1080, 1040, 796, true, 1.0f},
        {1280, 720, 1040, 720, true, kSmallScreenScale},  // wide but short
        {1000, 900, 1000, 796, true, kSmallScreenScale},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.screenW) + "x" + std::to_string(c.screenH));
        const TableWindowGeometry g = tableWindowGeometry(c.screenW, c.screenH);
        EXPECT_EQ(g.left, 0);
        EXPECT_EQ(g.top, 0);
        EXPECT_EQ(g.width, c.width);
        EXPECT_EQ(g.height, c.height);
        EXPECT_EQ(g.paintFrame, c.frame);
        EXPECT_EQ(g.scale, c.scale);
    }
}

}  // namespace
}  // namespace vexal

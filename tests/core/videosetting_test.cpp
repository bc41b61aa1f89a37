#include "core/videosetting.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

namespace vexal {
namespace {

namespace fs = std::filesystem;

struct VideoSettingTest : ::testing::Test {
    fs::path dir;
    void SetUp() override {
        dir = fs::temp_directory_path() / ("vexal-video-" + std::to_string(std::random_device{}()));
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }
    fs::path file() const { return dir / "vidiosetting.ini"; }
    void write(const std::string& bytes) const { std::ofstream(file(), std::ios::binary) << bytes; }
    std::string read() const {
        std::ifstream in(file(), std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
};

TEST_F(VideoSettingTest, MissingFileIsCreatedWithVideoOn) {
    EXPECT_EQ(readVideoSetting(dir.string()), std::optional<bool>(true));
    EXPECT_EQ(read(), "[vidiosetting]\r\nvidiovalue=1\r\n");
    EXPECT_EQ(readVideoSetting(dir.string()), std::optional<bool>(true));
}

TEST_F(VideoSettingTest, ExistingFileDecidesOrFailsTheStartUp) {
    struct Case {
        std::string content;
        std::optional<bool> result;
    };
    const Case cases[] = {
        {"[vidiosetting]\r\nvidiovalue=0\r\n", false},
        {"[vidiosetting]\r\nvidiovalue=2\r\n", true},
        {"[VidioSetting]\nVIDIOVALUE = 0 \n", false},
        {"[vidiosetting]\r\nvidiovalue=-1\r\n", true},
        {"[vidiosetting]\r\nvidiovalue=\r\n", std::nullopt},
        {"[vidiosetting]\r\nvidiovalue=on\r\n", std::nullopt},
        {"[vidiosetting]\r\nother=1\r\n", std::nullopt},
        {"", std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.content);
        write(c.content);
        EXPECT_EQ(readVideoSetting(dir.string()), c.result);
        EXPECT_EQ(read(), c.content);  // reading never rewrites an existing file
    }
}

}  // namespace
}  // namespace vexal

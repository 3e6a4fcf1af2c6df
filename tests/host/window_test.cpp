// The SDL back end in a real window (run under xvfb-run by CTest): what the display shows is
// read back with a screenshot of the X screen, and keys sent with xdotool reach the board bytes.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/app_state.h"
#include "host/display.h"
#include "host/flags.h"
#include "host/input.h"
#include "machine.h"

namespace {

struct Screenshot {
    int width = 0, height = 0;
    std::vector<uint8_t> rgb;
    const uint8_t* at(int x, int y) const { return &rgb[(static_cast<size_t>(y) * width + x) * 3]; }
};

void pump_for(uint32_t milliseconds) {
    const uint32_t end = platform_milliseconds() + milliseconds;
    while (platform_milliseconds() < end) {
        platform_pump_events();
        platform_sleep(5);
    }
}

bool take_screenshot(Screenshot* shot) {
    pump_for(300);
    if (std::system("import -window root -depth 8 window-test-shot.ppm") != 0) return false;
    std::FILE* f = std::fopen("window-test-shot.ppm", "rb");
    if (f == nullptr) return false;
    int maxval = 0;
    const bool header = std::fscanf(f, "P6 %d %d %d", &shot->width, &shot->height, &maxval) == 3;
    std::fgetc(f);
    shot->rgb.resize(static_cast<size_t>(shot->width) * shot->height * 3);
    const bool body = header && std::fread(shot->rgb.data(), 1, shot->rgb.size(), f) == shot->rgb.size();
    std::fclose(f);
    return body && maxval == 255;
}

// Where a pixel of a mode lands on the screen: the picture is scaled to fill the screen's height
// or width at 4:3 and centred.
void screen_position(const Screenshot& s, int mode_w, int mode_h, double mx, double my, int* x, int* y) {
    int w = s.width, h = s.height;
    if (static_cast<int64_t>(w) * 3 > static_cast<int64_t>(h) * 4) w = h * 4 / 3;
    else h = w * 3 / 4;
    *x = (s.width - w) / 2 + static_cast<int>(mx * w / mode_w);
    *y = (s.height - h) / 2 + static_cast<int>(my * h / mode_h);
}

void expect_colour(const Screenshot& s, int x, int y, int r, int g, int b) {
    const uint8_t* p = s.at(x, y);
    EXPECT_NEAR(p[0], r, 12) << "at " << x << ", " << y;
    EXPECT_NEAR(p[1], g, 12) << "at " << x << ", " << y;
    EXPECT_NEAR(p[2], b, 12) << "at " << x << ", " << y;
}

class WindowTest : public testing::Test {
  protected:
    static void SetUpTestSuite() {
        if (std::getenv("DISPLAY") == nullptr) return;
        machine.app.window = platform_window_create("QZB");
        ASSERT_NE(machine.app.window, 0);
        ASSERT_EQ(display_create(machine.app.window), 0);
        ASSERT_EQ(input_open(machine.app.window), 1);
        keyboard_set_exclusive(1);
    }
    static void TearDownTestSuite() {
        if (machine.app.window == 0) return;
        input_close();
        display_release();
        platform_window_destroy(machine.app.window);
    }
    void SetUp() override {
        if (std::getenv("DISPLAY") == nullptr) GTEST_SKIP() << "no X display: run this test under xvfb-run";
    }
};

TEST_F(WindowTest, ShowsTheLoadingPictureScaledToTheScreen) {
    // Four quarters of plain colour, so scaling cannot blur the sampled points.
    static std::vector<uint8_t> picture(640 * 480 * 3);
    const uint8_t colours[4][3] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 255}};
    for (int y = 0; y < 480; ++y)
        for (int x = 0; x < 640; ++x)
            std::memcpy(&picture[(y * 640 + x) * 3], colours[(y >= 240) * 2 + (x >= 320)], 3);
    platform_register_resource(111, picture.data(), picture.size());
    ASSERT_EQ(display_set_mode(640, 480, 16, 1), 0);
    display_show_loading_picture();
    Screenshot shot;
    ASSERT_TRUE(take_screenshot(&shot));
    for (int q = 0; q < 4; ++q) {
        int x, y;
        screen_position(shot, 640, 480, 160 + 320 * (q & 1), 120 + 240 * (q >> 1), &x, &y);
        expect_colour(shot, x, y, colours[q][0], colours[q][1], colours[q][2]);
    }
}

TEST_F(WindowTest, ShowsTheFrameBufferThroughTheChosenScalerAndFlipChain) {
    machine.settings.video_flags = VF_FLIPCHAIN; // LOW: 320x240, copied 1:1
    ASSERT_EQ(apply_video_flags(), 1);
    ASSERT_EQ(machine.host.display.present_flip, 1);
    std::vector<uint8_t> work(WORK_BLOCK_SIZE, 0);
    machine.app.work_block = work.data();
    // The picture's left half yellow, right half cyan (5-6-5), the border black.
    for (int k = 0; k < 224; ++k)
        for (int i = 0; i < 304; ++i) {
            const uint16_t c = i < 152 ? 0xFFE0 : 0x07FF;
            std::memcpy(&work[(FIRST_VISIBLE_ROW + k) * 1024 + 2 * (8 + i)], &c, 2);
        }
    display_draw_frame();
    display_present(0);
    machine.app.work_block = nullptr;
    Screenshot shot;
    ASSERT_TRUE(take_screenshot(&shot));
    int x, y;
    screen_position(shot, 320, 240, 8 + 76, 8 + 112, &x, &y);
    expect_colour(shot, x, y, 255, 255, 0);
    screen_position(shot, 320, 240, 8 + 228, 8 + 112, &x, &y);
    expect_colour(shot, x, y, 0, 255, 255);
    screen_position(shot, 320, 240, 2, 2, &x, &y); // the border stays black
    expect_colour(shot, x, y, 0, 0, 0);
}

TEST_F(WindowTest, KeysSentToTheWindowReachTheBoardBytes) {
    ASSERT_EQ(std::system("xdotool search --sync --name '^QZB$' windowfocus --sync >/dev/null 2>&1 || true"), 0);
    struct KeyCase {
        const char* key;
        uint8_t player1, player2, start_select;
    } cases[] = {{"a", 0xEF, 0xFF, 0xFF}, {"k", 0xF7, 0xFF, 0xFF}, {"Insert", 0xFF, 0xEF, 0xFF}, {"2", 0xFF, 0xFF, 0xFB}};
    for (const KeyCase& c : cases) {
        ASSERT_EQ(std::system(("xdotool keydown " + std::string(c.key)).c_str()), 0);
        pump_for(150);
        machine.board.player1 = machine.board.player2 = machine.board.start_select = 0xFF;
        input_poll();
        EXPECT_EQ(machine.board.player1, c.player1) << c.key;
        EXPECT_EQ(machine.board.player2, c.player2) << c.key;
        EXPECT_EQ(machine.board.start_select, c.start_select) << c.key;
        ASSERT_EQ(std::system(("xdotool keyup " + std::string(c.key)).c_str()), 0);
        pump_for(150);
        machine.board.player1 = machine.board.player2 = machine.board.start_select = 0xFF;
        input_poll();
        input_poll(); // the press latched for the first read is gone by the second
        EXPECT_EQ(machine.board.player1 & machine.board.player2 & machine.board.start_select, 0xFF) << c.key;
    }
}

} // namespace

// The qzb program itself on an X server (CTest runs this under xvfb-run, with SDL's dummy audio
// driver): screenshots of its full-screen window are compared with the pictures qzb-run draws
// headless for the same moments, keys typed with xdotool steer the game and the menu, and QUIT
// GAME leaves the two files that the next start reads back.
//
// The window paces itself at 60 Hz on a shared machine, so a screenshot is matched against every
// frame the headless run drew up to the latest frame the window can have reached, and each menu
// step is awaited (the screen polled) before the next key goes out.
#include <gtest/gtest.h>
#include <png.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "app/roms/rom_resources.h"
#include "app/save_codec.h"
#include "host/platform/platform.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int VISIBLE_WIDTH = 304;
constexpr int VISIBLE_HEIGHT = 224;
// The picture's place in the 320x240 mode of quality LOW (the default settings).
constexpr int LOW_MODE_WIDTH = 320, LOW_MODE_HEIGHT = 240, PICTURE_LEFT = 8, PICTURE_TOP = 8;
constexpr int FRAMES_PER_SECOND = 60;

struct Image {
    int width = 0, height = 0;
    std::vector<uint8_t> rgb;
    uint8_t* at(int x, int y) { return &rgb[(static_cast<size_t>(y) * width + x) * 3]; }
    const uint8_t* at(int x, int y) const { return &rgb[(static_cast<size_t>(y) * width + x) * 3]; }
};

struct Region {
    int x = 0, y = 0, width = VISIBLE_WIDTH, height = VISIBLE_HEIGHT;
    int pixels() const { return width * height; }
};

bool read_png(const fs::path& path, Image* image) {
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&png, path.c_str())) return false;
    png.format = PNG_FORMAT_RGB;
    image->width = static_cast<int>(png.width);
    image->height = static_cast<int>(png.height);
    image->rgb.resize(PNG_IMAGE_SIZE(png));
    return png_image_finish_read(&png, nullptr, image->rgb.data(), 0, nullptr) != 0;
}

bool read_ppm(const fs::path& path, Image* image) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (f == nullptr) return false;
    int maxval = 0;
    const bool header = std::fscanf(f, "P6 %d %d %d", &image->width, &image->height, &maxval) == 3 &&
                        image->width > 0 && image->height > 0 && maxval == 255;
    std::fgetc(f);
    if (header) image->rgb.resize(static_cast<size_t>(image->width) * image->height * 3);
    const bool body = header && std::fread(image->rgb.data(), 1, image->rgb.size(), f) == image->rgb.size();
    std::fclose(f);
    return body;
}

void write_ppm(const fs::path& path, const Image& image) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << "P6 " << image.width << ' ' << image.height << " 255\n";
    out.write(reinterpret_cast<const char*>(image.rgb.data()), static_cast<std::streamsize>(image.rgb.size()));
}

std::vector<uint8_t> read_bytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void write_bytes(const fs::path& path, const uint8_t* data, size_t size) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
}

bool have_command(const char* name) {
    return std::system(("command -v " + std::string(name) + " >/dev/null 2>&1").c_str()) == 0;
}

double seconds_since(Clock::time_point t) { return std::chrono::duration<double>(Clock::now() - t).count(); }

void pause_ms(int milliseconds) { std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds)); }

// ---- the picture on the screen ------------------------------------------------------------------

// Where the window shows a mode: scaled to fill the screen's height or width at 4:3, centred.
struct ScreenRect {
    int x, y, width, height;
};

ScreenRect picture_rect(const Image& screen) {
    int w = screen.width, h = screen.height;
    if (static_cast<int64_t>(w) * 3 > static_cast<int64_t>(h) * 4) w = h * 4 / 3;
    else h = w * 3 / 4;
    return {(screen.width - w) / 2, (screen.height - h) / 2, w, h};
}

// The mode's pixels `area` (in the mode's coordinates) as the screen shows them: each one taken
// from the screen pixel that holds its centre, so a filtering scaler blends in little of the
// neighbours.
Image sample_mode(const Image& screen, int mode_width, int mode_height, Region area) {
    const ScreenRect r = picture_rect(screen);
    Image out;
    out.width = area.width;
    out.height = area.height;
    out.rgb.resize(static_cast<size_t>(area.width) * area.height * 3);
    for (int j = 0; j < area.height; ++j)
        for (int i = 0; i < area.width; ++i) {
            const int sx = r.x + static_cast<int>((area.x + i + 0.5) * r.width / mode_width);
            const int sy = r.y + static_cast<int>((area.y + j + 0.5) * r.height / mode_height);
            std::memcpy(out.at(i, j), screen.at(std::min(sx, screen.width - 1), std::min(sy, screen.height - 1)), 3);
        }
    return out;
}

Image visible_picture(const Image& screen) {
    return sample_mode(screen, LOW_MODE_WIDTH, LOW_MODE_HEIGHT, {PICTURE_LEFT, PICTURE_TOP, VISIBLE_WIDTH, VISIBLE_HEIGHT});
}

// Pixels of `shown` (in `area`) that the same pixel of `reference` does not explain. The screen
// pixel holding a mode pixel's centre lies within half a mode pixel of it, so a filtering scaler
// blends in at most half of the difference to a neighbour: each channel may differ from the
// reference by that, plus `slack` for the rounding of colour conversions. Another picture
// (other text, another frame of an animation) puts colours where the reference has none.
// With a `stride`, only every stride-th pixel of every stride-th row is looked at.
int unexplained_pixels(const Image& shown, const Image& reference, Region area, int slack = 24, int stride = 1) {
    int count = 0;
    for (int y = area.y; y < area.y + area.height; y += stride)
        for (int x = area.x; x < area.x + area.width; x += stride) {
            bool explained = true;
            for (int c = 0; c < 3 && explained; ++c) {
                const int centre = reference.at(x, y)[c];
                int spread = 0;
                for (int dy = -1; dy <= 1; ++dy)
                    for (int dx = -1; dx <= 1; ++dx) {
                        const int nx = std::clamp(x + dx, 0, reference.width - 1);
                        const int ny = std::clamp(y + dy, 0, reference.height - 1);
                        spread = std::max(spread, std::abs(reference.at(nx, ny)[c] - centre));
                    }
                explained = std::abs(shown.at(x, y)[c] - centre) <= slack + spread / 2;
            }
            count += !explained;
        }
    return count;
}

// The menu's text alone: the dimmed picture behind it (never brighter than 82 in any channel)
// turns black, so menus drawn over different frozen frames compare equal.
Image menu_text_only(Image image) {
    for (size_t i = 0; i < image.rgb.size(); i += 3)
        if (std::max({image.rgb[i], image.rgb[i + 1], image.rgb[i + 2]}) < 120) image.rgb[i] = image.rgb[i + 1] = image.rgb[i + 2] = 0;
    return image;
}

// ---- the programs ---------------------------------------------------------------------------------

// qzb started in its own folder, with its output kept in qzb.log there.
class Program {
  public:
    explicit Program(const fs::path& folder) {
        std::fflush(stdout); // the child must not write out the parent's buffered output again
        pid_ = fork();
        if (pid_ == 0) {
            if (chdir(folder.c_str()) != 0) _exit(126);
            std::FILE* log = std::freopen("qzb.log", "w", stdout);
            if (log != nullptr) dup2(fileno(stdout), STDERR_FILENO);
            setenv("SDL_AUDIODRIVER", "dummy", 1);
            execl(QZB_PATH, QZB_PATH, static_cast<char*>(nullptr));
            _exit(127);
        }
    }
    ~Program() {
        if (pid_ <= 0 || exited_) return;
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    pid_t pid() const { return pid_; }
    bool running() {
        if (exited_) return false;
        int status = 0;
        if (waitpid(pid_, &status, WNOHANG) == pid_) {
            exited_ = true;
            status_ = status;
        }
        return !exited_;
    }
    // Waits for the program to end by itself; its exit status, or -1 when it is still running.
    int wait_exit(double seconds) {
        const Clock::time_point start = Clock::now();
        while (running() && seconds_since(start) < seconds) pause_ms(20);
        if (running()) return -1;
        return WIFEXITED(status_) ? WEXITSTATUS(status_) : 128 + WTERMSIG(status_);
    }

  private:
    pid_t pid_ = -1;
    bool exited_ = false;
    int status_ = 0;
};

// A screenshot of the whole X screen, taken while qzb is held still so that no frame is half shown.
bool screenshot(Program& program, const fs::path& folder, Image* image) {
    const fs::path file = folder / "screen.ppm";
    kill(program.pid(), SIGSTOP);
    const int status = std::system(("import -window root -depth 8 ppm:" + file.string() + " 2>/dev/null").c_str());
    kill(program.pid(), SIGCONT);
    return status == 0 && read_ppm(file, image);
}

// Polls the screen until `wanted` holds for a screenshot (the last one is left in *image), at most
// `seconds` long; false when the time ran out or qzb stopped.
bool await_screen(Program& program, const fs::path& folder, double seconds, Image* image,
                  const std::function<bool(const Image&)>& wanted) {
    const Clock::time_point start = Clock::now();
    while (program.running()) {
        if (screenshot(program, folder, image) && wanted(*image)) return true;
        if (seconds_since(start) > seconds) return false;
        pause_ms(50);
    }
    return false;
}

void type_key(const char* key, int hold_ms = 0) {
    if (hold_ms == 0) {
        ASSERT_EQ(std::system(("xdotool key " + std::string(key)).c_str()), 0) << key;
        return;
    }
    ASSERT_EQ(std::system(("xdotool keydown " + std::string(key)).c_str()), 0) << key;
    pause_ms(hold_ms);
    ASSERT_EQ(std::system(("xdotool keyup " + std::string(key)).c_str()), 0) << key;
}

// The headless run of the same machine in `folder` (its own qzb.ini and qzb.sav, if any, are
// read there): `frames` frames with the held keys of `script`, each frame's visible picture
// written as frame-N.png.
void run_headless(const fs::path& folder, long frames, const std::string& script = "") {
    fs::create_directories(folder);
    std::string command = "cd '" + folder.string() + "' && '" QZB_RUN_PATH "' --frames " + std::to_string(frames) +
                          " --png 'frame-%d.png' --png-every 1";
    if (!script.empty()) {
        std::ofstream(folder / "keys.txt") << script;
        command += " --input keys.txt";
    }
    ASSERT_EQ(std::system((command + " >qzb-run.log 2>&1").c_str()), 0) << "qzb-run failed in " << folder;
}

Image headless_frame(const fs::path& folder, long frame) {
    Image image;
    EXPECT_TRUE(read_png(folder / ("frame-" + std::to_string(frame) + ".png"), &image)) << folder << " frame " << frame;
    return image;
}

struct Match {
    long frame = 0;
    int unexplained = 1 << 30;
};

// The headless frame among 1..frames that best explains `shown`.
Match best_headless_match(const fs::path& folder, long frames, const Image& shown) {
    Match best;
    for (long f = 1; f <= frames; ++f) {
        Image reference;
        if (!read_png(folder / ("frame-" + std::to_string(f) + ".png"), &reference)) continue;
        const int n = unexplained_pixels(shown, reference, Region{});
        if (n < best.unexplained) best = {f, n};
        if (n == 0) break;
    }
    return best;
}

// The loading picture (resource 111) as qzb's own image holds it.
Image loading_picture() {
    rom_resources_register();
    ResourceData data;
    Image image;
    if (!platform_find_resource(111, &data) || data.size != 640u * 480u * 3u) return image;
    image.width = 640;
    image.height = 480;
    image.rgb.assign(data.data, data.data + data.size);
    return image;
}

// At most this share of the pixels may go unexplained in a match: a few where the screen and
// the headless picture round a colour differently.
constexpr int MATCH_LIMIT = VISIBLE_WIDTH * VISIBLE_HEIGHT / 500;

class ProgramWindowTest : public testing::Test {
  protected:
    void SetUp() override {
        if (std::getenv("DISPLAY") == nullptr) GTEST_SKIP() << "no X display: run this test under xvfb-run";
        for (const char* tool : {"xdotool", "import"})
            if (!have_command(tool)) GTEST_SKIP() << tool << " is not installed (scripts/install-deps.sh installs it)";
        char pattern[] = "/tmp/qzb-window-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder_ = pattern;
    }
    void TearDown() override {
        if (!folder_.empty() && !HasFailure()) fs::remove_all(folder_);
        else if (!folder_.empty()) std::printf("screenshots and headless frames kept in %s\n", folder_.c_str());
    }

    // Waits through qzb's loading picture and the board's logo (the first 100 frames) to the
    // game's title, whose start has put the high-score table into backup RAM.
    void start_and_await_game(Program& program) {
        static const Image loading = loading_picture();
        ASSERT_EQ(loading.width, 640) << "the loading picture is not built in";
        Image screen;
        // The loading picture shows at 640x480 under the eight progress marks. A sixteenth of its
        // pixels is enough to tell it from anything else.
        const Region whole{0, 0, 640, 480};
        constexpr int STRIDE = 4, LOOKED_AT = 640 / STRIDE * (480 / STRIDE);
        const bool loading_shown = await_screen(program, folder_, 30, &screen, [&](const Image& s) {
            const Image shown = sample_mode(s, 640, 480, whole);
            return unexplained_pixels(shown, loading, whole, 24, STRIDE) < LOOKED_AT / 50;
        });
        const std::vector<uint8_t> log = read_bytes(program_folder_ / "qzb.log");
        ASSERT_TRUE(loading_shown) << "the loading picture never showed; qzb said: " << std::string(log.begin(), log.end());
        const bool game_shown = await_screen(program, folder_, 30, &screen, [&](const Image& s) {
            const Image shown = sample_mode(s, 640, 480, whole);
            if (unexplained_pixels(shown, loading, whole, 24, STRIDE) > LOOKED_AT / 2) return true;
            loading_seen_ = Clock::now(); // the board has emulated no frame before this
            return false;
        });
        ASSERT_TRUE(game_shown) << "the game's picture never replaced the loading picture";
        run_headless(folder_ / "logo", 1);
        const Image logo = headless_frame(folder_ / "logo", 1);
        const bool title_shown = await_screen(program, folder_, 30, &screen, [&](const Image& s) {
            return unexplained_pixels(visible_picture(s), logo, Region{}) > VISIBLE_WIDTH * VISIBLE_HEIGHT / 2;
        });
        ASSERT_TRUE(title_shown) << "the board's logo never gave way to the game's title";
        pause_ms(500);
        // Keys go to the window with the input focus (a bare X server gives it to none).
        std::system("xdotool search --name '^QZB$' windowfocus >/dev/null 2>&1");
    }

    // Waits until the screen's visible picture, reduced to the menu's text, matches the headless
    // picture of frame `frame` in `reference` over `area`.
    // The step before must not pass for it: `previous` is the headless frame of that step.
    void await_menu(Program& program, const fs::path& reference, long frame, long previous, const char* what,
                    Region area = {}) {
        const Image wanted = menu_text_only(headless_frame(reference, frame));
        const int limit = std::max(2, area.pixels() / 1000);
        ASSERT_GT(unexplained_pixels(menu_text_only(headless_frame(reference, previous)), wanted, area), 2 * limit)
            << what << ": the step before looks the same";
        Image screen;
        int last = 0;
        const bool shown = await_screen(program, folder_, 10, &screen, [&](const Image& s) {
            last = unexplained_pixels(menu_text_only(visible_picture(s)), wanted, area);
            return last <= limit;
        });
        EXPECT_TRUE(shown) << what << ": the screen never showed it (" << last << " pixels unexplained)";
        if (!shown) write_ppm(folder_ / "shown.ppm", visible_picture(screen));
    }

    // The most frames the window can have emulated by now at 60 a second, with a margin for the
    // time a screenshot takes.
    long frame_bound() const {
        return static_cast<long>(seconds_since(loading_seen_) * FRAMES_PER_SECOND) + FRAMES_PER_SECOND;
    }

    fs::path folder_;
    fs::path program_folder_;
    Clock::time_point loading_seen_;
};

TEST_F(ProgramWindowTest, ShowsTheLoadingPictureThenTheGamesFramesAndTakesTheStartKey) {
    program_folder_ = folder_ / "qzb";
    fs::create_directories(program_folder_);
    Program program(program_folder_);
    ASSERT_NO_FATAL_FAILURE(start_and_await_game(program));

    // The title shows one of the frames the headless run draws.
    Image screen;
    ASSERT_TRUE(screenshot(program, folder_, &screen));
    const long bound = frame_bound();
    const Image shown = visible_picture(screen);
    run_headless(folder_ / "headless", bound);
    const Match match = best_headless_match(folder_ / "headless", bound, shown);
    EXPECT_LE(match.unexplained, MATCH_LIMIT) << "best headless frame " << match.frame << " of " << bound;
    std::printf("the screen shows headless frame %ld (of at most %ld): %d pixels unexplained\n", match.frame, bound,
                match.unexplained);
    // The mode's border around the picture stays black.
    const Image border = sample_mode(screen, LOW_MODE_WIDTH, LOW_MODE_HEIGHT, {0, 0, LOW_MODE_WIDTH, PICTURE_TOP});
    EXPECT_EQ(*std::max_element(border.rgb.begin(), border.rgb.end()), 0);

    // The start key reaches the board: the game leaves the title for its playfield, whose score
    // line (the top 8 rows, between the scrolling walls) the headless run shows after the same key.
    run_headless(folder_ / "started", 160, "100 1\n110\n");
    const Image playing = headless_frame(folder_ / "started", 160);
    const Region score_line{32, 0, 240, 8};
    ASSERT_GT(unexplained_pixels(shown, playing, score_line), score_line.pixels() / 10)
        << "the title already shows the score line";
    ASSERT_NO_FATAL_FAILURE(type_key("1", 200));
    int last = 0;
    const bool started = await_screen(program, folder_, 10, &screen, [&](const Image& s) {
        last = unexplained_pixels(visible_picture(s), playing, score_line);
        return last <= 4;
    });
    EXPECT_TRUE(started) << "the game did not start: " << last << " pixels of the score line unexplained";
    if (!started) write_ppm(folder_ / "shown.ppm", visible_picture(screen));

    kill(program.pid(), SIGTERM); // the window system's quit request
    EXPECT_EQ(program.wait_exit(10), 0);
}

// The key strokes of the menu walk, with the frame of the headless run that shows their result.
struct MenuStep {
    const char* key; // as xdotool names it
    long frame;
    const char* what;
};

// The headless run of the walk: each key held for 4 frames, 10 frames apart.
constexpr const char* MENU_WALK_SCRIPT = "100 ESCAPE\n104\n"
                                         "110 DOWN\n114\n"
                                         "120 DOWN\n124\n"
                                         "130 RETURN\n134\n"
                                         "140 RETURN\n144\n"
                                         "150 LEFT\n154\n"
                                         "160 RETURN\n164\n"
                                         "170 ESCAPE\n174\n"
                                         "180 DOWN\n184\n"
                                         "190 RETURN\n194\n";
constexpr long MENU_WALK_FRAMES = 196;

const MenuStep MENU_WALK[] = {
    {"Escape", 108, "the main page, SETTINGS, cursor on CONTROLS"},
    {"Down", 118, "cursor on VIDEO"},
    {"Down", 128, "cursor on AUDIO"},
    {"Return", 138, "the audio page, volume 80"},
    {"Return", 148, "the volume slider selected"},
    {"Left", 158, "volume 70"},
    {"Return", 168, "cursor back on MAIN VOLUME"},
    {"Escape", 178, "the main page after apply, cursor on AUDIO"},
    {"Down", 188, "cursor on QUIT GAME"},
};

// Renames the first high-score entry in a save file (the demo game keeps "QZBH", five entries of
// a score and a 4-byte name, and a rotating checksum at the start of backup RAM, in the 68000's
// byte order: 68000 byte a is byte a ^ 1 of the image).
bool rename_best_player(const fs::path& save, const char name[3]) {
    std::vector<uint8_t> stream = read_bytes(save);
    std::vector<uint8_t> image(SAVE_IMAGE_SIZE);
    save_scramble(stream.data(), stream.size());
    save_decode(stream.data(), stream.size(), image.data());
    auto byte = [&](size_t a) -> uint8_t& { return image[a ^ 1]; };
    if (byte(0) != 'Q' || byte(1) != 'Z' || byte(2) != 'B' || byte(3) != 'H') return false;
    for (int i = 0; i < 3; ++i) byte(8 + i) = static_cast<uint8_t>(name[i]);
    uint16_t sum = 0x5A5A;
    for (size_t a = 0; a < 44; ++a) sum = static_cast<uint16_t>((sum << 1 | sum >> 15) ^ byte(a));
    byte(44) = static_cast<uint8_t>(sum >> 8);
    byte(45) = static_cast<uint8_t>(sum);
    std::vector<uint8_t> coded(SAVE_STREAM_MAX);
    const size_t length = save_encode(image.data(), coded.data());
    save_scramble(coded.data(), length);
    write_bytes(save, coded.data(), length);
    return true;
}

uint32_t volume_in_settings(const fs::path& settings) {
    const std::vector<uint8_t> bytes = read_bytes(settings);
    if (bytes.size() != 36) return 0xFFFFFFFF;
    return bytes[16] | bytes[17] << 8 | bytes[18] << 16 | static_cast<uint32_t>(bytes[19]) << 24;
}

TEST_F(ProgramWindowTest, MenuOverTheGameQuitsLeavingFilesThatTheNextStartReads) {
    const fs::path walk = folder_ / "walk";
    run_headless(walk, MENU_WALK_FRAMES, MENU_WALK_SCRIPT);

    program_folder_ = folder_ / "qzb";
    fs::create_directories(program_folder_);
    {
        Program program(program_folder_);
        ASSERT_NO_FATAL_FAILURE(start_and_await_game(program));
        // Escape opens the menu over the dimmed picture; the walk then lowers the volume on the
        // audio page and goes back to QUIT GAME, each step seen on the screen before the next key.
        long previous = 98; // the game before Escape
        for (const MenuStep& step : MENU_WALK) {
            ASSERT_NO_FATAL_FAILURE(type_key(step.key));
            ASSERT_NO_FATAL_FAILURE(await_menu(program, walk, step.frame, previous, step.what));
            previous = step.frame;
        }
        Image screen;
        ASSERT_TRUE(screenshot(program, folder_, &screen));
        // Behind the menu the game's picture is still there, dimmed to dark blues.
        const Image shown = visible_picture(screen);
        const Image text = menu_text_only(shown);
        int bright = 0, blue = 0;
        for (int y = 1; y + 1 < VISIBLE_HEIGHT; ++y)
            for (int x = 1; x + 1 < VISIBLE_WIDTH; ++x) {
                bool near_text = false;
                for (int dy = -1; dy <= 1; ++dy)
                    for (int dx = -1; dx <= 1; ++dx) near_text |= text.at(x + dx, y + dy)[0] != 0 || text.at(x + dx, y + dy)[2] != 0;
                if (near_text) continue;
                const uint8_t* p = shown.at(x, y);
                bright += p[0] > 24 || p[1] > 24 || p[2] > 90;
                blue += p[2] >= 16;
            }
        EXPECT_LE(bright, MATCH_LIMIT) << "pixels behind the menu that are not dimmed";
        EXPECT_GT(blue, 1000) << "the dimmed picture is missing behind the menu";

        ASSERT_NO_FATAL_FAILURE(type_key("Return"));
        EXPECT_EQ(program.wait_exit(10), 0) << "QUIT GAME did not close qzb";
    }
    ASSERT_TRUE(fs::exists(program_folder_ / "qzb.ini"));
    ASSERT_TRUE(fs::exists(program_folder_ / "qzb.sav"));
    EXPECT_EQ(volume_in_settings(program_folder_ / "qzb.ini"), 70u);
    // The save holds the same backup RAM as the headless run's QUIT GAME wrote.
    EXPECT_EQ(read_bytes(program_folder_ / "qzb.sav"), read_bytes(walk / "qzb.sav"));

    // The next start reads both back: a renamed best player in the save shows in the high-score
    // table, and the audio page shows the lowered volume.
    ASSERT_TRUE(rename_best_player(program_folder_ / "qzb.sav", "WIN")) << "the save holds no high-score table";
    const fs::path renamed = folder_ / "renamed";
    fs::create_directories(renamed);
    fs::copy_file(program_folder_ / "qzb.sav", renamed / "qzb.sav");
    fs::copy_file(program_folder_ / "qzb.ini", renamed / "qzb.ini");
    constexpr long TABLE_FRAME = 300; // the high-score page of the title
    run_headless(renamed, TABLE_FRAME);
    run_headless(folder_ / "stock", TABLE_FRAME);
    const Region table{40, 90, 224, 100};
    const Image renamed_table = headless_frame(renamed, TABLE_FRAME);
    ASSERT_GT(unexplained_pixels(headless_frame(folder_ / "stock", TABLE_FRAME), renamed_table, table), 20)
        << "the renamed entry does not change the table";
    {
        Program program(program_folder_);
        ASSERT_NO_FATAL_FAILURE(start_and_await_game(program));
        Image screen;
        int last = 0;
        const bool table_shown = await_screen(program, folder_, 15, &screen, [&](const Image& s) {
            last = unexplained_pixels(visible_picture(s), renamed_table, table);
            return last <= table.pixels() / 500;
        });
        EXPECT_TRUE(table_shown) << "the high-score table with WIN never showed (" << last << " pixels unexplained)";

        long previous = 98;
        for (const MenuStep& step : {MENU_WALK[0], MENU_WALK[1], MENU_WALK[2]}) {
            ASSERT_NO_FATAL_FAILURE(type_key(step.key));
            ASSERT_NO_FATAL_FAILURE(await_menu(program, walk, step.frame, previous, step.what));
            previous = step.frame;
        }
        ASSERT_NO_FATAL_FAILURE(type_key("Return"));
        // The audio page with volume 70 (frame 168 of the walk), not 80 (frame 138): the slider row.
        const Region slider{160, 100, 112, 16};
        await_menu(program, walk, 168, 138, "the audio page with the volume read back (70)", slider);

        kill(program.pid(), SIGTERM);
        EXPECT_EQ(program.wait_exit(10), 0);
    }
    EXPECT_EQ(volume_in_settings(program_folder_ / "qzb.ini"), 70u) << "the next start did not read the settings";
}

} // namespace

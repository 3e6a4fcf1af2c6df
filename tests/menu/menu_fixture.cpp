#include "menu_fixture.h"

#include <cstdlib>
#include <cstring>
#include <sstream>
#include <stdexcept>

#include "app/shell.h"
#include "machine.h"
#include "menu/menu.h"
#include "menu/menu_host.h"

FakeHost fake;

namespace {

int fake_keyboard_read(uint8_t* state) {
    std::memcpy(state, fake.keys, sizeof fake.keys);
    return 1;
}

int fake_apply_video_flags() {
    fake.applied_video.push_back(machine.settings.video_flags);
    return (machine.settings.video_flags & fake.refused_video_bits) == 0;
}

int fake_audio_restart(int) {
    fake.restarted_audio.push_back(machine.settings.audio_flags);
    return (machine.settings.audio_flags & fake.refused_audio_bits) == 0;
}

void fake_audio_set_volume(int32_t volume) {
    fake.volumes.push_back(volume);
}

int fake_palette_upload(int first, int count) {
    fake.uploads.emplace_back(first, count);
    return 1;
}

int fake_joystick_count() {
    return fake.joysticks;
}

uint8_t key_code(const std::string& name) {
    static const std::pair<const char*, uint8_t> NAMES[] = {
        {"UP", 0xC8}, {"DOWN", 0xD0}, {"LEFT", 0xCB}, {"RIGHT", 0xCD}, {"ENTER", 0x1C}, {"ESC", 0x01},
    };
    for (const auto& [key, code] : NAMES)
        if (name == key) return code;
    if (name.rfind("0x", 0) == 0) return static_cast<uint8_t>(std::stoul(name, nullptr, 16));
    throw std::invalid_argument("unknown key " + name);
}

} // namespace

void MenuTest::SetUp() {
    MachineTest::SetUp();
    fake = FakeHost{};
    menu_host = MenuHostCalls{fake_keyboard_read,    fake_apply_video_flags, fake_audio_restart,
                              fake_audio_set_volume, fake_palette_upload,    fake_joystick_count};
    ASSERT_EQ(allocate_work_block(), 1);
    font_.assign(FIX_ROM_SIZE, 2);
    machine.roms.fix_rom_base = font_.data();
}

void MenuTest::TearDown() {
    menu_host_reset();
    machine.roms.fix_rom_base = nullptr;
    MachineTest::TearDown();
}

void MenuTest::solid_glyph(uint8_t code) {
    for (int base : {4096, 4096 + 256, 4096 + 512})
        std::memset(tile(base + code), 1, 64);
}

void MenuTest::solid_font() {
    for (int c = 0; c < 256; ++c)
        solid_glyph(static_cast<uint8_t>(c));
}

void MenuTest::run_keys(const std::string& sequence) {
    std::istringstream frames(sequence);
    std::vector<std::string> states;
    for (std::string state; frames >> state;)
        states.push_back(state);
    states.push_back(".");
    states.push_back(".");
    for (const std::string& state : states) {
        if (!machine.menu.menu_open) return;
        std::memset(fake.keys, 0, sizeof fake.keys);
        if (state != ".") {
            std::istringstream keys(state);
            for (std::string key; std::getline(keys, key, '+');)
                fake.keys[key_code(key)] = 0x80;
        }
        menu_frame();
    }
}

uint16_t MenuTest::pixel16(int x, int y) const {
    uint16_t value;
    std::memcpy(&value, machine.app.work_block + 1024 * y + 2 * x, 2);
    return value;
}

uint8_t MenuTest::pixel8(int x, int y) const {
    return machine.app.work_block[1024 * y + x];
}

void MenuTest::set_pixel16(int x, int y, uint16_t value) {
    std::memcpy(machine.app.work_block + 1024 * y + 2 * x, &value, 2);
}

void MenuTest::fill16(uint16_t value) {
    for (int y = 0; y < 1024; ++y)
        for (int x = 0; x < 512; ++x)
            set_pixel16(x, y, value);
}

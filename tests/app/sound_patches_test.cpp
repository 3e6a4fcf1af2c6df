#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "app/rom_images.h"

namespace {

// A synthetic sound program: texts at 0x3E and 0x71, bytes placed where a rule looks.
struct PatchCase {
    const char* name;
    const char* t1;
    const char* t2;
    std::vector<std::pair<size_t, uint8_t>> bytes;       // set before patching
    std::vector<std::pair<size_t, uint8_t>> expected;    // checked after patching (empty: unchanged)
};

std::vector<std::pair<size_t, uint8_t>> word(size_t offset, uint16_t w) {
    return {{offset, static_cast<uint8_t>(w)}, {offset + 1, static_cast<uint8_t>(w >> 8)}};
}

std::vector<std::pair<size_t, uint8_t>> join(std::initializer_list<std::vector<std::pair<size_t, uint8_t>>> parts) {
    std::vector<std::pair<size_t, uint8_t>> all;
    for (const auto& p : parts) all.insert(all.end(), p.begin(), p.end());
    return all;
}

std::vector<std::pair<size_t, uint8_t>> hook(uint8_t op, size_t offset) { return {{offset, 0xED}, {offset + 1, op}}; }

class SoundPatchRules : public ::testing::TestWithParam<PatchCase> {};

TEST_P(SoundPatchRules, AppliesExactlyTheRule) {
    const PatchCase& c = GetParam();
    std::vector<uint8_t> program(131'072, 0);
    std::memcpy(&program[0x3E], c.t1, std::strlen(c.t1));
    std::memcpy(&program[0x71], c.t2, std::strlen(c.t2));
    for (auto [o, v] : c.bytes) program[o] = v;
    std::vector<uint8_t> expected = program;
    for (auto [o, v] : c.expected) expected[o] = v;

    patch_sound_program_image(program.data(), program.size());

    for (size_t i = 0; i < program.size(); ++i)
        ASSERT_EQ(program[i], expected[i]) << "byte at 0x" << std::hex << i;
}

const char RENZAI30[] = "RENZAI sound driver 3.0";

INSTANTIATE_TEST_SUITE_P(
    Rules, SoundPatchRules,
    ::testing::Values(
        PatchCase{"TukFirstAlternative", "Ver 1.5b by Mr.Tuk", "", {{0x157, 0x28}}, join({hook(0x00, 0x157), hook(0x01, 0x13D)})},
        PatchCase{"TukSecondAlternative", "Ver 2.0 by Mr.Tuk", "", {{0x15D, 0x28}}, join({hook(0x00, 0x15D), hook(0x01, 0x143)})},
        PatchCase{"TukThird", "Ver 2.0 by Mr.Tuk", "", {{0x151, 0x28}}, hook(0x02, 0x151)},
        PatchCase{"TukFourth", "Ver 2.0 by Mr.Tuk", "", {{0x144, 0x28}}, hook(0x02, 0x144)},
        PatchCase{"TukNoMatchingByte", "Ver 2.0 by Mr.Tuk", "", {}, {}},
        PatchCase{"OrvexVersion12", "", "(c) Copyright ORVEX 1.2", {{0xD487, 0xFE}}, hook(0x03, 0xD487)},
        PatchCase{"OrvexVersion35", "", "(c) Copyright ORVEX 3.5", {{0xD193, 0xFE}}, hook(0x03, 0xD193)},
        PatchCase{"OrvexVersion64At372", "", "(c) Copyright ORVEX 6.4", {{0x372, 0xA7}}, hook(0x04, 0x372)},
        PatchCase{"OrvexVersion22WithJump", "", "(c) Copyright ORVEX 2.2", {{0xCE53, 0xA7}},
                  join({hook(0x04, 0xCE53), {{0xEB8B, 0xC3}, {0xEB8C, 0x9E}, {0xEB8D, 0xEB}}})},
        PatchCase{"OrvexVersion73", "", "(c) Copyright ORVEX 7.3", {{0x372, 0xA7}, {0x2473, 0x55}},
                  join({hook(0x04, 0x372), {{0x246C, 0x01}, {0x2473, 0x00}}})},
        PatchCase{"OrvexVersion85", "", "(c) Copyright ORVEX 8.5", {{0x379, 0xA7}}, hook(0x04, 0x379)},
        PatchCase{"OrvexUnknownVersion", "", "(c) Copyright ORVEX 9.9", {{0x379, 0xA7}, {0x372, 0xA7}}, {}},
        PatchCase{"Tlm878", "", "(c) Copyright TLM 8.7.8", {{0x379, 0x20}}, hook(0x05, 0x379)},
        PatchCase{"TlmOtherVersion", "", "(c) Copyright TLM 8.6", {{0x379, 0x20}}, {}},
        PatchCase{"Renzai20a", "RENZAI 2.0a", "", {{0x144, 0x28}}, hook(0x02, 0x144)},
        PatchCase{"Renzai30ThisMachinesProgram", RENZAI30, "", word(0x13C, 0xF528), hook(0x02, 0x13C)},
        PatchCase{"Renzai30FirstWordWins", RENZAI30, "", join({word(0x12F, 0xF528), word(0x144, 0xF528)}), hook(0x02, 0x12F)},
        PatchCase{"Renzai30SecondList", RENZAI30, "", word(0x1B0, 0xF628), hook(0x06, 0x1B0)},
        PatchCase{"Renzai30NoWord", RENZAI30, "", {}, {}},
        PatchCase{"AlwaysJumpRule", "", "", word(0x1E5D, 0x5BCA), hook(0x07, 0x1E5D)},
        PatchCase{"KvrVer00", "To KVR Ver 0.0", "", word(0x11D, 0xF628), hook(0x06, 0x11D)},
        PatchCase{"KvrVer10", "To KVR Ver 1.0", "", join({word(0x13B, 0xE528), word(0x131, 0x1A20)}),
                  join({hook(0x09, 0x13B), hook(0x0B, 0x131)})},
        PatchCase{"KvrVer10WrongSecondWord", "To KVR Ver 1.0", "", join({word(0x13B, 0xE528), word(0x131, 0x1A21)}), {}},
        PatchCase{"KvrVer17", "To KVR Ver 1.7", "", join({word(0x144, 0xE528), word(0x13A, 0x1920)}),
                  join({hook(0x09, 0x144), hook(0x0A, 0x13A)})},
        PatchCase{"UnknownProgram", "some other driver", "(c) someone", {{0x157, 0x28}, {0x372, 0xA7}}, {}}),
    [](const auto& info) { return info.param.name; });

TEST(SoundPatch, TextWithoutTerminatorAtTheEndStaysInside) {
    std::vector<uint8_t> program(0x80, 'A'); // texts run to the end of the buffer
    patch_sound_program_image(program.data(), program.size());
    SUCCEED();
}

} // namespace

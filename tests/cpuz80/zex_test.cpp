// zexdoc and zexall (../shared/testdata/z80-zexdoc-zexall) under a minimal CP/M stand-in: the
// program is loaded at 0x0100, CALL 5 jumps to a console routine that prints through an OUT, the
// word at 0x0006 is the stack top, and the jump to 0x0000 that ends the program meets a HALT.
#include <gtest/gtest.h>

#include <cstdio>
#include <iostream>
#include <set>
#include <string>

#include "z80_fixture.h"

namespace {

constexpr uint16_t CONSOLE = 0xFE00;
std::string console;

// OUT (0xFF),A in the console routine: C = 2 prints E, C = 9 prints the '$'-terminated string at DE.
void console_call(uint32_t port, uint32_t) {
    if ((port & 0xFF) != 0xFF) return;
    const SoundCpuContext& c = machine.sound_cpu.context;
    if ((c.bc & 0xFF) == 2) console.push_back(static_cast<char>(c.de & 0xFF));
    if ((c.bc & 0xFF) == 9)
        for (uint16_t a = c.de; c.memory[a] != '$'; ++a) console.push_back(static_cast<char>(c.memory[a]));
}

// zexall also checks bits 5 and 3 of F, which this core does not derive from results (operations
// whose flags come from a result leave them 0; SCF, CCF, CPL, LD A,I and LD A,R keep them). These
// are exactly the groups whose results include those bits; zexdoc passes every group.
const std::set<std::string> ZEXALL_EXPECTED_FAILURES = {
    "<adc,sbc> hl,<bc,de,hl,sp>", "<daa,cpl,scf,ccf>", "<inc,dec> (<ix,iy>+1)", "<inc,dec> (hl)",
    "<inc,dec> a", "<inc,dec> b", "<inc,dec> c", "<inc,dec> d", "<inc,dec> e", "<inc,dec> h",
    "<inc,dec> iyl", "<inc,dec> l", "<rlca,rrca,rla,rra>", "<rrd,rld>", "add hl,<bc,de,hl,sp>",
    "add ix,<bc,de,ix,sp>", "add iy,<bc,de,iy,sp>", "aluop a,(<ix,iy>+1)", "aluop a,<b,c,d,e,h,l,(hl),a>",
    "aluop a,<ixh,ixl,iyh,iyl>", "aluop a,nn", "bit n,<b,c,d,e,h,l,(hl),a>", "cpd<r>", "cpi<r>",
    "ldd<r> (2)", "ldi<r> (1)", "ldi<r> (2)", "neg", "shf/rot (<ix,iy>+1)", "shf/rot <b,c,d,e,h,l,(hl),a>"};

class ExerciserTest : public Z80Test, public ::testing::WithParamInterface<const char*> {};

TEST_P(ExerciserTest, RunsToTheEnd) {
    std::filesystem::path file = testdata_dir() / "z80-zexdoc-zexall" / GetParam();
    if (testdata_dir().empty() || !std::filesystem::exists(file))
        GTEST_SKIP() << "../shared/testdata/z80-zexdoc-zexall is absent";
    std::vector<uint8_t> program = read_file(file);
    ASSERT_FALSE(program.empty());
    std::copy(program.begin(), program.end(), memory_.begin() + 0x100);
    poke(0x0000, {0x76});                                  // the end: HALT
    poke(0x0005, {0xC3, CONSOLE & 0xFF, CONSOLE >> 8});    // JP CONSOLE; the word at 6 is the stack top
    poke(CONSOLE, {0xD3, 0xFF, 0xC9});                     // OUT (0xFF),A ; RET
    console.clear();
    port_log.on_write = console_call;
    ctx().pc = 0x0100;
    ctx().sp = CONSOLE;
    uint64_t t_states = 0;
    while (!ctx().halted) {
        ASSERT_EQ(sound_cpu_run(10'000'000), SOUND_CPU_RUN_OK) << console;
        t_states += static_cast<uint64_t>(sound_cpu_elapsed(1));
        port_log.accesses.clear();
    }
    std::cout << console << "\n" << t_states << " T-states\n";
    EXPECT_EQ(ctx().pc, 1) << "ended by the jump to 0x0000";
    EXPECT_NE(console.find("Tests complete"), std::string::npos);
    // Each group prints "<name>....  OK" or "<name>.... ERROR ...".
    std::set<std::string> failed;
    size_t start = 0;
    for (size_t end; (end = console.find('\n', start)) != std::string::npos; start = end + 1) {
        std::string line = console.substr(start, end - start);
        std::erase(line, '\r');
        if (line.find("ERROR") != std::string::npos) failed.insert(line.substr(0, line.find('.')));
    }
    if (std::string(GetParam()) == "zexdoc.com") EXPECT_TRUE(failed.empty());
    else EXPECT_EQ(failed, ZEXALL_EXPECTED_FAILURES);
}

INSTANTIATE_TEST_SUITE_P(Programs, ExerciserTest, ::testing::Values("zexdoc.com", "zexall.com"),
                         [](const auto& info) { return std::string(info.param).substr(0, 6); });

} // namespace

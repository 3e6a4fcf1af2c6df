// DAA against the table of all 2,048 inputs (../shared/testdata/z80-daa-table): A and N, C, H
// before, A and N, C, H after.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "z80_fixture.h"

namespace {

using DaaTableTest = Z80Test;

TEST_F(DaaTableTest, MatchesEveryInput) {
    std::filesystem::path file = testdata_dir() / "z80-daa-table" / "daaoutput.txt";
    if (testdata_dir().empty() || !std::filesystem::exists(file))
        GTEST_SKIP() << "../shared/testdata/z80-daa-table is absent";
    std::ifstream in(file);
    size_t checked = 0;
    for (std::string line; std::getline(in, line);) {
        if (line.rfind("N ", 0) != 0) continue;
        std::istringstream s(line);
        std::string label;
        unsigned n, c, h, a, n2, c2, h2, a2;
        s >> label >> n >> label >> c >> label >> h >> std::hex >> a >> std::dec >> label >> n2 >> label >> c2 >>
            label >> h2 >> std::hex >> a2;
        ASSERT_TRUE(s) << line;
        poke(0, {0x27});
        ctx().pc = 0;
        ctx().af = static_cast<uint16_t>(a << 8 | (n ? 0x02 : 0) | (c ? 0x01 : 0) | (h ? 0x10 : 0));
        sound_cpu_run(1);
        uint8_t f = ctx().af & 0xFF;
        EXPECT_EQ(ctx().af >> 8, a2) << line;
        EXPECT_EQ((f >> 1) & 1, n2) << line;
        EXPECT_EQ(f & 1, c2) << line;
        EXPECT_EQ((f >> 4) & 1, h2) << line;
        ++checked;
    }
    EXPECT_EQ(checked, 2048u);
}

} // namespace

// The sound CPU against the FUSE tests (../shared/testdata/z80-fuse-tests): each test loads
// registers and memory, runs for at least its T-state count (the last instruction completes) and
// compares registers, memory, port traffic and the final T-state count. MC and PC events are
// another machine's contention points and are ignored.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <array>
#include <map>
#include <sstream>

#include "intended_differences.h"
#include "z80_fixture.h"

namespace {

struct FuseState {
    uint16_t regs[13] = {}; // AF BC DE HL AF' BC' DE' HL' IX IY SP PC MEMPTR
    unsigned i = 0, r = 0, iff1 = 0, iff2 = 0, im = 0, halted = 0;
    int tstates = 0;
    std::vector<std::pair<uint16_t, std::vector<uint8_t>>> memory;
};
struct FuseTest {
    std::string name;
    FuseState in, out;
    std::vector<PortAccess> ports; // PR and PW events
};

std::vector<std::string> read_lines(const std::filesystem::path& path) {
    std::ifstream in(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

void parse_registers(const std::string& regs, const std::string& state, FuseState& s) {
    std::istringstream a(regs);
    for (auto& r : s.regs) a >> std::hex >> r;
    std::istringstream b(state);
    b >> std::hex >> s.i >> s.r >> std::dec >> s.iff1 >> s.iff2 >> s.im >> s.halted >> s.tstates;
}
// "addr b0 b1 ... -1" lines up to a line that is "-1" alone, or the end of the block.
size_t parse_memory(const std::vector<std::string>& lines, size_t k, FuseState& s) {
    for (; k < lines.size() && !lines[k].empty() && lines[k] != "-1"; ++k) {
        std::istringstream m(lines[k]);
        unsigned address;
        m >> std::hex >> address;
        std::vector<uint8_t> bytes;
        for (std::string b; m >> b && b != "-1";) bytes.push_back(static_cast<uint8_t>(std::stoul(b, nullptr, 16)));
        s.memory.emplace_back(static_cast<uint16_t>(address), bytes);
    }
    return k;
}

std::vector<FuseTest> load_fuse(const std::filesystem::path& dir) {
    std::vector<FuseTest> tests;
    auto in = read_lines(dir / "tests.in");
    for (size_t k = 0; k < in.size();) {
        if (in[k].empty()) {
            ++k;
            continue;
        }
        FuseTest t;
        t.name = in[k];
        parse_registers(in[k + 1], in[k + 2], t.in);
        k = parse_memory(in, k + 3, t.in) + 1;
        tests.push_back(std::move(t));
    }
    auto ex = read_lines(dir / "tests.expected");
    size_t n = 0;
    for (size_t k = 0; k < ex.size() && n < tests.size();) {
        if (ex[k].empty()) {
            ++k;
            continue;
        }
        FuseTest& t = tests[n++];
        ++k; // name
        for (; k < ex.size() && !ex[k].empty() && ex[k][0] == ' '; ++k) {
            std::istringstream e(ex[k]);
            int time;
            std::string type;
            unsigned address, data = 0;
            e >> time >> type >> std::hex >> address >> data;
            if (type == "PR" || type == "PW")
                t.ports.push_back({static_cast<uint16_t>(address), static_cast<uint8_t>(data), type == "PR" ? 'r' : 'w'});
        }
        parse_registers(ex[k], ex[k + 1], t.out);
        k = parse_memory(ex, k + 2, t.out);
    }
    return tests;
}

// "ddcb06_1" -> group "ddcb", opcode 0x06.
std::pair<std::string, int> group_of(std::string name) {
    name = name.substr(0, name.find('_'));
    std::string group = "base";
    for (const char* prefix : {"ddcb", "fdcb", "dd", "fd", "ed", "cb"})
        if (name.size() > 2 && name.rfind(prefix, 0) == 0) {
            group = prefix;
            break;
        }
    return {group, std::stoi(name.substr(name.size() - 2), nullptr, 16)};
}

class FuseVectorTest : public Z80Test {
  protected:
    std::string run_one(const FuseTest& t, int opcode, const IntendedDifference* diff, uint32_t& result) {
        SoundCpuContext& c = ctx();
        uint16_t* p[12] = {&c.af, &c.bc, &c.de, &c.hl, &c.af2, &c.bc2, &c.de2, &c.hl2, &c.ix, &c.iy, &c.sp, &c.pc};
        for (int k = 0; k < 12; ++k) *p[k] = t.in.regs[k];
        c.i = static_cast<uint8_t>(t.in.i);
        c.r = static_cast<uint8_t>(t.in.r);
        c.interrupt_mode = t.in.im;
        c.halted = t.in.halted;
        cpu().iff1 = static_cast<uint8_t>(t.in.iff1);
        cpu().iff2 = static_cast<uint8_t>(t.in.iff2);
        std::fill(memory_.begin(), memory_.end(), 0);
        for (const auto& [address, bytes] : t.in.memory)
            for (size_t k = 0; k < bytes.size(); ++k) memory_[(address + k) & 0xFFFF] = bytes[k];
        port_log = PortLog{};
        for (const auto& a : t.ports)
            if (a.kind == 'r') port_log.read_values.push_back(a.value);
        cpu().cycles_left = 0;
        sound_cpu_elapsed(1);
        // Where this core charges its own cost, the test's count cannot bound one instruction: run
        // exactly one (LDDR and CPDR need their first 21 for the start test).
        int32_t budget = t.in.tstates;
        if (diff && diff->cost) budget = opcode == 0xB8 || opcode == 0xB9 ? 21 : 1;
        result = sound_cpu_run(budget);
        if (result != SOUND_CPU_RUN_OK) return "";

        std::ostringstream out;
        auto expect = [&](const char* what, int64_t got, int64_t want) {
            if (got != want) out << what << " " << std::hex << got << " want " << want << "; ";
        };
        unsigned relax = diff ? diff->relax : 0;
        const char* names[12] = {"AF", "BC", "DE", "HL", "AF'", "BC'", "DE'", "HL'", "IX", "IY", "SP", "PC"};
        for (int k = 0; k < 12; ++k) {
            if (k == 0) {
                if (!(relax & IGNORE_A_AND_F)) expect("AF", c.af & 0xFFD7, t.out.regs[0] & 0xFFD7);
            } else if (!(k == 11 && (relax & HALT_PC))) {
                expect(names[k], *p[k], t.out.regs[k]);
            }
        }
        expect("I", c.i, t.out.i);
        expect("IM", c.interrupt_mode, t.out.im);
        if (!(relax & IGNORE_IFF1)) expect("IFF1", cpu().iff1, t.out.iff1);
        expect("IFF2", cpu().iff2, t.out.iff2);
        expect("halted", c.halted != 0, t.out.halted != 0);
        for (const auto& [address, bytes] : t.out.memory)
            for (size_t k = 0; k < bytes.size(); ++k) expect("memory", memory_[(address + k) & 0xFFFF], bytes[k]);
        std::vector<PortAccess> want = t.ports;
        if (relax & PORT_LOW_BYTE)
            for (auto& a : want) a.port &= 0xFF;
        if (port_log.accesses != want) out << "port traffic differs; ";
        // A different per-instruction cost shows in the total of tests that run several instructions.
        if (!(diff && diff->cost)) expect("T-states", sound_cpu_elapsed(0), t.out.tstates);
        return out.str();
    }
};

TEST_F(FuseVectorTest, MatchesFuseTests) {
    std::filesystem::path dir = testdata_dir() / "z80-fuse-tests";
    if (testdata_dir().empty() || !std::filesystem::exists(dir / "tests.in"))
        GTEST_SKIP() << "../shared/testdata/z80-fuse-tests is absent";
    auto tests = load_fuse(dir);
    ASSERT_EQ(tests.size(), 1356u);
    std::map<std::string, std::array<size_t, 3>> counts; // run, skipped, passed
    for (const auto& t : tests) {
        auto [group, opcode] = group_of(t.name);
        const IntendedDifference* diff = find_difference(group, opcode);
        auto& c = counts[group];
        if (diff && (diff->relax & SKIP_UNLESS_ONE_STEP) && t.out.regs[11] != ((t.in.regs[11] + 2) & 0xFFFF)) {
            ++c[1];
            continue;
        }
        uint32_t result = 0;
        std::string failure = run_one(t, opcode, diff, result);
        if (result != SOUND_CPU_RUN_OK) {
            // Index prefixes in front of an instruction without HL stop the run where they stand.
            bool meant = (group == "dd" || group == "fd") && result == t.in.regs[11];
            if (meant) ++c[1];
            else ADD_FAILURE() << t.name << ": unexpected stop at " << result;
            continue;
        }
        ++c[0];
        if (failure.empty()) ++c[2];
        else ADD_FAILURE() << t.name << ": " << failure;
    }
    for (const auto& [group, c] : counts)
        std::printf("fuse %-5s run %5zu  skipped %5zu  passed %5zu\n", group.c_str(), c[0], c[1], c[2]);
}

} // namespace

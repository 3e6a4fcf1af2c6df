// The sound CPU against the single-step vectors (../shared/testdata/z80-singlesteptests): each
// vector loads registers and RAM, serves its port reads, runs one instruction and compares
// registers, flags, RAM, port traffic and T-states. The quick build checks the first vectors of
// every file; the full sweep (QZB_Z80_FULL_SWEEP, labelled slow) checks them all.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <map>
#include <sstream>

#include "intended_differences.h"
#include "json_reader.h"
#include "z80_fixture.h"

namespace {

#ifdef QZB_Z80_FULL_SWEEP
constexpr size_t VECTORS_PER_FILE = 1000;
constexpr size_t BYTES_READ = SIZE_MAX;
#else
constexpr size_t VECTORS_PER_FILE = 12;
constexpr size_t BYTES_READ = 64 * 1024; // enough for 12 vectors of any file
#endif

struct Group {
    const char* name;
    const char* prefix; // file name prefix; "" is the unprefixed table (two hex digits only)
};
const Group GROUPS[] = {{"base", ""}, {"cb", "cb "},       {"ed", "ed "},      {"dd", "dd "},
                        {"fd", "fd "}, {"ddcb", "dd cb __ "}, {"fdcb", "fd cb __ "}};

std::vector<std::filesystem::path> files_of(const std::filesystem::path& dir, const Group& g) {
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
        std::string name = entry.path().filename().string();
        const std::string suffix = ".json.gz";
        if (name.size() <= suffix.size() || name.compare(name.size() - suffix.size(), suffix.size(), suffix) != 0)
            continue;
        std::string stem = name.substr(0, name.size() - suffix.size());
        std::string prefix = g.prefix;
        bool match = prefix.empty() ? stem.size() == 2 : stem.rfind(prefix, 0) == 0 && stem.size() == prefix.size() + 2;
        if (match) files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    return files;
}

struct Counts {
    size_t run = 0, skipped = 0, passed = 0;
    std::vector<std::string> failures;
};

class SingleStepTest : public Z80Test, public ::testing::WithParamInterface<Group> {
  protected:
    void load_state(const JsonValue& s) {
        SoundCpuContext& c = ctx();
        c.af = static_cast<uint16_t>(s["a"].as_int() << 8 | s["f"].as_int());
        c.bc = static_cast<uint16_t>(s["b"].as_int() << 8 | s["c"].as_int());
        c.de = static_cast<uint16_t>(s["d"].as_int() << 8 | s["e"].as_int());
        c.hl = static_cast<uint16_t>(s["h"].as_int() << 8 | s["l"].as_int());
        c.ix = static_cast<uint16_t>(s["ix"].as_int());
        c.iy = static_cast<uint16_t>(s["iy"].as_int());
        c.sp = static_cast<uint16_t>(s["sp"].as_int());
        c.pc = static_cast<uint16_t>(s["pc"].as_int());
        c.af2 = static_cast<uint16_t>(s["af_"].as_int());
        c.bc2 = static_cast<uint16_t>(s["bc_"].as_int());
        c.de2 = static_cast<uint16_t>(s["de_"].as_int());
        c.hl2 = static_cast<uint16_t>(s["hl_"].as_int());
        c.i = static_cast<uint8_t>(s["i"].as_int());
        c.r = static_cast<uint8_t>(s["r"].as_int());
        c.interrupt_mode = static_cast<uint32_t>(s["im"].as_int());
        c.halted = 0;
        cpu().iff1 = static_cast<uint8_t>(s["iff1"].as_int());
        cpu().iff2 = static_cast<uint8_t>(s["iff2"].as_int());
        cpu().irq_line = 0;
        for (const auto& cell : s["ram"].items)
            memory_[static_cast<size_t>(cell.items[0].as_int())] = static_cast<uint8_t>(cell.items[1].as_int());
    }

    // Returns an empty string when the vector passes, else what differed.
    std::string check(const JsonValue& t, const IntendedDifference* diff) {
        const JsonValue& fin = t["final"];
        std::ostringstream out;
        auto expect = [&](const char* what, int64_t got, int64_t want) {
            if (got != want) out << what << " " << std::hex << got << " want " << want << "; ";
        };
        SoundCpuContext& c = ctx();
        unsigned relax = diff ? diff->relax : 0;
        if (!(relax & IGNORE_A_AND_F)) {
            expect("A", c.af >> 8, fin["a"].as_int());
            expect("F", c.af & 0xD7, fin["f"].as_int() & 0xD7);
        }
        expect("BC", c.bc, fin["b"].as_int() << 8 | fin["c"].as_int());
        expect("DE", c.de, fin["d"].as_int() << 8 | fin["e"].as_int());
        expect("HL", c.hl, fin["h"].as_int() << 8 | fin["l"].as_int());
        expect("IX", c.ix, fin["ix"].as_int());
        expect("IY", c.iy, fin["iy"].as_int());
        expect("SP", c.sp, fin["sp"].as_int());
        expect("PC", c.pc, fin["pc"].as_int());
        expect("AF'", c.af2, fin["af_"].as_int());
        expect("BC'", c.bc2, fin["bc_"].as_int());
        expect("DE'", c.de2, fin["de_"].as_int());
        expect("HL'", c.hl2, fin["hl_"].as_int());
        expect("I", c.i, fin["i"].as_int());
        expect("IM", c.interrupt_mode, fin["im"].as_int());
        if (!(relax & IGNORE_IFF1)) expect("IFF1", cpu().iff1, fin["iff1"].as_int());
        expect("IFF2", cpu().iff2, fin["iff2"].as_int());
        for (const auto& cell : fin["ram"].items)
            expect("RAM", memory_[static_cast<size_t>(cell.items[0].as_int())], cell.items[1].as_int());
        std::vector<PortAccess> want;
        for (const auto& p : t["ports"].items) {
            uint16_t port = static_cast<uint16_t>(p.items[0].as_int());
            if (relax & PORT_LOW_BYTE) port &= 0xFF;
            want.push_back({port, static_cast<uint8_t>(p.items[1].as_int()), p.items[2].text[0]});
        }
        if (port_log.accesses != want) out << "port traffic differs; ";
        int64_t cost = diff && diff->cost ? diff->cost : static_cast<int64_t>(t["cycles"].items.size());
        expect("T-states", sound_cpu_elapsed(0), cost);
        return out.str();
    }

    void run_vector(const JsonValue& t, const std::string& group, int opcode, Counts& counts) {
        const IntendedDifference* diff = find_difference(group, opcode);
        const JsonValue& init = t["initial"];
        if (diff && (diff->relax & SKIP_UNLESS_ONE_STEP) &&
            t["final"]["pc"].as_int() != ((init["pc"].as_int() + 2) & 0xFFFF)) {
            ++counts.skipped;
            return;
        }
        load_state(init);
        port_log = PortLog{};
        for (const auto& p : t["ports"].items)
            if (p.items[2].text == "r") port_log.read_values.push_back(static_cast<uint8_t>(p.items[1].as_int()));
        cpu().cycles_left = 0;
        sound_cpu_elapsed(1);
        // LDDR and CPDR charge their first 21 as a start test; every other form runs on a budget of 1.
        bool start_test = group == "ed" && (opcode == 0xB8 || opcode == 0xB9);
        uint32_t result = sound_cpu_run(start_test ? 21 : 1);
        std::string failure;
        if (result != SOUND_CPU_RUN_OK) {
            // Only the index prefixes in front of an instruction without HL are meant to stop.
            bool meant = (group == "dd" || group == "fd") && result == static_cast<uint32_t>(init["pc"].as_int()) &&
                         ctx().pc == init["pc"].as_int();
            if (meant) ++counts.skipped;
            else failure = "unexpected stop at " + std::to_string(result);
        } else {
            ++counts.run;
            failure = check(t, diff);
            if (failure.empty()) ++counts.passed;
        }
        if (!failure.empty() && counts.failures.size() < 20) counts.failures.push_back(t["name"].text + ": " + failure);
        for (const auto* side : {&init, &t["final"]})
            for (const auto& cell : (*side)["ram"].items) memory_[static_cast<size_t>(cell.items[0].as_int())] = 0;
    }
};

TEST_P(SingleStepTest, MatchesVectors) {
    std::filesystem::path dir = testdata_dir() / "z80-singlesteptests" / "v1";
    if (testdata_dir().empty() || !std::filesystem::is_directory(dir))
        GTEST_SKIP() << "../shared/testdata/z80-singlesteptests is absent";
    const Group& g = GetParam();
    Counts counts;
    auto files = files_of(dir, g);
    ASSERT_FALSE(files.empty());
    std::string text;
    for (const auto& file : files) {
        ASSERT_TRUE(read_gzip_file(file.string(), text, BYTES_READ)) << file;
        std::vector<JsonValue> vectors;
        ASSERT_TRUE(parse_json_array_prefix(text, VECTORS_PER_FILE, vectors)) << file;
        ASSERT_FALSE(vectors.empty()) << file;
        std::string stem = file.filename().string();
        int opcode = std::stoi(stem.substr(std::string(g.prefix).size(), 2), nullptr, 16);
        for (const auto& v : vectors) run_vector(v, g.name, opcode, counts);
    }
    std::printf("single-step %-5s run %7zu  skipped %7zu  passed %7zu\n", g.name, counts.run, counts.skipped,
                counts.passed);
    for (const auto& f : counts.failures) ADD_FAILURE() << f;
    EXPECT_EQ(counts.passed, counts.run);
}

INSTANTIATE_TEST_SUITE_P(Groups, SingleStepTest, ::testing::ValuesIn(GROUPS),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace

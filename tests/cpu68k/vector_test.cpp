// The external single-instruction vectors, one test per instruction family. The quick suite runs
// the first tests of every family (every build); the full sweep runs them all (Release, slow).
#include <gtest/gtest.h>

#include <cstdio>

#include "support/machine_fixture.h"
#include "vector_sweep.h"

// VECTOR_LIMIT: tests per family (0: all); VECTOR_SUITE: the name prefix, distinct per program.
#ifndef VECTOR_LIMIT
#define VECTOR_LIMIT 0
#endif
#ifndef VECTOR_SUITE
#define VECTOR_SUITE Full
#endif

namespace {

class Cpu68kVectors : public MachineTest, public ::testing::WithParamInterface<std::string> {};

TEST_P(Cpu68kVectors, MatchesStateAndCycles) {
    if (GetParam() == "absent") GTEST_SKIP() << "../shared/testdata/m68000-singlesteptests is absent";
    FamilyResult r = run_vector_family(GetParam(), VECTOR_LIMIT);
    ASSERT_TRUE(r.error.empty()) << r.error;
    std::printf("family %-14s run %5d skipped %5d state %5d/%5d cycles %5d/%5d\n", GetParam().c_str(), r.run, r.skipped,
                r.state_passed, r.run, r.cycles_passed, r.cycles_compared);
    std::string details;
    for (const std::string& f : r.failures) details += "\n  " + f;
    EXPECT_EQ(r.state_passed, r.run) << details;
    EXPECT_EQ(r.cycles_passed, r.cycles_compared) << details;
}

std::vector<std::string> families_or_absent() {
    std::vector<std::string> names = vector_families();
    if (names.empty()) names.push_back("absent");
    return names;
}

std::string test_name(const ::testing::TestParamInfo<std::string>& info) {
    std::string name = info.param;
    for (char& c : name)
        if (c == '.') c = '_';
    return name;
}

INSTANTIATE_TEST_SUITE_P(VECTOR_SUITE, Cpu68kVectors, ::testing::ValuesIn(families_or_absent()), test_name);

} // namespace

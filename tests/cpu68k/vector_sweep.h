// Runs the external single-instruction vectors of one family through the core and compares
// registers, SR, PC, memory and cycles, minus the differences this core makes on purpose.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

struct FamilyResult {
    int run = 0;             // tests executed
    int skipped = 0;         // address-error tests and tests whose outcome differs by design
    int state_passed = 0;    // registers, SR, PC and memory as expected
    int cycles_compared = 0; // tests whose cycle count is kept at the published timing
    int cycles_passed = 0;
    std::vector<std::string> failures; // the first few mismatches, for the test output
    std::string error;                 // set when the file cannot be read
};

// Families are the file names without ".json.bin.gz". At most `limit` tests run (0: all).
FamilyResult run_vector_family(const std::string& family, int limit);
std::vector<std::string> vector_families();

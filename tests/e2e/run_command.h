// Runs a command line for the end-to-end tests and gives back what it printed and how it ended.
#pragma once
#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <string>

struct CommandResult {
    int status = -1;    // the exit status; -1 when a signal ended the command
    std::string output; // standard output and standard error
};

inline CommandResult run_command(const std::string& command) {
    CommandResult result;
    FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    if (pipe == nullptr) return result;
    std::array<char, 4096> buffer{};
    size_t got = 0;
    while ((got = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0) result.output.append(buffer.data(), got);
    const int raw = pclose(pipe);
    result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    return result;
}

// Runs work in a child process: with its address space capped a little above its current size,
// so that "not enough memory" paths can be tested on a machine with plenty of memory, or with
// its peak resident size measured.
#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <optional>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

// True when Work returns true; an exception must not escape into the child's copy of the
// test program, which would then run on.
inline bool RunsTrue(const std::function<bool()>& Work)
{
    try {
        return Work();
    } catch (...) {
        return false;
    }
}

// True when Check returned true in the capped child.
inline bool PassesWithAddressLimit(const std::function<bool()>& Check,
                                   std::uint64_t HeadroomBytes = std::uint64_t(512) << 20)
{
    std::fflush(nullptr);
    const pid_t child = fork();
    if (child < 0) return false;
    if (child == 0) {
        unsigned long long pages = 0;
        std::FILE* f = std::fopen("/proc/self/statm", "r");
        if (!f || std::fscanf(f, "%llu", &pages) != 1) _exit(2);
        std::fclose(f);
        const std::uint64_t cap =
            pages * static_cast<std::uint64_t>(sysconf(_SC_PAGESIZE)) + HeadroomBytes;
        rlimit lim{cap, cap};
        if (setrlimit(RLIMIT_AS, &lim) != 0) _exit(2);
        _exit(RunsTrue(Check) ? 0 : 1);
    }
    int status = 0;
    if (waitpid(child, &status, 0) != child) return false;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// Resident size of this process in bytes (VmRSS) and its peak (VmHWM), from /proc/self/status.
inline bool ResidentSizes(std::uint64_t& Current, std::uint64_t& Peak)
{
    std::FILE* f = std::fopen("/proc/self/status", "r");
    if (!f) return false;
    char line[256];
    int found = 0;
    while (std::fgets(line, sizeof line, f)) {
        unsigned long long kb = 0;
        if (std::sscanf(line, "VmRSS: %llu kB", &kb) == 1) Current = kb * 1024, ++found;
        if (std::sscanf(line, "VmHWM: %llu kB", &kb) == 1) Peak = kb * 1024, ++found;
    }
    std::fclose(f);
    return found == 2;
}

// How far the resident size of a child process rose above its start while it ran Work; nothing
// when Work failed or the peak cannot be measured.
inline std::optional<std::uint64_t> PeakResidentGrowth(const std::function<bool()>& Work)
{
    int channel[2];
    if (pipe(channel) != 0) return std::nullopt;
    std::fflush(nullptr);
    const pid_t child = fork();
    if (child < 0) return std::nullopt;
    if (child == 0) {
        close(channel[0]);
        // Lets the peak start again from the current size instead of the parent's.
        std::FILE* reset = std::fopen("/proc/self/clear_refs", "w");
        if (!reset || std::fputs("5", reset) < 0 || std::fclose(reset) != 0) _exit(2);
        std::uint64_t before = 0, peak = 0, after = 0;
        if (!ResidentSizes(before, peak) || !RunsTrue(Work) || !ResidentSizes(after, peak))
            _exit(1);
        const std::uint64_t growth = peak - before;
        _exit(write(channel[1], &growth, sizeof growth) == sizeof growth ? 0 : 1);
    }
    close(channel[1]);
    std::uint64_t growth = 0;
    const bool got = read(channel[0], &growth, sizeof growth) == sizeof growth;
    close(channel[0]);
    int status = 0;
    waitpid(child, &status, 0);
    if (!got || !WIFEXITED(status) || WEXITSTATUS(status) != 0) return std::nullopt;
    return growth;
}

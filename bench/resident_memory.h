// Resident memory of this process, for benchmarks that state what a load costs besides time.
#pragma once

#include <cstdint>
#include <cstdio>

// Current and peak resident size of this process in bytes, from /proc/self/status.
inline void ResidentBytes(std::uint64_t& Current, std::uint64_t& Peak)
{
    Current = Peak = 0;
    std::FILE* f = std::fopen("/proc/self/status", "r");
    if (!f) return;
    char line[256];
    while (std::fgets(line, sizeof line, f)) {
        unsigned long long kb = 0;
        if (std::sscanf(line, "VmRSS: %llu kB", &kb) == 1) Current = kb * 1024;
        if (std::sscanf(line, "VmHWM: %llu kB", &kb) == 1) Peak = kb * 1024;
    }
    std::fclose(f);
}

// Lets the peak resident size start again from the current one.
inline void ResetPeak()
{
    if (std::FILE* f = std::fopen("/proc/self/clear_refs", "w")) {
        std::fputs("5", f);
        std::fclose(f);
    }
}

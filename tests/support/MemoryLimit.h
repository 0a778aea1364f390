// Runs a check in a child process whose address space is capped a little above its current
// size, so that "not enough memory" paths can be tested on a machine with plenty of memory.
#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

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
        _exit(Check() ? 0 : 1);
    }
    int status = 0;
    if (waitpid(child, &status, 0) != child) return false;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

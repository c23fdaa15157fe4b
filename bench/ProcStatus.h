#pragma once

#include <fstream>
#include <string>
#include <sys/types.h>

// A figure of /proc/PID/status in KiB ("VmRSS", "VmHWM"), or -1 once the
// process is gone.
inline long ProcStatusKiB(const char* key, pid_t pid = 0)
{
    std::ifstream status(pid ? "/proc/" + std::to_string(pid) + "/status" : std::string("/proc/self/status"));
    const std::string prefix = std::string(key) + ":";
    std::string line;
    while (std::getline(status, line))
        if (line.rfind(prefix, 0) == 0)
            return std::stol(line.substr(prefix.size()));
    return -1;
}

inline double ProcStatusMiB(const char* key, pid_t pid = 0) { return ProcStatusKiB(key, pid) / 1024.0; }

#pragma once
// Runs a program as a measured child process (POSIX): wall time, CPU, peak memory, and what it
// handed to the file system (bytes and write calls from /proc/<pid>/io, read while the finished
// child is not yet reaped).
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fcntl.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace quillmere::bench {

namespace fs = std::filesystem;

inline std::string LoadAverage() {
    std::ifstream in("/proc/loadavg");
    std::string one, five, fifteen;
    in >> one >> five >> fifteen;
    return one + " " + five + " " + fifteen;
}

struct Measured {
    bool ok = false;
    double seconds = 0;
    double cpu = 0;
    double peakBytes = 0;
    long long writeChars = -1;    // bytes handed to write calls (/proc io wchar)
    long long writeCalls = -1;    // write system calls (syscw)
    long long storageBytes = -1;  // bytes the storage layer was asked to write (write_bytes)
    std::string output;
};

inline long long IoField(const std::string& io, const std::string& name) {
    std::istringstream in(io);
    std::string key;
    long long value = 0;
    while (in >> key >> value)
        if (key == name + ":")
            return value;
    return -1;
}

// Runs `argv` with its output in `outputFile`; measures time, CPU, peak memory and its writes.
inline Measured Run(const std::vector<std::string>& argv, const fs::path& outputFile) {
    Measured m;
    const auto start = std::chrono::steady_clock::now();
    const pid_t child = fork();
    if (child == 0) {
        const int out = ::open(outputFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(out, 1);
        std::vector<char*> args;
        for (const std::string& a : argv)
            args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        execv(args[0], args.data());
        _exit(127);
    }
    // The finished child stays a zombie until reaped: its I/O counters are still readable.
    siginfo_t info{};
    waitid(P_PID, static_cast<id_t>(child), &info, WEXITED | WNOWAIT);
    m.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    {
        std::ifstream in("/proc/" + std::to_string(child) + "/io");
        std::stringstream io;
        io << in.rdbuf();
        m.writeChars = IoField(io.str(), "wchar");
        m.writeCalls = IoField(io.str(), "syscw");
        m.storageBytes = IoField(io.str(), "write_bytes");
    }
    int status = 0;
    rusage usage{};
    wait4(child, &status, 0, &usage);
    m.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    m.cpu = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
            static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    m.peakBytes = static_cast<double>(usage.ru_maxrss) * 1024.0;
    std::ifstream in(outputFile);
    std::stringstream text;
    text << in.rdbuf();
    m.output = text.str();
    return m;
}

inline double PerRow(long long value, long rows) {
    return value < 0 ? -1 : static_cast<double>(value) / static_cast<double>(rows);
}

}  // namespace quillmere::bench

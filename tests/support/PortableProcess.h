#pragma once
// Running commands from tests on POSIX systems and on Windows alike: the pipe, its exit status
// and the process id. (Under Wine the commands run in Windows' cmd.exe, which finds none of the
// Linux checkers: the tests that need one skip it there.)
#include <cstdio>
#include <string>

#ifdef _WIN32
#include <process.h>
#else
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace quillmere::testing {

inline FILE* OpenCommandPipe(const std::string& command) {
#ifdef _WIN32
    return ::_popen(command.c_str(), "rb");
#else
    return ::popen(command.c_str(), "r");
#endif
}

// The command's status as the system reports it (see ExitCodeOf).
inline int CloseCommandPipe(FILE* pipe) {
#ifdef _WIN32
    return ::_pclose(pipe);
#else
    return ::pclose(pipe);
#endif
}

// The exit code in a status from CloseCommandPipe or std::system; -1 when the program did not
// end by itself (a signal).
inline int ExitCodeOf(int status) {
#ifdef _WIN32
    return status;
#else
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
#endif
}

inline long CurrentProcessId() {
#ifdef _WIN32
    return static_cast<long>(::_getpid());
#else
    return static_cast<long>(::getpid());
#endif
}

}  // namespace quillmere::testing

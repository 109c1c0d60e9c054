#pragma once
// Starting one of our programs from a test without a shell, the same way on Linux and on
// Windows: the program and its arguments as given (no quoting, no redirections), its exit
// status and both output streams kept apart. The streams go to temporary files rather than
// pipes, so a program that fills one stream while we wait on the other cannot stall the test.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#ifdef _WIN32
#include <windows.h>

#include "textcodec/WideText.h"
#else
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

extern char** environ;
#endif

namespace quillmere::testing {

struct ProgramResult {
    bool started = false;  // false: the program could not be started (see `output`)
    int exitCode = -1;     // -1 also when it ended by a signal
    std::string output;    // standard output
    std::string errors;    // standard error
};

// Settings added to (or replacing those of) the test's own environment, e.g. {"LC_ALL", "C"}.
using EnvironmentSettings = std::vector<std::pair<std::string, std::string>>;

// The program `name` of this build (QUILLMERE_BIN_DIR, ".exe" added on Windows); empty when
// it is not there.
inline std::filesystem::path BuiltProgram(const std::string& name) {
    const char* bin = std::getenv("QUILLMERE_BIN_DIR");
    if (bin == nullptr)
        return {};
#ifdef _WIN32
    const std::filesystem::path program = std::filesystem::path(bin) / (name + ".exe");
#else
    const std::filesystem::path program = std::filesystem::path(bin) / name;
#endif
    return std::filesystem::exists(program) ? program : std::filesystem::path();
}

#ifdef _WIN32
namespace detail {

// One argument as the C runtime's command-line parser reads it back: backslashes are literal
// except before a quote, where they and the quote are escaped.
inline void AppendQuoted(std::wstring& line, const std::wstring& argument) {
    line += L'"';
    std::size_t backslashes = 0;
    for (wchar_t c : argument) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        line.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
        backslashes = 0;
        line += c;
    }
    line.append(backslashes * 2, L'\\');
    line += L'"';
}

// An inheritable temporary file that goes away when its last handle closes.
inline HANDLE TemporaryFile() {
    wchar_t folder[MAX_PATH + 1];
    wchar_t path[MAX_PATH + 1];
    if (GetTempPathW(MAX_PATH + 1, folder) == 0 || GetTempFileNameW(folder, L"qrp", 0, path) == 0)
        return INVALID_HANDLE_VALUE;
    SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    return CreateFileW(
        path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
        &inherit, CREATE_ALWAYS, FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
}

inline std::string ReadBack(HANDLE file) {
    std::string text;
    SetFilePointer(file, 0, nullptr, FILE_BEGIN);
    char buffer[65536];
    DWORD n = 0;
    while (ReadFile(file, buffer, sizeof buffer, &n, nullptr) && n > 0)
        text.append(buffer, n);
    return text;
}

// The test's environment block with `settings` put in (names compare without case).
inline std::wstring EnvironmentBlock(const EnvironmentSettings& settings) {
    std::wstring block;
    wchar_t* current = GetEnvironmentStringsW();
    for (const wchar_t* entry = current; *entry != L'\0'; entry += wcslen(entry) + 1) {
        const std::wstring text(entry);
        bool replaced = false;
        for (const auto& [name, value] : settings) {
            const std::wstring prefix = textcodec::Utf8ToWide(name) + L"=";
            replaced = replaced || (text.size() >= prefix.size() &&
                                    _wcsnicmp(text.c_str(), prefix.c_str(), prefix.size()) == 0);
        }
        if (!replaced)
            block += text + L'\0';
    }
    FreeEnvironmentStringsW(current);
    for (const auto& [name, value] : settings)
        block += textcodec::Utf8ToWide(name + "=" + value) + L'\0';
    return block + L'\0';
}

}  // namespace detail

inline ProgramResult RunProgram(const std::filesystem::path& program,
                                const std::vector<std::string>& arguments,
                                const EnvironmentSettings& environment = {}) {
    ProgramResult result;
    std::wstring line;
    detail::AppendQuoted(line, program.wstring());
    for (const std::string& argument : arguments) {
        line += L' ';
        detail::AppendQuoted(line, textcodec::Utf8ToWide(argument));
    }
    HANDLE out = detail::TemporaryFile();
    HANDLE err = detail::TemporaryFile();
    SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    HANDLE in = CreateFileW(L"NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                            OPEN_EXISTING, 0, nullptr);
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = in;
    startup.hStdOutput = out;
    startup.hStdError = err;
    PROCESS_INFORMATION process{};
    std::wstring block = detail::EnvironmentBlock(environment);
    if (out != INVALID_HANDLE_VALUE && err != INVALID_HANDLE_VALUE &&
        CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, TRUE,
                       CREATE_UNICODE_ENVIRONMENT, block.data(), nullptr, &startup, &process)) {
        WaitForSingleObject(process.hProcess, INFINITE);
        DWORD code = 0;
        GetExitCodeProcess(process.hProcess, &code);
        CloseHandle(process.hProcess);
        CloseHandle(process.hThread);
        result.started = true;
        result.exitCode = static_cast<int>(code);
        result.output = detail::ReadBack(out);
        result.errors = detail::ReadBack(err);
    } else {
        result.output = program.string() + " could not be started (Windows error " +
                        std::to_string(GetLastError()) + ")";
    }
    for (HANDLE h : {in, out, err})
        if (h != INVALID_HANDLE_VALUE)
            CloseHandle(h);
    return result;
}

#else

namespace detail {

inline std::string ReadBack(std::FILE* file) {
    std::string text;
    std::rewind(file);
    char buffer[65536];
    std::size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0)
        text.append(buffer, n);
    return text;
}

}  // namespace detail

inline ProgramResult RunProgram(const std::filesystem::path& program,
                                const std::vector<std::string>& arguments,
                                const EnvironmentSettings& environment = {}) {
    ProgramResult result;
    std::vector<std::string> argumentText{program.string()};
    argumentText.insert(argumentText.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& a : argumentText)
        argv.push_back(a.data());
    argv.push_back(nullptr);

    // Built before the start, so the child runs with exactly these settings.
    std::vector<std::string> environmentText;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string text(*entry);
        bool replaced = false;
        for (const auto& [name, value] : environment)
            replaced = replaced || text.rfind(name + "=", 0) == 0;
        if (!replaced)
            environmentText.push_back(text);
    }
    for (const auto& [name, value] : environment)
        environmentText.push_back(name + "=" + value);
    std::vector<char*> envp;
    for (std::string& e : environmentText)
        envp.push_back(e.data());
    envp.push_back(nullptr);

    std::FILE* out = std::tmpfile();
    std::FILE* err = std::tmpfile();
    if (out == nullptr || err == nullptr) {
        result.output = "no temporary file for the output: " + std::string(std::strerror(errno));
        for (std::FILE* f : {out, err})
            if (f != nullptr)
                std::fclose(f);
        return result;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, fileno(out), 1);
    posix_spawn_file_actions_adddup2(&actions, fileno(err), 2);
    pid_t pid = 0;
    const int failed = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (failed != 0) {
        result.output = program.string() + " could not be started: " + std::strerror(failed);
    } else {
        int status = 0;
        while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
        result.started = true;
        result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        result.output = detail::ReadBack(out);
        result.errors = detail::ReadBack(err);
    }
    std::fclose(out);
    std::fclose(err);
    return result;
}

#endif

}  // namespace quillmere::testing

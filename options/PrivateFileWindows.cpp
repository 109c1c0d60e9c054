// The private file on Windows: the user's profile folder is already private to the user, so no
// access list is set; the data is flushed before MoveFileEx puts it in place of the old file.
#include <windows.h>

#include <stdexcept>
#include <system_error>

#include "options/PrivateFile.h"

namespace quillmere {
namespace {

std::string Describe(const std::filesystem::path& file, const char* what, DWORD error) {
    return std::string("Cannot save the settings file ") + file.string() + ": " + what + " (" +
           std::system_category().message(static_cast<int>(error)) + ")";
}

}  // namespace

void WritePrivateFile(const std::filesystem::path& file, const std::string& text) {
    std::error_code error;
    std::filesystem::create_directories(file.parent_path(), error);
    if (error) {
        throw std::runtime_error(
            Describe(file, "cannot create its folder", static_cast<DWORD>(error.value())));
    }
    const std::wstring temporary = file.native() + L".tmp";
    HANDLE handle = CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        throw std::runtime_error(Describe(file, "cannot create a temporary file", GetLastError()));
    }
    DWORD written = 0;
    const bool ok =
        WriteFile(handle, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
        written == text.size() && FlushFileBuffers(handle);
    const DWORD writeError = GetLastError();
    CloseHandle(handle);
    if (!ok) {
        DeleteFileW(temporary.c_str());
        throw std::runtime_error(Describe(file, "write failed", writeError));
    }
    if (!MoveFileExW(temporary.c_str(), file.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        const DWORD moveError = GetLastError();
        DeleteFileW(temporary.c_str());
        throw std::runtime_error(Describe(file, "cannot replace it", moveError));
    }
}

}  // namespace quillmere

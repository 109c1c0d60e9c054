// clang-format off
#include <windows.h>
#include <shellapi.h>
// clang-format on

#include "app/ProgramArguments.h"
#include "textcodec/WideText.h"

namespace quillmere {

std::vector<std::string> ProgramArguments(int argc, char** argv) {
    int count = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (wide == nullptr) {
        return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
    }
    std::vector<std::string> arguments;
    for (int i = 1; i < count; ++i) {
        arguments.push_back(textcodec::WideToUtf8(wide[i]));
    }
    LocalFree(wide);
    // What the programs print is UTF-8 too: the console shows it as such.
    SetConsoleOutputCP(CP_UTF8);
    return arguments;
}

}  // namespace quillmere

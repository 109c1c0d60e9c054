#pragma once
// Setting and clearing environment variables from tests, on POSIX systems and on Windows.
#include <cstdlib>
#include <string>

namespace quillmere::testing {

inline void SetEnvironment(const std::string& name, const std::string& value) {
#ifdef _WIN32
    ::_putenv_s(name.c_str(), value.c_str());
#else
    ::setenv(name.c_str(), value.c_str(), 1);
#endif
}

inline void UnsetEnvironment(const std::string& name) {
#ifdef _WIN32
    // An empty value removes the variable on Windows.
    ::_putenv_s(name.c_str(), "");
#else
    ::unsetenv(name.c_str());
#endif
}

}  // namespace quillmere::testing

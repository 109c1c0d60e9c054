#include "options/IniSettingsStore.h"

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <vector>

#include "options/PrivateFile.h"

namespace quillmere {
namespace {
constexpr std::string_view kSection = "[Quillmere]";

// The file as lines, kept in order so that a rewrite leaves everything but the changed key as
// it was (comments, other sections a person may have added).
std::vector<std::string> ReadLines(const std::filesystem::path& file) {
    std::vector<std::string> lines;
    std::ifstream in(file, std::ios::binary);
    std::string line;
    while (std::getline(in, line)) {
        lines.push_back(line);
    }
    return lines;
}

bool IsSectionHeader(const std::string& line) {
    return !line.empty() && line.front() == '[';
}

// Where the line "key=" sits inside [Quillmere], or npos.
size_t FindKey(const std::vector<std::string>& lines, const std::string& key, size_t* sectionEnd) {
    bool inSection = false;
    size_t found = std::string::npos;
    *sectionEnd = std::string::npos;
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        if (IsSectionHeader(line)) {
            if (inSection) {
                *sectionEnd = i;
                return found;
            }
            inSection = line == kSection;
            continue;
        }
        if (inSection && found == std::string::npos && line.size() > key.size() &&
            line.compare(0, key.size(), key) == 0 && line[key.size()] == '=') {
            found = i;
        }
    }
    if (inSection) {
        *sectionEnd = lines.size();
    }
    return found;
}

}  // namespace

std::string EscapeIniValue(const std::string& value) {
    std::string out;
    out.reserve(value.size());
    for (char c : value) {
        switch (c) {
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            default:
                out += c;
        }
    }
    return out;
}

std::string UnescapeIniValue(const std::string& stored) {
    std::string out;
    out.reserve(stored.size());
    for (size_t i = 0; i < stored.size(); ++i) {
        if (stored[i] != '\\' || i + 1 == stored.size()) {
            out += stored[i];
            continue;
        }
        const char next = stored[++i];
        out += next == 'n' ? '\n' : next == 'r' ? '\r' : next;
    }
    return out;
}

IniSettingsStore::IniSettingsStore() : file_(DefaultFile()) {}

IniSettingsStore::IniSettingsStore(std::filesystem::path file) : file_(std::move(file)) {}

std::filesystem::path IniSettingsStore::DefaultFile() {
    std::filesystem::path base;
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg != nullptr && *xdg != '\0') {
        base = xdg;
    } else {
        const char* home = std::getenv("HOME");
        base = std::filesystem::path(home != nullptr ? home : ".") / ".config";
    }
    return base / "Vantrell" / "Quillmere.ini";
}

std::string IniSettingsStore::GetSetting(const std::string& key, const std::string& defaultValue) {
    const auto lines = ReadLines(file_);
    size_t sectionEnd = 0;
    const size_t at = FindKey(lines, key, &sectionEnd);
    if (at == std::string::npos) {
        return defaultValue;
    }
    return UnescapeIniValue(lines[at].substr(key.size() + 1));
}

void IniSettingsStore::SaveSetting(const std::string& key, const std::string& value) {
    if (key.empty() || key.find_first_of("=[\r\n") != std::string::npos) {
        throw std::runtime_error("Cannot save the setting \"" + key + "\": invalid key name");
    }
    auto lines = ReadLines(file_);
    size_t sectionEnd = 0;
    const size_t at = FindKey(lines, key, &sectionEnd);
    const std::string entry = key + "=" + EscapeIniValue(value);
    if (at != std::string::npos) {
        lines[at] = entry;
    } else if (sectionEnd != std::string::npos) {
        lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(sectionEnd), entry);
    } else {
        lines.push_back(std::string(kSection));
        lines.push_back(entry);
    }
    std::string text;
    for (const auto& line : lines) {
        text += line;
        text += '\n';
    }

    WritePrivateFile(file_, text);
}

}  // namespace quillmere

#include "import/ImportLog.h"

#include <cstdlib>
#include <fstream>
#include <system_error>
#include <utility>

#include "app/ApplicationError.h"

namespace quillmere {
namespace {

std::string PathText(const std::filesystem::path& path) {
    const auto text = path.u8string();
    return std::string(text.begin(), text.end());
}

std::filesystem::path EnvironmentPath(const char* name) {
#ifdef _WIN32
    // The wide environment: getenv gives the ANSI code page, which loses characters of a user's
    // folder name that the page lacks.
    const std::wstring wideName(name, name + std::char_traits<char>::length(name));
    const wchar_t* wide = ::_wgetenv(wideName.c_str());
    if (wide == nullptr || *wide == L'\0') {
        return {};
    }
    return std::filesystem::path(wide);
#else
    const char* value = std::getenv(name);
    if (value == nullptr || *value == '\0') {
        return {};
    }
    return std::filesystem::path(
        std::u8string(value, value + std::char_traits<char>::length(value)));
#endif
}

// Writes the whole text or reports why not.
bool WriteFile(const std::filesystem::path& path, const std::string& text, std::string& problem) {
    std::error_code error;
    if (path.has_parent_path()) {
        std::filesystem::create_directories(path.parent_path(), error);
        if (error) {
            problem =
                "cannot create the folder " + PathText(path.parent_path()) + ": " + error.message();
            return false;
        }
    }
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (out) {
        out.write(text.data(), static_cast<std::streamsize>(text.size()));
        out.close();
    }
    if (!out) {
        problem = "cannot write the file " + PathText(path);
        return false;
    }
    return true;
}

std::vector<std::filesystem::path>& LocationsForTesting() {
    static std::vector<std::filesystem::path> places;
    return places;
}

}  // namespace

void SetImportLogLocationsForTesting(std::vector<std::filesystem::path> places) {
    LocationsForTesting() = std::move(places);
}

std::vector<std::filesystem::path> ImportLogLocations() {
    if (!LocationsForTesting().empty()) {
        return LocationsForTesting();
    }
    std::vector<std::filesystem::path> locations;
#ifdef _WIN32
    locations.emplace_back("c:\\import.log");
    auto local = EnvironmentPath("LOCALAPPDATA");
    if (local.empty() && !EnvironmentPath("USERPROFILE").empty()) {
        local = EnvironmentPath("USERPROFILE") / "AppData" / "Local";
    }
    if (!local.empty()) {
        locations.push_back(local / "Quillmere" / "import.log");
    }
#else
    // A relative XDG_STATE_HOME is invalid and is ignored, as the base directory rules say.
    auto state = EnvironmentPath("XDG_STATE_HOME");
    if (state.empty() || state.is_relative()) {
        const auto home = EnvironmentPath("HOME");
        state = home.empty() ? std::filesystem::path() : home / ".local" / "state";
    }
    if (!state.empty()) {
        locations.push_back(state / "Quillmere" / "import.log");
    }
#endif
    return locations;
}

std::string ImportLogText(const std::string& description, const std::string& lastRowStatement) {
    return description + "\r\n" + lastRowStatement + "\r\n";
}

ImportLogOutcome WriteImportLog(const std::string& description,
                                const std::string& lastRowStatement) {
    ImportLogOutcome outcome;
    const auto locations = ImportLogLocations();
    if (locations.empty()) {
        outcome.problem = "no folder for it is known (HOME is not set)";
        return outcome;
    }
    const std::string text = ImportLogText(description, lastRowStatement);
    for (const auto& location : locations) {
        outcome.path = PathText(location);
        if (WriteFile(location, text, outcome.problem)) {
            outcome.written = true;
            outcome.problem.clear();
            return outcome;
        }
    }
    return outcome;
}

std::string ImportFailureMessage(const std::string& description, const ImportLogOutcome& log) {
    std::string text = description + "\r\n";
    if (log.written) {
        text += "Please email the log file (" + log.path + ") to the ";
    } else {
        text += "No log file could be written (" + log.problem +
                "). Please email a screenshot of this message to the ";
    }
    text += kSupportEmail;
    return text;
}

}  // namespace quillmere

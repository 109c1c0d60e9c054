#pragma once
// The log a failed import leaves behind: the error's description and the row statement last
// built, for the user to send to support.
//
// Where it goes: on Windows "c:\import.log" when that can be written, else
// %LOCALAPPDATA%\Quillmere\import.log; elsewhere $XDG_STATE_HOME/Quillmere/import.log (by
// default ~/.local/state/Quillmere/import.log).
#include <filesystem>
#include <string>
#include <vector>

namespace quillmere {

// The places tried, in order.
std::vector<std::filesystem::path> ImportLogLocations();

// Puts the log at `places` instead of the system's (an empty list restores those). Tests use it
// on Windows, where the system's first place, c:\import.log, is one file for every test process.
void SetImportLogLocationsForTesting(std::vector<std::filesystem::path> places);

// description, CR LF, the last row statement, CR LF.
std::string ImportLogText(const std::string& description, const std::string& lastRowStatement);

struct ImportLogOutcome {
    bool written = false;
    std::string path;     // the file written, or the last place tried (UTF-8)
    std::string problem;  // why nothing could be written
};

// Creates the log anew (overwriting an old one) at the first place that can be written.
// Never throws: a log that cannot be written is reported in the outcome.
ImportLogOutcome WriteImportLog(const std::string& description,
                                const std::string& lastRowStatement);

// The text shown on the error path: the description, CR LF, and the request to send the log
// naming where it was written, or the news that none could be written.
std::string ImportFailureMessage(const std::string& description, const ImportLogOutcome& log);

}  // namespace quillmere

#pragma once
// What a run did, told in one line at its end: a run that stores nothing, or skips files, must
// not look the same as one that stored every row.
#include <chrono>
#include <string>

namespace quillmere {

struct ImportSummary {
    int fileCount = 0;      // files in the list when the run started
    int filesImported = 0;  // files whose table was made or checked and whose rows all went in
    long long rowsStored = 0;
    // Files passed over without an error, by reason.
    int skippedTableExists = 0;    // create mode: the table name is in the table list
    int skippedColumnCount = 0;    // append mode: the file's column count is not the table's
    int skippedNothingChosen = 0;  // no import mode or no column naming chosen
    // Lines of the imported files that held no row: empty, or fewer than two fields. The empty
    // "line" after a file's final line break is no line to the user and is not counted.
    long long linesSkipped = 0;
    // The run stopped on its error path while on file failedFile (1-based).
    bool failed = false;
    int failedFile = 0;
    std::chrono::steady_clock::duration elapsed{};

    int FilesSkipped() const {
        return skippedTableExists + skippedColumnCount + skippedNothingChosen;
    }
};

// For example "3 files imported, 1200 rows stored, 1 file skipped (table name exists),
// 2 lines skipped (empty or fewer than two fields), 0.42 s". A run that failed starts with
// "Stopped by an error in file 2 of 3: ".
std::string SummaryText(const ImportSummary& summary);

}  // namespace quillmere

#include "import/ImportSummary.h"

#include <cstdio>
#include <vector>

namespace quillmere {
namespace {

std::string Count(long long count, const char* singular, const char* plural) {
    return std::to_string(count) + " " + (count == 1 ? singular : plural);
}

std::string SkippedFiles(const ImportSummary& summary) {
    std::string text = Count(summary.FilesSkipped(), "file", "files") + " skipped";
    struct Reason {
        int count;
        const char* text;
    };
    const Reason reasons[] = {{summary.skippedTableExists, "table name exists"},
                              {summary.skippedColumnCount, "column count differs"},
                              {summary.skippedNothingChosen, "no mode or column naming chosen"}};
    std::vector<const Reason*> given;
    for (const auto& reason : reasons) {
        if (reason.count > 0) {
            given.push_back(&reason);
        }
    }
    if (given.empty()) {
        return text;
    }
    text += " (";
    for (size_t i = 0; i < given.size(); ++i) {
        if (i > 0) {
            text += ", ";
        }
        // One reason alone needs no count: it is the number of files skipped.
        if (given.size() > 1) {
            text += std::to_string(given[i]->count) + " ";
        }
        text += given[i]->text;
    }
    return text + ")";
}

std::string Seconds(std::chrono::steady_clock::duration elapsed) {
    char text[32];
    std::snprintf(text, sizeof text, "%.2f s", std::chrono::duration<double>(elapsed).count());
    return text;
}

}  // namespace

std::string SummaryText(const ImportSummary& summary) {
    std::string text;
    if (summary.failed) {
        text = "Stopped by an error in file " + std::to_string(summary.failedFile) + " of " +
               std::to_string(summary.fileCount) + ": ";
    }
    text += Count(summary.filesImported, "file", "files") + " imported, ";
    text += Count(summary.rowsStored, "row", "rows") + " stored, ";
    text += SkippedFiles(summary) + ", ";
    text += Count(summary.linesSkipped, "line", "lines") +
            " skipped (empty or fewer than two fields), ";
    text += Seconds(summary.elapsed);
    return text;
}

}  // namespace quillmere

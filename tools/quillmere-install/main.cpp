// The installer's last step: records the sample CSV files of the program folder's "Samples"
// folder in the settings store ("Snapshot"), scrambled, so "Load Sample/Example Files" finds
// them. The program itself only reads that setting. Installed for every user of a machine, the
// launcher runs it with --if-missing at each start, so each user gets the record on first start.
#include <algorithm>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "app/FileExistsByDate.h"
#include "app/ProgramArguments.h"
#include "app/ProgramFolder.h"
#include "filelist/FileSystemPath.h"
#include "filelist/SampleFiles.h"
#include "options/SettingKeys.h"
#include "options/UserSettingsStore.h"

namespace {
void Usage() {
    std::cerr << "usage: quillmere-install [--program-folder DIR] [--if-missing]\n"
                 "Records the sample files of DIR/Samples (default: the folder of this program) "
                 "for \"Load Sample/Example Files\".\n"
                 "--if-missing: only when no record names a sample file that still exists.\n";
}

// A record is kept while one of its files is there; one left by a build folder or program
// folder that has since gone names nothing and is written afresh.
bool RecordNamesExistingFile(const std::string& stored) {
    for (const auto& path : quillmere::SnapshotPaths(stored)) {
        if (!path.empty() && quillmere::FileExistsByDate(path)) {
            return true;
        }
    }
    return false;
}
}  // namespace

int main(int argc, char** argv) {
    std::filesystem::path folder = quillmere::ProgramFolder();
    bool onlyIfMissing = false;
    const std::vector<std::string> args = quillmere::ProgramArguments(argc, argv);
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--program-folder" && i + 1 < args.size()) {
            folder = std::filesystem::absolute(quillmere::ToFileSystemPath(args[++i]));
        } else if (arg == "--if-missing") {
            onlyIfMissing = true;
        } else {
            Usage();
            return 2;
        }
    }
    if (onlyIfMissing) {
        try {
            const auto store = quillmere::MakeUserSettingsStore();
            if (RecordNamesExistingFile(
                    store->GetSetting(std::string(quillmere::settings::kSnapshot), ""))) {
                return 0;
            }
        } catch (const std::exception& e) {
            std::cerr << "quillmere-install: " << e.what() << "\n";
            return 1;
        }
    }
    const auto samples = folder / "Samples";
    std::vector<std::string> paths;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(samples, error)) {
        if (entry.is_regular_file() && entry.path().extension() == ".csv") {
            paths.push_back(quillmere::FromFileSystemPath(entry.path()));
        }
    }
    if (error) {
        std::cerr << "quillmere-install: cannot read the samples folder "
                  << quillmere::FromFileSystemPath(samples) << ": " << error.message() << "\n";
        return 1;
    }
    std::sort(paths.begin(), paths.end());
    try {
        const std::string record = quillmere::SnapshotRecord(paths);
        const auto store = quillmere::MakeUserSettingsStore();
        store->SaveSetting(std::string(quillmere::settings::kSnapshot), record);
        std::cout << "Recorded " << paths.size() << " sample file(s) from "
                  << quillmere::FromFileSystemPath(samples) << " in "
                  << quillmere::UserSettingsPlace() << "\n";
    } catch (const std::exception& e) {
        std::cerr << "quillmere-install: " << e.what() << "\n";
        return 1;
    }
    return 0;
}

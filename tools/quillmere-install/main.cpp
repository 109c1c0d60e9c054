// The installer's last step: records the sample CSV files of the program folder's "Samples"
// folder in the settings store ("Snapshot"), scrambled, so "Load Sample/Example Files" finds
// them. The program itself only reads that setting.
#include <algorithm>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "app/ProgramFolder.h"
#include "filelist/SampleFiles.h"
#include "options/IniSettingsStore.h"
#include "options/SettingKeys.h"

namespace {
void Usage() {
    std::cerr << "usage: quillmere-install [--program-folder DIR]\n"
                 "Records the sample files of DIR/Samples (default: the folder of this program) "
                 "for \"Load Sample/Example Files\".\n";
}
}  // namespace

int main(int argc, char** argv) {
    std::filesystem::path folder = quillmere::ProgramFolder();
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--program-folder" && i + 1 < argc) {
            folder = std::filesystem::absolute(argv[++i]);
        } else {
            Usage();
            return 2;
        }
    }
    const auto samples = folder / "Samples";
    std::vector<std::string> paths;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(samples, error)) {
        if (entry.is_regular_file() && entry.path().extension() == ".csv") {
            paths.push_back(entry.path().string());
        }
    }
    if (error) {
        std::cerr << "quillmere-install: cannot read the samples folder " << samples.string()
                  << ": " << error.message() << "\n";
        return 1;
    }
    std::sort(paths.begin(), paths.end());
    std::string joined;
    for (const auto& path : paths) {
        if (!joined.empty()) {
            joined += '|';
        }
        joined += path;
    }
    try {
        quillmere::IniSettingsStore store;
        store.SaveSetting(std::string(quillmere::settings::kSnapshot),
                          quillmere::ScrambleSnapshot(joined));
        std::cout << "Recorded " << paths.size() << " sample file(s) from " << samples.string()
                  << " in " << store.File().string() << "\n";
    } catch (const std::exception& e) {
        std::cerr << "quillmere-install: " << e.what() << "\n";
        return 1;
    }
    return 0;
}

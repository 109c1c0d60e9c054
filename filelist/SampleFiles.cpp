#include "filelist/SampleFiles.h"

#include <stdexcept>

#include "app/FileExistsByDate.h"
#include "options/SettingKeys.h"

namespace quillmere {

std::string UnscrambleSnapshot(const std::string& stored, std::string_view key) {
    std::string plain;
    plain.reserve(stored.size());
    for (size_t i = 0; i < stored.size(); ++i) {
        const int c = static_cast<unsigned char>(stored[i]);
        const int k = static_cast<unsigned char>(key[i % key.size()]);
        int code = c - k;
        if (code <= 0) {
            code += 255;
        }
        plain += static_cast<char>(code);
    }
    return plain;
}

std::string ScrambleSnapshot(const std::string& plain, std::string_view key) {
    std::string stored;
    stored.reserve(plain.size());
    for (size_t i = 0; i < plain.size(); ++i) {
        const int p = static_cast<unsigned char>(plain[i]);
        const int k = static_cast<unsigned char>(key[i % key.size()]);
        int code = p + k;
        if (code > 255) {
            code -= 255;
        }
        stored += static_cast<char>(code);
    }
    return stored;
}

std::vector<std::string> SnapshotPaths(const std::string& stored) {
    // "|" has the same code in every ANSI code page, so the cut can come before the conversion.
    const std::string plain = UnscrambleSnapshot(ToAnsiCodes(stored));
    std::vector<std::string> paths;
    size_t start = 0;
    while (start <= plain.size()) {
        size_t bar = plain.find('|', start);
        if (bar == std::string::npos) {
            bar = plain.size();
        }
        paths.push_back(FromAnsiCodes(plain.substr(start, bar - start)));
        start = bar + 1;
    }
    return paths;
}

std::string SnapshotRecord(const std::vector<std::string>& paths) {
    std::string codes;
    for (const auto& path : paths) {
        bool lossy = false;
        const std::string pathCodes = ToAnsiCodes(path, &lossy);
        if (lossy) {
            throw std::runtime_error("The sample file " + path +
                                     " has a character in its name that the system's ANSI code "
                                     "page lacks, so it cannot be recorded");
        }
        if (!codes.empty()) {
            codes += '|';
        }
        codes += pathCodes;
    }
    return FromAnsiCodes(ScrambleSnapshot(codes));
}

int LoadSampleFiles(SettingsStore& store, FileList& list, Prompts& prompts,
                    const std::function<bool(const std::string&)>& openFolder,
                    const std::string& samplesFolder) {
    int added = 0;
    for (const auto& piece :
         SnapshotPaths(store.GetSetting(std::string(settings::kSnapshot), ""))) {
        if (FileExistsByDate(piece) && !list.IsInList(piece)) {
            list.Append(piece);
            ++added;
        }
    }
    if (prompts.ShowMessage(std::string(kSampleFolderQuestion), MessageButtons::YesNo,
                            MessageIcon::None) == MessageAnswer::Yes) {
        if (!openFolder(samplesFolder)) {
            prompts.ShowMessage(std::string(kSampleFolderNotOpened) + samplesFolder,
                                MessageButtons::Ok, MessageIcon::None);
        }
    }
    return added;
}

}  // namespace quillmere

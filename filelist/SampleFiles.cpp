#include "filelist/SampleFiles.h"

#include "app/FileExistsByDate.h"
#include "options/SettingKeys.h"
#include "textcodec/Utf8.h"
#include "textcodec/Windows1252.h"

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
    const std::string plain = UnscrambleSnapshot(stored);
    std::vector<std::string> paths;
    size_t start = 0;
    while (start <= plain.size()) {
        size_t bar = plain.find('|', start);
        if (bar == std::string::npos) {
            bar = plain.size();
        }
        paths.push_back(plain.substr(start, bar - start));
        start = bar + 1;
    }
    return paths;
}

std::string SnapshotToSetting(const std::string& scrambled) {
#ifdef _WIN32
    return textcodec::Windows1252ToUtf8(scrambled);
#else
    return scrambled;
#endif
}

std::string SnapshotFromSetting(const std::string& setting) {
#ifdef _WIN32
    std::string bytes;
    for (std::size_t i = 0; i < setting.size();) {
        char32_t codePoint = 0;
        const std::size_t length = textcodec::DecodeUtf8(setting, i, codePoint);
        if (length == 0)
            codePoint = 0xFFFD;
        i += length == 0 ? 1 : length;
        int byte = 1;
        while (byte < 256 &&
               textcodec::Windows1252CodePoint(static_cast<unsigned char>(byte)) != codePoint)
            ++byte;
        // A character no byte stands for (a value written by hand) unscrambles to nothing sound.
        bytes += static_cast<char>(byte < 256 ? byte : '?');
    }
    return bytes;
#else
    return setting;
#endif
}

int LoadSampleFiles(SettingsStore& store, FileList& list, Prompts& prompts,
                    const std::function<bool(const std::string&)>& openFolder,
                    const std::string& samplesFolder) {
    int added = 0;
    for (const auto& piece : SnapshotPaths(
             SnapshotFromSetting(store.GetSetting(std::string(settings::kSnapshot), "")))) {
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

#pragma once
// "Load Sample/Example Files": the sample paths come from the "Snapshot" setting, which the
// installer writes scrambled with an eight-letter key; the program only reads it.
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "app/Prompts.h"
#include "filelist/FileList.h"
#include "options/SettingsStore.h"

namespace quillmere {

inline constexpr std::string_view kSnapshotKey = "brindlew";

// Character i (from 1) of the stored text, code c, key letter k = key[(i - 1) mod 8]: the plain
// character is c - k, or c - k + 255 when that is 0 or less. Works on bytes (the ANSI codes).
std::string UnscrambleSnapshot(const std::string& stored, std::string_view key = kSnapshotKey);
// The inverse, for the installer: plain character p becomes p + k, or p + k - 255 above 255.
// A NUL byte has no scrambled form; paths never hold one.
std::string ScrambleSnapshot(const std::string& plain, std::string_view key = kSnapshotKey);
// The settings store holds text (UTF-8); the scrambling works on ANSI codes, one byte per
// character. On Windows the codes are those of the system's ANSI code page (Windows-1252 where
// that page takes more than one byte per character), so the registry holds one character per
// code; elsewhere the settings file keeps the bytes as they are and both are unchanged. A
// character the code page lacks becomes "?", and `lossy` (when given) says so.
std::string ToAnsiCodes(const std::string& text, bool* lossy = nullptr);
std::string FromAnsiCodes(const std::string& codes);
// The paths a stored record names: unscrambled and cut at every "|", in order, empty ones kept.
std::vector<std::string> SnapshotPaths(const std::string& stored);
// The record the installer stores for these paths (joined by "|"). Throws std::runtime_error
// naming a path that the ANSI code page cannot hold.
std::string SnapshotRecord(const std::vector<std::string>& paths);

inline constexpr std::string_view kSampleFolderQuestion =
    "Would you like this software to open the folder where these sample files are stored (so "
    "that you can view them before working with them)?";

// Told when the desktop could not open the samples folder, so the user learns where it is; the
// folder's path follows two line breaks.
inline constexpr std::string_view kSampleFolderNotOpened =
    "The folder could not be opened. The sample files are stored in:\r\r";

// Adds every existing sample path not yet listed, asks whether to open the samples folder
// (every time) and on Yes hands that folder to openFolder; when that answers false, a notice
// names the folder. Returns how many paths were added.
int LoadSampleFiles(SettingsStore& store, FileList& list, Prompts& prompts,
                    const std::function<bool(const std::string&)>& openFolder,
                    const std::string& samplesFolder);

}  // namespace quillmere

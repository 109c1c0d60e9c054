#include "filelist/AddFolder.h"

#include <algorithm>
#include <cctype>
#include <exception>
#include <filesystem>
#include <stdexcept>
#include <system_error>

#include "filelist/FileAttributes.h"
#include "filelist/FileList.h"
#include "filelist/FileSystemPath.h"
#include "filelist/PathCleanup.h"
#include "filelist/WildcardMatch.h"
#include "textcodec/Utf8.h"

namespace quillmere {
namespace {

namespace fs = std::filesystem;

void Yield(const FolderWalkHooks& hooks) {
    if (hooks.yield) {
        hooks.yield();
    }
}

void Report(const FolderWalkHooks& hooks, const std::string& description, int step) {
    if (hooks.reportError) {
        hooks.reportError(description, step);
    }
}

DirectoryReader& ReaderOf(const FolderWalkHooks& hooks) {
    return hooks.reader ? *hooks.reader : PlatformDirectoryReader();
}

bool EndsWithSeparator(const std::string& path) {
    return !path.empty() && path.back() == kPathSeparator;
}

#ifndef _WIN32
// The last name of a path, trailing separators ignored ("/a/.b/" gives ".b").
std::string LastName(const std::string& path) {
    size_t end = path.find_last_not_of(kPathSeparator);
    if (end == std::string::npos) {
        return {};
    }
    size_t start = path.find_last_of(kPathSeparator, end);
    start = start == std::string::npos ? 0 : start + 1;
    return path.substr(start, end - start + 1);
}
#endif

// Remembers the folders whose reading failed, so that a folder that already failed while the
// tree was walked is not reported a second time when its files are listed.
class FailureMemo : public DirectoryReader {
  public:
    explicit FailureMemo(DirectoryReader& inner) : inner_(inner) {}
    DirectoryListing Read(const std::string& folder) override {
        DirectoryListing listing = inner_.Read(folder);
        if (listing.failure == ReadFailure::Other && !FailedBefore(folder)) {
            failed_.push_back(folder);
        }
        return listing;
    }
    bool FailedBefore(const std::string& folder) const {
        return std::find(failed_.begin(), failed_.end(), folder) != failed_.end();
    }

  private:
    DirectoryReader& inner_;
    std::vector<std::string> failed_;
};

// Hidden folders are left out, the root always walked: on Windows by their attributes, elsewhere
// by a name that begins with ".".
bool IsWalkable(const std::string& folder) {
    if (IsRootFolder(folder)) {
        return true;
    }
#ifdef _WIN32
    const auto attributes = FileAttributesOf(folder);
    return !attributes ||
           (*attributes != kSkippedFolderAttributes && *attributes != kSkippedFolderLinkAttributes);
#else
    return !IsHiddenName(LastName(folder));
#endif
}

bool IsSkippedFile([[maybe_unused]] const std::string& path, const std::string& name) {
    if (name[0] == '~') {
        return true;
    }
#ifdef _WIN32
    return FileAttributesOf(path) == kSkippedFileAttributes;
#else
    return IsHiddenName(name);
#endif
}

// The matching file names of one listing, in its order.
std::vector<std::string> MatchingFiles(const DirectoryListing& listing,
                                       const std::string& pattern) {
    std::vector<std::string> names;
    for (const auto& entry : listing.entries) {
        if (entry.kind == EntryKind::File && MatchesWildcard(entry.name, pattern)) {
            names.push_back(entry.name);
        }
    }
    return names;
}

}  // namespace

bool IsExistingFile(const std::string& path) {
    std::error_code error;
    return !path.empty() && fs::is_regular_file(ToFileSystemPath(path), error);
}

bool IsFolder(const std::string& path) {
    std::error_code error;
    return !path.empty() && fs::is_directory(ToFileSystemPath(path), error);
}

bool HasUnusualCharacters(const std::string& name) {
    size_t i = 0;
    while (i < name.size()) {
        char32_t code = 0;
        const size_t length = textcodec::DecodeUtf8(name, i, code);
        if (length == 0) {
            return true;
        }
        i += length;
        if (code < 32 || (code >= 127 && code <= 159)) {
            return true;
        }
    }
    return false;
}

bool IsHiddenName(const std::string& name) {
    return !name.empty() && name[0] == '.' && name != "." && name != "..";
}

bool IsRootFolder(const std::string& path) {
#ifdef _WIN32
    return path.size() >= 3 && std::isalpha(static_cast<unsigned char>(path[0])) &&
           path[1] == ':' && path.find_first_not_of("\\/", 2) == std::string::npos;
#else
    return !path.empty() && path.find_first_not_of('/') == std::string::npos;
#endif
}

std::vector<std::string> ListFiles(std::string folder, const std::string& pattern,
                                   DirectoryReader& reader) {
    if (!EndsWithSeparator(folder)) {
        folder += kPathSeparator;
    }
    DirectoryListing listing = reader.Read(folder);
    if (listing.failure == ReadFailure::Other) {
        throw std::runtime_error(listing.failureText);
    }
    return MatchingFiles(listing, pattern);
}

void GetSubDirectories2016(std::vector<std::string>& folders, bool recurse,
                           const FolderWalkHooks& hooks) {
    DirectoryReader& reader = ReaderOf(hooks);
    std::vector<std::string> found;
    // A folder that cannot be read is removed from `folders` while they are walked; walking a
    // copy keeps that removal from skipping the folder after it.
    const std::vector<std::string> walked = folders;
    for (const auto& v : walked) {
        try {
            if (!IsFolder(v) || v.size() >= kPathLimit) {
                continue;
            }
            Yield(hooks);
            if (!IsWalkable(v)) {
                continue;
            }
            DirectoryListing listing = reader.Read(v);
            for (const auto& entry : listing.entries) {
                if (entry.kind != EntryKind::Folder) {
                    continue;  // files, and links to folders, which are never followed
                }
                Yield(hooks);
                if (entry.name.size() < kPathLimit && !HasUnusualCharacters(entry.name) &&
                    entry.name != "." && entry.name != "..") {
                    found.push_back(v + entry.name + kPathSeparator);
                }
            }
            if (listing.failure == ReadFailure::AccessDenied ||
                listing.failure == ReadFailure::Vanished) {
                // Its own files are not listed either; no message.
                auto it = std::find(folders.begin(), folders.end(), v);
                if (it != folders.end()) {
                    folders.erase(it);
                }
            } else if (listing.failure == ReadFailure::Other) {
                Report(hooks, listing.failureText, 2);
            }
        } catch (const std::exception& e) {
            Report(hooks, e.what(), 2);
        }
    }
    if (recurse && !found.empty()) {
        GetSubDirectories2016(found, true, hooks);
    }
    for (const auto& w : found) {
        try {
            if (IsFolder(w)) {
                Yield(hooks);
                if (IsWalkable(w)) {
                    folders.push_back(w);
                }
            }
        } catch (const std::exception& e) {
            Report(hooks, e.what(), 4);
        }
    }
}

void AddFolderFiles(const std::string& folder, const std::string& pattern, FileList& list,
                    const FolderWalkHooks& hooks) {
    FailureMemo reader(ReaderOf(hooks));
    FolderWalkHooks walk = hooks;
    walk.reader = &reader;
    std::vector<std::string> folders{folder + kPathSeparator};
    GetSubDirectories2016(folders, true, walk);
    for (const auto& entry : folders) {
        try {
            Yield(hooks);
            const std::string path = entry.substr(0, entry.size() - 1);
            const bool reported = reader.FailedBefore(path + kPathSeparator);
            DirectoryListing listing = reader.Read(path + kPathSeparator);
            for (const auto& name : MatchingFiles(listing, pattern)) {
                const std::string file = path + kPathSeparator + name;
                if (!IsSkippedFile(file, name) && IsExistingFile(file)) {
                    list.Append(CollapseBackslashes(file));
                }
            }
            // The files read before such a failure are added; a folder that vanished or may
            // no longer be read simply adds nothing. A failure the walk reported is not repeated.
            if (listing.failure == ReadFailure::Other && !reported) {
                Report(hooks, listing.failureText, 3);
            }
        } catch (const std::exception& e) {
            Report(hooks, e.what(), 3);
        }
    }
}

}  // namespace quillmere

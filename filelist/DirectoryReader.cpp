#include "filelist/DirectoryReader.h"

#include <filesystem>
#include <system_error>

#include "filelist/FileSystemPath.h"

namespace quillmere {
namespace {

namespace fs = std::filesystem;

ReadFailure Classify(const std::error_code& error) {
    if (error == std::errc::permission_denied || error == std::errc::operation_not_permitted) {
        return ReadFailure::AccessDenied;
    }
    if (error == std::errc::no_such_file_or_directory || error == std::errc::not_a_directory) {
        return ReadFailure::Vanished;
    }
    return ReadFailure::Other;
}

void Fail(DirectoryListing& listing, const std::string& folder, const std::error_code& error) {
    listing.failure = Classify(error);
    if (listing.failure == ReadFailure::Other) {
        listing.failureText = "Cannot read the folder \"" + folder + "\": " + error.message();
    }
}

EntryKind KindOf(const fs::directory_entry& entry) {
    std::error_code error;
    // The link status comes from the enumeration itself on most file systems (no extra call).
    fs::file_status own = entry.symlink_status(error);
    if (error) {
        return EntryKind::Other;
    }
    if (fs::is_directory(own)) {
        return EntryKind::Folder;
    }
    if (fs::is_regular_file(own)) {
        return EntryKind::File;
    }
    if (fs::is_symlink(own)) {
        fs::file_status target = entry.status(error);
        if (error) {
            return EntryKind::Other;
        }
        if (fs::is_directory(target)) {
            return EntryKind::FolderLink;
        }
        if (fs::is_regular_file(target)) {
            return EntryKind::File;
        }
    }
    return EntryKind::Other;
}

class FileSystemDirectoryReader : public DirectoryReader {
  public:
    DirectoryListing Read(const std::string& folder) override {
        DirectoryListing listing;
        std::error_code error;
        fs::directory_iterator it(ToFileSystemPath(folder), error);
        if (error) {
            Fail(listing, folder, error);
            return listing;
        }
        for (const fs::directory_iterator end; it != end;) {
            listing.entries.push_back({FromFileSystemPath(it->path().filename()), KindOf(*it)});
            it.increment(error);
            if (error) {
                Fail(listing, folder, error);
                break;
            }
        }
        return listing;
    }
};

}  // namespace

DirectoryReader& PlatformDirectoryReader() {
    static FileSystemDirectoryReader reader;
    return reader;
}

}  // namespace quillmere

#include "filelist/DirectoryReader.h"

#include <filesystem>
#include <system_error>

#include "filelist/FileSystemPath.h"
#include "filelist/NtfsNameOrder.h"

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

EntryKind KindOfStatus(const fs::file_status& status, EntryKind folderKind) {
    if (fs::is_directory(status)) {
        return folderKind;
    }
    return fs::is_regular_file(status) ? EntryKind::File : EntryKind::Other;
}

EntryKind KindOf(const fs::directory_entry& entry) {
    std::error_code error;
    // The link status comes from the enumeration itself on most file systems (no extra call).
    const fs::file_status own = entry.symlink_status(error);
    if (error) {
        return EntryKind::Other;
    }
    if (!fs::is_symlink(own)) {
        return KindOfStatus(own, EntryKind::Folder);
    }
    const fs::file_status target = entry.status(error);
    return error ? EntryKind::Other : KindOfStatus(target, EntryKind::FolderLink);
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
#ifndef _WIN32
        // A Linux file system enumerates in an order of its own (hash or creation order); the
        // order Windows gives the same folder on NTFS makes the same list on both systems.
        SortInNtfsOrder(listing.entries);
#endif
        return listing;
    }
};

}  // namespace

DirectoryReader& PlatformDirectoryReader() {
    static FileSystemDirectoryReader reader;
    return reader;
}

}  // namespace quillmere

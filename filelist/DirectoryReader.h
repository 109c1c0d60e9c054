#pragma once
// Reading one folder's entries, behind an interface so that the folder walk can be tested with
// failures a test cannot provoke on a real disk (for example an unreadable folder when the tests
// run with full rights).
#include <string>
#include <vector>

namespace quillmere {

enum class EntryKind {
    File,        // a regular file, or a link to one
    Folder,      // a real folder (not a link)
    FolderLink,  // a symbolic link to a folder: never walked, so no walk can loop
    Other        // devices, sockets, pipes, broken links
};

struct DirectoryEntry {
    std::string name;  // the name only, as the file system returns it
    EntryKind kind = EntryKind::Other;
};

enum class ReadFailure {
    None,
    AccessDenied,  // the folder may not be read
    Vanished,      // the folder is gone (or is no longer a folder)
    Other          // anything else: an I/O error, too many open files, ...
};

struct DirectoryListing {
    // In the order the platform enumerates them: on Windows as the file system lists them, on
    // Linux in the order Windows lists the same names on NTFS (NtfsNameOrder.h). Entries read
    // before a failure stay.
    std::vector<DirectoryEntry> entries;
    ReadFailure failure = ReadFailure::None;
    std::string failureText;  // for ReadFailure::Other: what went wrong, naming the folder
};

class DirectoryReader {
  public:
    virtual ~DirectoryReader() = default;
    // The entries of `folder` without "." and "..". Never throws for a file-system failure.
    virtual DirectoryListing Read(const std::string& folder) = 0;
};

// The real file system.
DirectoryReader& PlatformDirectoryReader();

}  // namespace quillmere

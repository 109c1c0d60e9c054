#pragma once
// The folder walk shared by "Add All File(s) In Folder" and by dropped folders: the folder tree
// level by level, then each folder's matching files, appended to the file list.
//
// On Linux, where files have no hidden or system attributes, a name that begins with "." counts
// as hidden: hidden files are not added and hidden folders are not walked. Symbolic links to
// folders are not followed, so no walk can loop. The walk sorts nothing itself: within one folder
// the order is the reader's, which on Linux is the order Windows lists the folder in on NTFS.
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "filelist/DirectoryReader.h"

#ifndef _WIN32
#include <climits>
#endif

namespace quillmere {

class FileList;

#ifdef _WIN32
inline constexpr char kPathSeparator = '\\';
inline constexpr std::size_t kPathLimit = 260;
#else
inline constexpr char kPathSeparator = '/';
inline constexpr std::size_t kPathLimit = PATH_MAX;
#endif

// What the walk talks to besides the file system.
struct FolderWalkHooks {
    // Lets the event loop run; called once per folder and once per subfolder.
    std::function<void()> yield;
    // An unexpected failure (anything but a folder that may not be read or has vanished, which
    // are dropped silently): the description names the folder; `step` is the failing step of
    // the walk. The page shows its Application Error box with kFolderWalkLocation. The walk goes
    // on either way.
    std::function<void(const std::string& description, int step)> reportError;
    // Where folder entries come from; null means the real file system.
    DirectoryReader* reader = nullptr;
};

// True when `path` names an existing regular file (links followed). Folders, devices, pipes and
// missing paths give false: a pipe in the list would hang the import that reads it. Never throws.
bool IsExistingFile(const std::string& path);

// True when `path` names an existing folder (links followed). Never throws.
bool IsFolder(const std::string& path);

// True when the name is not valid UTF-8 or holds a control character (below 32, or 127 to 159).
// Characters of any script are fine.
bool HasUnusualCharacters(const std::string& name);

// A name that begins with "." ("." and ".." themselves excepted).
bool IsHiddenName(const std::string& name);

// The root folder ("/"; on Windows a drive's root such as "C:\"), which is always walked.
bool IsRootFolder(const std::string& path);

// The names (not paths) of the files in `folder` that match `pattern`, in enumeration order;
// folders whose names match are left out. A folder that may not be read or has vanished gives
// no names; any other failure throws std::runtime_error naming the folder.
std::vector<std::string> ListFiles(std::string folder, const std::string& pattern,
                                   DirectoryReader& reader);

// Appends to `folders` (each entry ending in a separator) the folders below its entries, level by
// level. Folders that may not be read, or have vanished, are removed from `folders` without a
// message. With `recurse` false only the immediate subfolders are appended.
void GetSubDirectories2016(std::vector<std::string>& folders, bool recurse,
                           const FolderWalkHooks& hooks);

// Appends to `list` every file of `folder` and of all folders below it whose name matches
// `pattern`, folder by folder in breadth-first order. Names beginning with "~" and hidden files
// are skipped; every path goes through CollapseBackslashes; no duplicate test is made.
void AddFolderFiles(const std::string& folder, const std::string& pattern, FileList& list,
                    const FolderWalkHooks& hooks);

}  // namespace quillmere

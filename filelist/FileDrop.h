#pragma once
// Files and folders dropped onto the file list from a file manager.
#include <string>
#include <vector>

#include "filelist/AddFolder.h"

namespace quillmere {

class FileList;

// Appends the dropped paths in the order of the drop data: a folder adds every file of its tree
// (any extension, the folder walk's filters); anything else, also a path that no longer exists,
// is appended unchanged. No duplicate test. The page is not set busy.
void AppendDroppedPaths(const std::vector<std::string>& paths, FileList& list,
                        const FolderWalkHooks& hooks);

}  // namespace quillmere

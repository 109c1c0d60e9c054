#include "filelist/FileDrop.h"

#include "filelist/FileList.h"

namespace quillmere {

void AppendDroppedPaths(const std::vector<std::string>& paths, FileList& list,
                        const FolderWalkHooks& hooks) {
    for (const auto& path : paths) {
        if (IsFolder(path)) {
            AddFolderFiles(path, "*.*", list, hooks);
        } else {
            list.Append(path);
        }
    }
}

}  // namespace quillmere

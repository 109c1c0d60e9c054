#pragma once
// A folder tree in a fresh temporary folder for the folder walk's tests, removed afterwards.
#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "filelist/FileSystemPath.h"

namespace quillmere::testing {

class TempTree {
  public:
    TempTree() {
#ifdef _WIN32
        const auto root = std::filesystem::temp_directory_path() /
                          ("quillmere-walk-" + std::to_string(std::random_device{}()));
        std::filesystem::create_directories(root);
        root_ = root.string();
#else
        std::string pattern =
            (std::filesystem::temp_directory_path() / "quillmere-walk-XXXXXX").string();
        root_ = mkdtemp(pattern.data());
#endif
    }
    ~TempTree() {
        // Give unreadable folders their rights back so that they can be removed.
        std::error_code error;
        for (auto it = std::filesystem::recursive_directory_iterator(
                 root_, std::filesystem::directory_options::skip_permission_denied, error);
             it != std::filesystem::recursive_directory_iterator(); it.increment(error)) {
#ifndef _WIN32
            if (it->is_directory(error) && !it->is_symlink(error)) {
                chmod(it->path().c_str(), 0700);
            }
#endif
        }
        std::filesystem::remove_all(root_, error);
    }
    TempTree(const TempTree&) = delete;
    TempTree& operator=(const TempTree&) = delete;

    const std::string& Root() const {
        return root_;
    }
    // `relative` with "/" between its names; on Windows they become backslashes, as the walk
    // writes them.
    std::string Path(const std::string& relative) const {
#ifdef _WIN32
        std::string path = root_ + "\\" + relative;
        for (char& c : path) {
            if (c == '/') {
                c = '\\';
            }
        }
        return path;
#else
        return root_ + "/" + relative;
#endif
    }

    // The names are UTF-8, as the walk writes them (not the Windows code page).
    std::string Folder(const std::string& relative) const {
        std::filesystem::create_directories(ToFileSystemPath(Path(relative)));
        return Path(relative);
    }
    std::string File(const std::string& relative) const {
        const std::filesystem::path path = ToFileSystemPath(Path(relative));
        std::filesystem::create_directories(path.parent_path());
        std::ofstream(path) << "a,b\n1,2\n";
        return Path(relative);
    }

  private:
    std::string root_;
};

}  // namespace quillmere::testing

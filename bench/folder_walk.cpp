// Times the folder walk of "Add All File(s) In Folder" and of dropped folders on a generated
// tree: bench_folder_walk [folders per level] [levels] [files per folder]. Prints the tree size,
// the files added, the time and the yields, for a first and a second walk of the same tree.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "filelist/AddFolder.h"
#include "filelist/FileList.h"

namespace {

namespace fs = std::filesystem;

int MakeTree(const fs::path& folder, int width, int levels, int files) {
    fs::create_directories(folder);
    for (int i = 0; i < files; ++i) {
        std::ofstream(folder / ("file" + std::to_string(i) + (i % 2 ? ".csv" : ".txt"))) << "a\n";
    }
    int folders = 1;
    if (levels > 1) {
        for (int i = 0; i < width; ++i) {
            folders += MakeTree(folder / ("sub" + std::to_string(i)), width, levels - 1, files);
        }
    }
    return folders;
}

}  // namespace

int main(int argc, char** argv) {
    const int width = argc > 1 ? std::atoi(argv[1]) : 6;
    const int levels = argc > 2 ? std::atoi(argv[2]) : 5;
    const int files = argc > 3 ? std::atoi(argv[3]) : 10;
    const fs::path root = fs::temp_directory_path() / "quillmere-bench-walk";
    fs::remove_all(root);
    const int folders = MakeTree(root, width, levels, files);
    std::printf("tree: %d folders, %d files\n", folders, folders * files);

    for (const char* run : {"first", "second"}) {
        long yields = 0;
        quillmere::FolderWalkHooks hooks;
        hooks.yield = [&yields] { ++yields; };
        quillmere::FileList list;
        const auto start = std::chrono::steady_clock::now();
        quillmere::AddFolderFiles(root.string(), "*.csv", list, hooks);
        const std::chrono::duration<double, std::milli> took =
            std::chrono::steady_clock::now() - start;
        std::printf("%s: %d files added in %.1f ms, %ld yields\n", run, list.Count(), took.count(),
                    yields);
    }
    fs::remove_all(root);
    return 0;
}

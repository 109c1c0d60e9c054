#pragma once
// The texts of a file list in order, for comparing with what a test expects.
#include <string>
#include <vector>

#include "filelist/FileList.h"

namespace quillmere::testing {

inline std::vector<std::string> Entries(const FileList& list) {
    std::vector<std::string> entries;
    for (int i = 1; i <= list.Count(); ++i) {
        entries.push_back(list.Entry(i));
    }
    return entries;
}

}  // namespace quillmere::testing

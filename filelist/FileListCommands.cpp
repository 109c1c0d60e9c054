#include "filelist/FileListCommands.h"

#include "filelist/PathCleanup.h"

namespace quillmere {
namespace {
#ifdef _WIN32
constexpr char kSeparator = '\\';
#else
constexpr char kSeparator = '/';
#endif
}  // namespace

bool RemoveSelected(FileList& list, bool busy) {
    if (busy || list.Count() == 0 || list.Selected() == 0) {
        return false;
    }
    list.Remove(list.Selected());
    return true;
}

bool ClearList(FileList& list, bool busy) {
    if (busy) {
        return false;
    }
    list.Clear();
    return true;
}

MoveOutcome MoveSelectedUp(FileList& list, bool busy) {
    if (busy || list.Count() == 0) {
        return MoveOutcome::Nothing;
    }
    const int p = list.Selected();
    if (p == 0) {
        return MoveOutcome::Nothing;
    }
    if (p == 1) {
        return MoveOutcome::FocusList;
    }
    const std::string text = list.Entry(p);
    list.Insert(p - 1, text);
    list.Remove(p + 1);
    list.Select(p - 1);
    return MoveOutcome::MovedAndFocus;
}

MoveOutcome MoveSelectedDown(FileList& list, bool busy) {
    if (busy || list.Count() == 0) {
        return MoveOutcome::Nothing;
    }
    const int p = list.Selected();
    if (p == 0) {
        return MoveOutcome::Nothing;
    }
    if (p == list.Count()) {
        return MoveOutcome::FocusList;
    }
    const std::string text = list.Entry(p);
    list.Insert(p + 2, text);
    list.Remove(p);
    list.Select(p + 1);
    return MoveOutcome::MovedAndFocus;
}

void AddDialogSelection(FileList& list, const std::vector<std::string>& returned) {
    if (returned.empty() || returned.front().empty()) {
        return;
    }
    if (returned.size() == 1) {
        list.Append(returned.front());
        return;
    }
    const std::string& folder = returned.front();
    for (size_t i = 1; i < returned.size(); ++i) {
        list.Append(CollapseBackslashes(folder + kSeparator + returned[i]));
    }
}

void AddFullPaths(FileList& list, const std::vector<std::string>& paths) {
    for (const auto& path : paths) {
        if (!path.empty()) {
            list.Append(path);
        }
    }
}

}  // namespace quillmere

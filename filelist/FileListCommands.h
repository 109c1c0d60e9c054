#pragma once
// The commands that change the file list directly. Remove, clear and move do nothing while the
// page is busy (an import run or folder scan shows the hourglass), so a running loop never sees
// the list change under it.
#include <string>
#include <vector>

#include "filelist/FileList.h"

namespace quillmere {

// What the view has to do after a move: nothing, give the list the focus, or also show the
// (new) selected entry.
enum class MoveOutcome { Nothing, FocusList, MovedAndFocus };

// Double-click or the Delete key: removes the selected entry. False when nothing changed.
bool RemoveSelected(FileList& list, bool busy);
bool ClearList(FileList& list, bool busy);
MoveOutcome MoveSelectedUp(FileList& list, bool busy);
MoveOutcome MoveSelectedDown(FileList& list, bool busy);

// The key code of the Delete key; all other keys leave the list alone.
inline constexpr int kDeleteKeyCode = 46;

// "Add CSV File(s)": what an open-file dialog returned. One text is the full path of the single
// chosen file and is appended unchanged; several texts are a folder followed by file names,
// joined with the separator and cleaned up. An empty result (cancelled) adds nothing.
void AddDialogSelection(FileList& list, const std::vector<std::string>& returned);

// A dialog that returns every chosen file as a full path (the Qt dialog): appended unchanged in
// the order returned.
void AddFullPaths(FileList& list, const std::vector<std::string>& paths);

}  // namespace quillmere

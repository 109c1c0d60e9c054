#pragma once
// "Add All File(s) In Folder": asks for an extension and a folder, remembers both, and adds every
// matching file of the folder tree to the file list while the page shows the hourglass.
#include <string>

#include "filelist/AddFolder.h"

namespace quillmere {

class FileList;
class PagePointer;
class Prompts;
class SettingsStore;

inline constexpr char kExtensionPrompt[] =
    "Enter file extension to load:\r\r"
    "(* for all files, txt for all txt files, doc for all doc files, etc.)";
inline constexpr char kFolderPrompt[] = "Please select folder:";

// The folder dialog. The page shows a directory-only dialog.
class FolderChooser {
  public:
    virtual ~FolderChooser() = default;
    // The chosen folder's full path, or the empty text when the user cancels. `start` is the
    // folder to open at; empty or missing means the dialog's own choice.
    virtual std::string ChooseFolder(const std::string& prompt, const std::string& start) = 0;
};

struct FolderScanEnvironment {
    Prompts* prompts = nullptr;
    SettingsStore* settings = nullptr;
    FolderChooser* chooser = nullptr;
    PagePointer* pointer = nullptr;
    FileList* files = nullptr;
    FolderWalkHooks walk;
};

// Form2.PushButton4_Click. An unexpected error shows the Application Error box with
// "in Korvath2021/08/31.Form2.PushButton4_Click " and the command goes on with its next step, so
// the pointer is always set back.
void AddAllFilesInFolder(FolderScanEnvironment& env);

}  // namespace quillmere

#pragma once
// The folder walk as the window runs it: yields let the event loop run now and then, and an
// unexpected failure shows the Application Error box of the walk and the walk goes on.
#include "filelist/AddFolder.h"

namespace quillmere {

class Prompts;

FolderWalkHooks MakeWindowFolderWalkHooks(Prompts& prompts);

}  // namespace quillmere

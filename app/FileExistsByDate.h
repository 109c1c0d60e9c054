#pragma once
#include <string>

namespace quillmere {

// A path counts as present when the date and time of its last change can be read. Never
// throws: every failure (no such file, bad path, no access) is false. An existing folder counts
// as present too, since its date can be read.
bool FileExistsByDate(const std::string& path);

}  // namespace quillmere

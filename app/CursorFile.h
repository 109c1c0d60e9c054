#pragma once
// Facts read from a Windows cursor (.cur) file header, so the page can use the cursor's own
// hot spot.
#include <cstdint>
#include <string>
#include <vector>

namespace quillmere {

struct CursorHeader {
    int width = 0;
    int height = 0;
    int hotSpotX = 0;
    int hotSpotY = 0;
};

// The first image entry of a cursor file. Throws std::runtime_error naming the file when the
// bytes are no cursor file (an icon file, a truncated header, no images).
CursorHeader ReadCursorHeader(const std::vector<std::uint8_t>& bytes, const std::string& name);
CursorHeader ReadCursorFile(const std::string& path);

}  // namespace quillmere

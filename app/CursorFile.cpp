#include "app/CursorFile.h"

#include <fstream>
#include <iterator>
#include <stdexcept>

namespace quillmere {
namespace {
constexpr size_t kDirectorySize = 6;
constexpr size_t kEntrySize = 16;
constexpr int kCursorType = 2;

int Word(const std::vector<std::uint8_t>& bytes, size_t at) {
    return bytes[at] | (bytes[at + 1] << 8);
}
}  // namespace

CursorHeader ReadCursorHeader(const std::vector<std::uint8_t>& bytes, const std::string& name) {
    if (bytes.size() < kDirectorySize + kEntrySize) {
        throw std::runtime_error("Invalid picture: " + name + " is too short for a cursor file");
    }
    if (Word(bytes, 0) != 0 || Word(bytes, 2) != kCursorType) {
        throw std::runtime_error("Invalid picture: " + name + " is no cursor file");
    }
    if (Word(bytes, 4) < 1) {
        throw std::runtime_error("Invalid picture: " + name + " holds no cursor image");
    }
    CursorHeader header;
    // A size byte of 0 stands for 256 pixels.
    header.width = bytes[6] == 0 ? 256 : bytes[6];
    header.height = bytes[7] == 0 ? 256 : bytes[7];
    header.hotSpotX = Word(bytes, 10);
    header.hotSpotY = Word(bytes, 12);
    return header;
}

CursorHeader ReadCursorFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        throw std::runtime_error("File not found: " + path);
    }
    std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                                    std::istreambuf_iterator<char>());
    return ReadCursorHeader(bytes, path);
}

}  // namespace quillmere

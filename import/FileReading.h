#pragma once
// Reading an input file whole, as the import run does for every file of the list.
#include <filesystem>
#include <string>

namespace quillmere {

// The path of a text that holds a path in UTF-8 (file list entries, command-line arguments).
std::filesystem::path PathFromUtf8(const std::string& path);

// The raw bytes of the file. Throws ImportError naming the file when it cannot be read.
std::string ReadFileBytes(const std::string& path);

// The whole file as the program's text (UTF-8): decoded as DecodeText says, or in the named
// encoding when one is given (DecodeNamedEncoding). A zero-length file gives the empty text.
std::string ReadWholeFile(const std::string& path, const std::string& encoding = {});

}  // namespace quillmere

#pragma once
// Failures of reading and splitting a file. The import run shows the description and writes it
// to its log, so every description names the file (and the line where there is one).
#include <stdexcept>
#include <string>

namespace quillmere {

class ImportError : public std::runtime_error {
  public:
    explicit ImportError(const std::string& description) : std::runtime_error(description) {}
};

}  // namespace quillmere

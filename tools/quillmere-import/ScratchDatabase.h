#pragma once
// The new database a dry run imports into when the one named does not exist yet: made in a
// private temporary folder (the engine writes new databases to files), worked on in discarding
// mode like any other, and removed with its folder at the end. Nothing is written at the path
// the user named.
#include <filesystem>
#include <string>

namespace quillmere::tool {

class ScratchDatabase {
  public:
    // Makes an empty database of the format the user's path asks for (its extension), with the
    // password given. Throws std::exception naming the problem.
    ScratchDatabase(const std::string& userPath, const std::string& password);
    ~ScratchDatabase();
    ScratchDatabase(const ScratchDatabase&) = delete;
    ScratchDatabase& operator=(const ScratchDatabase&) = delete;

    // The database's path (UTF-8).
    const std::string& Path() const { return path_; }

  private:
    std::filesystem::path folder_;
    std::string path_;
};

}  // namespace quillmere::tool

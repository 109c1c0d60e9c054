#include "ScratchDatabase.h"

#include <random>
#include <stdexcept>
#include <system_error>

#include "accessdb/create/NewDatabase.h"
#include "import/FileReading.h"

#ifndef _WIN32
#include <cerrno>
#include <cstdlib>
#endif

namespace quillmere::tool {
namespace {

// A folder only this user can enter, so nobody else sees or swaps the database in it.
std::filesystem::path MakePrivateFolder() {
    const auto base = std::filesystem::temp_directory_path();
#ifdef _WIN32
    std::random_device random;
    for (int attempt = 0; attempt < 100; ++attempt) {
        auto folder = base / ("quillmere-dry-run-" + std::to_string(random()));
        std::error_code error;
        if (std::filesystem::create_directory(folder, error)) {
            return folder;
        }
    }
    throw std::runtime_error("no temporary folder could be made in " + base.string());
#else
    std::string pattern = (base / "quillmere-dry-run-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {  // mode 0700
        throw std::system_error(errno, std::generic_category(),
                                "no temporary folder could be made in " + base.string());
    }
    return pattern;
#endif
}

}  // namespace

ScratchDatabase::ScratchDatabase(const std::string& userPath, const std::string& password)
    : folder_(MakePrivateFolder()) {
    const auto file = folder_ / PathFromUtf8(userPath).filename();
    const auto text = file.u8string();
    path_.assign(text.begin(), text.end());
    try {
        accessdb::CreateDatabase(path_, {accessdb::NewDatabaseFormat::Default, password});
    } catch (...) {
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
        throw;
    }
}

ScratchDatabase::~ScratchDatabase() {
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
}

}  // namespace quillmere::tool

#include "accessdb/create/NewDatabase.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <system_error>

#include "accessdb/Catalog.h"
#include "accessdb/Error.h"
#include "accessdb/PageFile.h"
#include "accessdb/Text.h"
#include "accessdb/create/CatalogRows.h"
#include "accessdb/create/HeaderPage.h"
#include "accessdb/create/Skeleton.h"
#include "accessdb/crypto/OfficeEncryption.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <stdio.h>
#include <unistd.h>
#endif

namespace accessdb {

namespace {

// Office encryption derives its keys from at most this many characters of the password.
constexpr std::size_t kMaxEncryptionPasswordLength = 255;

// UTF-8 text to a path (u8path is deprecated in C++20).
std::filesystem::path FsPath(const std::string& utf8) {
    return std::u8string(utf8.begin(), utf8.end());
}

struct FormatChoice {
    JetVersion version;
    const char* accessVersion;  // the AccessVersion property
    const char* label;
};

FormatChoice ChoiceFor(NewDatabaseFormat format, bool accdb) {
    if (format == NewDatabaseFormat::Default) {
        format = accdb ? NewDatabaseFormat::Access2010 : NewDatabaseFormat::Access2003;
    }
    switch (format) {
        case NewDatabaseFormat::Access97:
            return {JetVersion::Jet3, "07.53", "97"};
        case NewDatabaseFormat::Access2000:
            return {JetVersion::Jet4, "08.50", "2000"};
        case NewDatabaseFormat::Access2003:
            return {JetVersion::Jet4, "09.50", "2003"};
        case NewDatabaseFormat::Access2007:
            return {JetVersion::Ace12, "09.50", "2007"};
        case NewDatabaseFormat::Access2010:
            return {JetVersion::Ace14, "09.50", "2010"};
        case NewDatabaseFormat::Access2016:
            return {JetVersion::Ace16, "09.50", "2016"};
        case NewDatabaseFormat::Access2019:
            return {JetVersion::Ace17, "09.50", "2019"};
        case NewDatabaseFormat::Default:
            break;
    }
    return {JetVersion::Jet4, "09.50", "2003"};
}

std::uint8_t VersionByte(JetVersion version) {
    switch (version) {
        case JetVersion::Jet3:
            return 0;
        case JetVersion::Ace12:
            return 2;
        case JetVersion::Ace14:
            return 3;
        case JetVersion::Ace15:
            return 4;
        case JetVersion::Ace16:
            return 5;
        case JetVersion::Ace17:
            return 6;
        default:
            return 1;
    }
}

// A new database is made only where nothing stands: no file, no folder, not even a symbolic link
// whose target is missing (following it would put the database somewhere the user did not name).
void RequireNothingAt(const std::string& path) {
    std::error_code ec;
    const std::filesystem::file_status status = std::filesystem::symlink_status(FsPath(path), ec);
    if (!std::filesystem::exists(status)) {
        return;
    }
    if (std::filesystem::is_symlink(status) && !std::filesystem::exists(FsPath(path), ec)) {
        const auto target = std::filesystem::read_symlink(FsPath(path), ec).u8string();
        throw Error(ErrorKind::Constraint,
                    "A new database is made only where nothing stands, and '" + path +
                        "' is a symbolic link to '" + std::string(target.begin(), target.end()) +
                        "', which does not exist.");
    }
    throw Error(ErrorKind::Constraint, "The database '" + path +
                                           "' already exists; a new database is never written "
                                           "over an existing file.");
}

void Validate(const std::string& path, const NewDatabaseOptions& options,
              const FormatChoice& choice, const Format& format) {
    RequireNothingAt(path);
    const bool accdb = IsAccdbPath(path);
    if (format.ace != accdb) {
        throw Error(ErrorKind::Constraint,
                    std::string("The Access ") + choice.label + " format is written to " +
                        (format.ace ? ".accdb" : ".mdb") + " files, not to '" + path + "'.");
    }
    if (format.ace && Utf8ToUtf16(options.password).size() > kMaxEncryptionPasswordLength) {
        throw Error(ErrorKind::Constraint,
                    "The password for '" + path + "' is longer than 255 characters.");
    }
    if (format.jet3) {
        try {
            create::EncodeJet3Password(options.password);
        } catch (const Error& e) {
            throw Error(ErrorKind::Constraint,
                        "Cannot create '" + path + "': " + std::string(e.what()));
        }
    }
    if (!format.ace && Utf8ToUtf16(options.password).size() > create::kMaxPasswordLength) {
        throw Error(ErrorKind::Constraint,
                    "The database password for '" + path + "' is longer than 20 characters.");
    }
}

// Office encryption of the finished database: every page after page 0 is rewritten through
// the new encryption's codec.
void Encrypt(PageFile& pages, const std::string& password) {
    for (std::uint32_t n = 1; n < pages.PageCount(); ++n)
        pages.Modify(n);
    pages.SetCodec(crypto::WriteNewOfficeEncryption(pages.Modify(0)->Mutable(), password));
}

void WritePages(const std::string& temporary, const std::string& path,
                const std::vector<std::vector<std::uint8_t>>& pages) {
    errno = 0;
    std::ofstream out(FsPath(temporary), std::ios::binary | std::ios::trunc);
    for (const std::vector<std::uint8_t>& page : pages) {
        out.write(reinterpret_cast<const char*>(page.data()),
                  static_cast<std::streamsize>(page.size()));
    }
    out.close();
    if (!out) {
        const int error = errno;
        throw Error(ErrorKind::Io,
                    "Could not write the new database '" + path + "'" +
                        (error != 0 ? std::string(": ") + std::strerror(error) : std::string()) +
                        ".");
    }
}

// Moves the finished file to its name unless something appeared there meanwhile: the move itself
// refuses to replace anything where the system can say so (a rename that does not replace, or a
// hard link), so nothing that appears between the look and the move is lost.
void Publish(const std::string& temporary, const std::string& path) {
    const std::filesystem::path target = FsPath(path);
    RequireNothingAt(path);
#ifdef _WIN32
    // MoveFileExW without MOVEFILE_REPLACE_EXISTING fails when anything has the name.
    if (MoveFileExW(FsPath(temporary).c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH)) {
        return;
    }
    if (GetLastError() == ERROR_ALREADY_EXISTS || GetLastError() == ERROR_FILE_EXISTS) {
        RequireNothingAt(path);
    }
#else
    if (::renameat2(AT_FDCWD, temporary.c_str(), AT_FDCWD, path.c_str(), RENAME_NOREPLACE) == 0) {
        return;
    }
    if (errno == EEXIST) {
        RequireNothingAt(path);
    }
    // A file system without a non-replacing rename: a hard link fails on any existing name.
    if (::link(temporary.c_str(), path.c_str()) == 0) {
        ::unlink(temporary.c_str());
        return;
    }
    if (errno == EEXIST) {
        RequireNothingAt(path);
    }
#endif
    std::error_code ec;
    RequireNothingAt(path);
    std::filesystem::rename(FsPath(temporary), target, ec);
    if (ec) {
        throw Error(ErrorKind::Io,
                    "Could not write the new database '" + path + "': " + ec.message() + ".");
    }
}

}  // namespace

std::optional<NewDatabaseFormat> ParseNewDatabaseFormat(const std::string& text) {
    static const std::map<std::string, NewDatabaseFormat> names = {
        {"97", NewDatabaseFormat::Access97},     {"2000", NewDatabaseFormat::Access2000},
        {"2003", NewDatabaseFormat::Access2003}, {"2007", NewDatabaseFormat::Access2007},
        {"2010", NewDatabaseFormat::Access2010}, {"2016", NewDatabaseFormat::Access2016},
        {"2019", NewDatabaseFormat::Access2019}};
    const auto it = names.find(text);
    if (it == names.end())
        return std::nullopt;
    return it->second;
}

bool IsAccdbPath(const std::string& path) {
    if (path.size() < 6)
        return false;
    std::string ending = path.substr(path.size() - 6);
    std::transform(ending.begin(), ending.end(), ending.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return ending == ".accdb";
}

void CreateDatabase(const std::string& path, const NewDatabaseOptions& options) {
    const FormatChoice choice = ChoiceFor(options.format, IsAccdbPath(path));
    const Format& format = *FormatForVersionByte(VersionByte(choice.version));
    Validate(path, options, choice, format);

    // "General 97" for Jet 3 (the LCID alone), "General Legacy" for Jet 4 and ACE 12, "General"
    // from ACE 14 on: what Access gives new databases of each format.
    const bool legacy = choice.version == JetVersion::Jet3 || choice.version == JetVersion::Jet4 ||
                        choice.version == JetVersion::Ace12;
    const SortOrder sortOrder{1033, static_cast<std::uint8_t>(legacy ? 0 : 1)};
    const create::TargetFacts& facts = create::TargetFor(choice.version);

    // Built beside the target under another name and renamed when complete, so that a failure
    // or a crash never leaves a half-made database under the user's name.
    const std::string temporary = path + ".creating";
    try {
        // An .accdb password is no stored password but the key of the file's encryption.
        const bool encrypt = format.ace && !options.password.empty();
        const create::Skeleton skeleton =
            create::BuildSkeleton(format, facts, sortOrder, encrypt ? "" : options.password);
        WritePages(temporary, path, skeleton.pages);
        {
            PageFile pages(temporary, OpenMode::ReadWrite);
            create::WriteCatalogRows(pages, skeleton, facts, choice.accessVersion);
            if (encrypt)
                Encrypt(pages, options.password);
            pages.Flush();
            pages.Sync();
        }
        Publish(temporary, path);
    } catch (...) {
        std::error_code ec;
        std::filesystem::remove(FsPath(temporary), ec);
        throw;
    }
}

}  // namespace accessdb

#include "accessdb/RollbackJournal.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "accessdb/Error.h"
#include "accessdb/LockFile.h"

namespace accessdb {

namespace {

// Header (kHeaderSize bytes): magic (8), page size (4), page count before the group or
// kNoGrowth (4), record count (4), group number (4), the database's device (8) and inode (8),
// its size before the group (8), its page count after the group (4), reserved (4), hashes of
// page 0 before and after the group (8 + 8). Then the records; then a trailer repeating the
// magic, the record count and the group number, with a hash of everything before it.
//
// A record is a page number (4), hashes of the whole page before and after the group (8 + 8)
// and a count of ranges (2), each range an offset (2), a length (2) and the original bytes:
// only what the group changed is kept, which keeps the journal small. The journal goes out in
// one write, front to back, so a journal cut short has no matching trailer and is ignored (the
// database was not touched yet); MarkDone clears the header's magic.
constexpr char kMagic[8] = {'Q', 'M', 'J', 'R', 'N', 'L', '2', '\0'};
// Journals of the earlier format knew nothing of their database: never applied, kept aside.
constexpr char kOldMagic[8] = {'Q', 'M', 'J', 'R', 'N', 'L', '1', '\0'};
constexpr std::size_t kHeaderSize = 72;
constexpr std::size_t kRecordHeaderSize = 22;
constexpr std::size_t kTrailerSize = 24;
constexpr std::uint32_t kNoGrowth = 0xFFFFFFFFu;

// Pages are compared in steps of 32 bytes, four 64-bit words at a time.
constexpr std::size_t kStep = 32;

bool SameStep(const std::uint8_t* a, const std::uint8_t* b) {
    std::uint64_t difference = 0;
    for (std::size_t i = 0; i < kStep; i += 8) {
        std::uint64_t x = 0;
        std::uint64_t y = 0;
        std::memcpy(&x, a + i, 8);
        std::memcpy(&y, b + i, 8);
        difference |= x ^ y;
    }
    return difference == 0;
}

// Whether a regular file stands at the path; a folder or anything else there cannot hold a
// journal (RequireJournalPath refuses it to writers).
bool JournalFileExists(const std::string& path) {
    std::error_code error;
    return std::filesystem::is_regular_file(std::u8string(path.begin(), path.end()), error);
}

void RequireJournalPath(const std::string& path, const std::string& databasePath) {
    std::error_code error;
    const auto status = std::filesystem::status(std::u8string(path.begin(), path.end()), error);
    if (std::filesystem::exists(status) && !std::filesystem::is_regular_file(status)) {
        const bool folder = std::filesystem::is_directory(status);
        throw Error(ErrorKind::ReadOnly,
                    "The database '" + databasePath + "' cannot be written: its journal path '" +
                        path + "' is " + (folder ? "a folder" : "not a regular file") +
                        ", where the journal that keeps writes safe must be a file. Move it "
                        "away.");
    }
}

// A 64-bit hash that tells pages apart (not a defence against forgery).
std::uint64_t Hash(Bytes bytes) {
    std::uint64_t h = 0x9E3779B97F4A7C15ull ^ bytes.size();
    std::size_t i = 0;
    for (; i + 8 <= bytes.size(); i += 8) {
        h = (h ^ LoadU64(bytes.data() + i)) * 0xFF51AFD7ED558CCDull;
        h ^= h >> 29;
    }
    for (; i < bytes.size(); ++i)
        h = (h ^ bytes[i]) * 0x100000001B3ull;
    return h ^ (h >> 32);
}

bool FileExists(const std::string& path) {
    std::error_code ec;
    return std::filesystem::exists(std::filesystem::path(path), ec);
}

enum class JournalState { Absent, Incomplete, Complete, OldFormat };

// Reads a journal; Complete only when it is whole and marked full.
JournalState ReadJournal(const std::string& path, std::vector<std::uint8_t>& bytes) {
    if (!JournalFileExists(path))
        return JournalState::Absent;
    FileHandle file(path, false);
    bytes.resize(static_cast<std::size_t>(file.Size()));
    bytes.resize(file.ReadAt(0, bytes));
    if (bytes.size() >= sizeof(kOldMagic) &&
        std::memcmp(bytes.data(), kOldMagic, sizeof(kOldMagic)) == 0)
        return JournalState::OldFormat;
    if (bytes.size() < kHeaderSize || std::memcmp(bytes.data(), kMagic, sizeof(kMagic)) != 0)
        return JournalState::Incomplete;
    const std::uint32_t pageSize = LoadU32(bytes.data() + 8);
    const std::uint32_t records = LoadU32(bytes.data() + 16);
    if (pageSize == 0 || pageSize > 65536)
        return JournalState::Incomplete;
    std::size_t length = kHeaderSize;
    for (std::uint32_t r = 0; r < records; ++r) {
        if (length + kRecordHeaderSize > bytes.size())
            return JournalState::Incomplete;
        const std::uint16_t ranges = LoadU16(bytes.data() + length + 20);
        length += kRecordHeaderSize;
        for (std::uint16_t k = 0; k < ranges; ++k) {
            if (length + 4 > bytes.size())
                return JournalState::Incomplete;
            const std::size_t offset = LoadU16(bytes.data() + length);
            const std::size_t size = LoadU16(bytes.data() + length + 2);
            if (offset + size > pageSize)
                return JournalState::Incomplete;
            length += 4 + size;
        }
    }
    if (bytes.size() < length + kTrailerSize)
        return JournalState::Incomplete;
    const std::uint8_t* trailer = bytes.data() + length;
    const bool whole = std::memcmp(trailer, kMagic, sizeof(kMagic)) == 0 &&
                       LoadU32(trailer + 8) == records &&
                       LoadU32(trailer + 12) == LoadU32(bytes.data() + 20) &&
                       LoadU64(trailer + 16) == Hash(Bytes(bytes.data(), length));
    return whole ? JournalState::Complete : JournalState::Incomplete;
}

// Why the journal in `bytes` cannot have been written for the file `pages` has open, or ""
// when it can: the same file (device and inode), a size and pages the cut-off group could
// have left behind (each covered page either as it was or as the group made it).
std::string Mismatch(PageFile& pages, const std::vector<std::uint8_t>& bytes) {
    const std::uint8_t* h = bytes.data();
    const FileIdentity identity = pages.File().Identity();
    if (identity.device != LoadU64(h + 24) || identity.file != LoadU64(h + 32))
        return "it was written for another file (a different device or inode)";
    const std::uint32_t pageSize = LoadU32(h + 8);
    if (pageSize != pages.PageSize())
        return "its page size differs from the database's";
    const std::uint64_t sizeBefore = LoadU64(h + 40);
    const std::uint64_t sizeAfter =
        std::max<std::uint64_t>(sizeBefore, std::uint64_t{LoadU32(h + 48)} * pageSize);
    const std::uint64_t size = pages.File().Size();
    if (size < sizeBefore || size > sizeAfter) {
        return "the database is " + std::to_string(size) + " bytes, the journal's group left " +
               std::to_string(sizeBefore) + " to " + std::to_string(sizeAfter);
    }
    // The pages as stored: no page codec (and so no password) is needed to tell them apart.
    std::vector<std::uint8_t> stored(pageSize);
    auto matches = [&](std::uint32_t page, std::uint64_t before, std::uint64_t after) {
        const std::uint64_t at = static_cast<std::uint64_t>(page) * pageSize;
        if (at + pageSize > size || pages.File().ReadAt(at, stored) != stored.size())
            return false;
        const std::uint64_t now = Hash(stored);
        return now == before || now == after;
    };
    if (!matches(0, LoadU64(h + 56), LoadU64(h + 64)))
        return "the database's header page is not the one the journal was written for";
    const std::uint32_t records = LoadU32(h + 16);
    const std::uint8_t* record = h + kHeaderSize;
    for (std::uint32_t i = 0; i < records; ++i) {
        const std::uint32_t page = LoadU32(record);
        if (!matches(page, LoadU64(record + 4), LoadU64(record + 12)))
            return "page " + std::to_string(page) +
                   " of the database is not one the journal covers";
        const std::uint16_t ranges = LoadU16(record + 20);
        record += kRecordHeaderSize;
        for (std::uint16_t k = 0; k < ranges; ++k)
            record += 4 + LoadU16(record + 2);
    }
    return "";
}

[[noreturn]] void RefuseForeignJournal(const std::string& journal, const std::string& database,
                                       const std::string& why) {
    const std::string aside = RollbackJournal::SetAsidePath(journal);
    std::error_code ec;
    std::filesystem::rename(std::filesystem::path(journal), std::filesystem::path(aside), ec);
    const std::string kept =
        ec ? "it stays where it is (it could not be renamed: " + ec.message() + ")"
           : "it was kept as '" + aside + "'";
    throw Error(ErrorKind::Damaged, "The journal '" + journal +
                                        "' does not belong to the database '" + database + "' (" +
                                        why + "), so it was not applied; " + kept +
                                        ". Open the database again to use it as it is.");
}

}  // namespace

std::string RollbackJournal::PathFor(const std::string& databasePath) {
    return CanonicalDatabasePath(databasePath) + "-journal";
}

std::string RollbackJournal::SetAsidePath(const std::string& journalPath) {
    std::string candidate = journalPath + ".unmatched";
    for (int n = 2; FileExists(candidate); ++n)
        candidate = journalPath + ".unmatched" + std::to_string(n);
    return candidate;
}

RollbackJournal::RollbackJournal(const std::string& databasePath, std::uint32_t pageSize)
    : path_(PathFor(databasePath)), pageSize_(pageSize) {
    RequireJournalPath(path_, databasePath);
    if (std::FILE* f = std::fopen(path_.c_str(), "ab")) {
        std::fclose(f);
    } else {
        throw Error(ErrorKind::ReadOnly,
                    "Cannot create the journal file '" + path_ + "' beside the database.");
    }
    file_ = std::make_unique<FileHandle>(path_, true);
    Forget();
}

RollbackJournal::~RollbackJournal() = default;

void RollbackJournal::Start() {
    file_->Truncate(0);
    group_ = 0;
    Forget();
}

void RollbackJournal::BeforeFirstChange(std::uint32_t page, Bytes original) {
    // The original stays in the file until the group is written, so Write() reads it there;
    // copying every page here would cost a page of memory and a copy per page changed.
    (void)original;
    originalPages_.push_back(page);
}

void RollbackJournal::BeforeGrow(std::uint32_t pageCountBefore) {
    grew_ = true;
    pageCountBefore_ = pageCountBefore;
}

void RollbackJournal::Write(PageFile& pages) {
    // Each changed page as the ranges where its stored bytes are about to change (32-byte
    // steps), holding the original bytes as stored, read from the file (which keeps them
    // until the pages are written): the journal of an encrypted file holds no plaintext and
    // rolls back without a key, and under a block cipher the ranges reach as far as the
    // cipher carries a change. The hashes that tell the file's pages apart are of the stored
    // bytes too.
    buffer_.assign(kHeaderSize, 0);
    std::uint64_t page0Before = 0;
    bool page0Journaled = false;
    std::vector<std::uint8_t> stored(pageSize_);
    std::vector<std::uint8_t> scratch;
    for (const std::uint32_t page : originalPages_) {
        const PageRef current = pages.Read(page);
        const std::span<const std::uint8_t> after = pages.Encoded(*current, scratch);
        if (pages.File().ReadAt(static_cast<std::uint64_t>(page) * pageSize_, stored) !=
            stored.size())
            throw Error(ErrorKind::Io, "Could not read page " + std::to_string(page) + " of '" +
                                           pages.Path() + "' for the journal.");
        const std::size_t recordStart = buffer_.size();
        buffer_.resize(recordStart + kRecordHeaderSize);
        const std::uint64_t hashBefore = Hash(stored);
        StoreU32(buffer_.data() + recordStart, page);
        StoreU64(buffer_.data() + recordStart + 4, hashBefore);
        StoreU64(buffer_.data() + recordStart + 12, Hash(after));
        if (page == 0) {
            page0Before = hashBefore;
            page0Journaled = true;
        }
        std::uint16_t ranges = 0;
        for (std::size_t offset = 0; offset < pageSize_;) {
            if (SameStep(stored.data() + offset, after.data() + offset)) {
                offset += kStep;
                continue;
            }
            std::size_t end = offset + kStep;
            while (end < pageSize_ && !SameStep(stored.data() + end, after.data() + end)) {
                end += kStep;
            }
            const std::size_t at = buffer_.size();
            buffer_.resize(at + 4);
            StoreU16(buffer_.data() + at, static_cast<std::uint16_t>(offset));
            StoreU16(buffer_.data() + at + 2, static_cast<std::uint16_t>(end - offset));
            buffer_.insert(buffer_.end(), stored.data() + offset, stored.data() + end);
            ++ranges;
            offset = end;
        }
        StoreU16(buffer_.data() + recordStart + 20, ranges);
    }
    const std::uint64_t page0After = Hash(pages.Encoded(*pages.Read(0), scratch));
    const FileIdentity identity = pages.File().Identity();
    std::uint8_t* header = buffer_.data();
    std::memcpy(header, kMagic, sizeof(kMagic));
    StoreU32(header + 8, pageSize_);
    StoreU32(header + 12, grew_ ? pageCountBefore_ : kNoGrowth);
    StoreU32(header + 16, static_cast<std::uint32_t>(originalPages_.size()));
    ++group_;
    StoreU32(header + 20, group_);
    StoreU64(header + 24, identity.device);
    StoreU64(header + 32, identity.file);
    StoreU64(header + 40, pages.File().Size());
    StoreU32(header + 48, pages.PageCount());
    StoreU64(header + 56, page0Journaled ? page0Before : page0After);
    StoreU64(header + 64, page0After);
    std::uint8_t trailer[kTrailerSize];
    std::memcpy(trailer, kMagic, sizeof(kMagic));
    StoreU32(trailer + 8, static_cast<std::uint32_t>(originalPages_.size()));
    StoreU32(trailer + 12, group_);
    StoreU64(trailer + 16, Hash(buffer_));
    buffer_.insert(buffer_.end(), trailer, trailer + kTrailerSize);
    file_->WriteAt(0, buffer_);
}

std::function<void()> RollbackJournal::AfterWriteLater() {
    Forget();
    FileHandle* file = file_.get();
    return [file] {
        static const std::uint8_t kEmpty[8] = {};
        file->WriteAt(0, kEmpty);
    };
}

void RollbackJournal::MarkDone() {
    static const std::uint8_t kEmpty[8] = {};
    file_->WriteAt(0, kEmpty);
    Forget();
}

void RollbackJournal::Forget() {
    originalPages_.clear();
    grew_ = false;
    pageCountBefore_ = 0;
}

void RollbackJournal::Remove() {
    file_.reset();
    std::remove(path_.c_str());
}

bool RollbackJournal::NeedsRecovery(const std::string& databasePath) {
    std::vector<std::uint8_t> bytes;
    const JournalState state = ReadJournal(PathFor(databasePath), bytes);
    return state == JournalState::Complete || state == JournalState::OldFormat;
}

bool RollbackJournal::Recover(PageFile& pages, bool removeJournal) {
    const std::string path = PathFor(pages.Path());
    std::vector<std::uint8_t> bytes;
    const JournalState state = ReadJournal(path, bytes);
    if (state == JournalState::OldFormat) {
        RefuseForeignJournal(path, pages.Path(),
                             "it was written by an earlier version, which did not record its "
                             "database");
    }
    if (state != JournalState::Complete) {
        if (removeJournal)
            std::remove(path.c_str());
        return false;
    }
    if (const std::string why = Mismatch(pages, bytes); !why.empty()) {
        pages.DiscardCache();
        RefuseForeignJournal(path, pages.Path(), why);
    }
    const std::uint32_t pageSize = LoadU32(bytes.data() + 8);
    const std::uint32_t pageCountBefore = LoadU32(bytes.data() + 12);
    const std::uint32_t records = LoadU32(bytes.data() + 16);
    // The records hold bytes as stored: they go back into the file as they are, past the page
    // cache (which is dropped afterwards), so no page codec and no password is needed.
    FileHandle& file = pages.File();
    const std::uint64_t fileSize = file.Size();
    std::vector<std::uint8_t> target(pageSize);
    const std::uint8_t* record = bytes.data() + kHeaderSize;
    for (std::uint32_t i = 0; i < records; ++i) {
        const std::uint32_t page = LoadU32(record);
        const std::uint16_t ranges = LoadU16(record + 20);
        record += kRecordHeaderSize;
        const std::uint64_t at = static_cast<std::uint64_t>(page) * pageSize;
        const bool inFile = at + pageSize <= fileSize;
        if (inFile && file.ReadAt(at, target) != target.size())
            throw Error(ErrorKind::Io, "Could not read page " + std::to_string(page) + " of '" +
                                           pages.Path() + "' to roll it back.");
        for (std::uint16_t k = 0; k < ranges; ++k) {
            const std::size_t offset = LoadU16(record);
            const std::size_t size = LoadU16(record + 2);
            if (inFile)
                std::memcpy(target.data() + offset, record + 4, size);
            record += 4 + size;
        }
        if (inFile)
            file.WriteAt(at, target);
    }
    if (pageCountBefore != kNoGrowth &&
        static_cast<std::uint64_t>(pageCountBefore) * pageSize < file.Size()) {
        file.Truncate(static_cast<std::uint64_t>(pageCountBefore) * pageSize);
    }
    pages.Sync();
    pages.DiscardCache();
    if (removeJournal)
        std::remove(path.c_str());
    return true;
}

}  // namespace accessdb

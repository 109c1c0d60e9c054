#include "accessdb/RollbackJournal.h"

#include <cstdio>
#include <cstring>

#include "accessdb/Error.h"

namespace accessdb {

namespace {

// Header: magic (8), page size (4), page count before the statement or kNoGrowth (4), record
// count (4), statement number (4), reserved (8); then the records; then a trailer repeating
// the magic, the record count and the statement number. The journal goes out in one write,
// front to back, so a journal cut short has no matching trailer and is ignored (the database
// was not touched yet); MarkDone clears the header's magic.
constexpr char kMagic[8] = {'Q', 'M', 'J', 'R', 'N', 'L', '1', '\0'};
constexpr std::size_t kHeaderSize = 32;
constexpr std::size_t kTrailerSize = 16;
constexpr std::uint32_t kNoGrowth = 0xFFFFFFFFu;

bool FileExists(const std::string& path) {
    if (std::FILE* f = std::fopen(path.c_str(), "rb")) {
        std::fclose(f);
        return true;
    }
    return false;
}

// Reads a journal; returns false unless it is complete and marked full.
bool ReadJournal(const std::string& path, std::vector<std::uint8_t>& bytes) {
    if (!FileExists(path)) {
        return false;
    }
    FileHandle file(path, false);
    bytes.resize(static_cast<std::size_t>(file.Size()));
    bytes.resize(file.ReadAt(0, bytes));
    if (bytes.size() < kHeaderSize || std::memcmp(bytes.data(), kMagic, sizeof(kMagic)) != 0) {
        return false;
    }
    const std::uint32_t pageSize = LoadU32(bytes.data() + 8);
    const std::uint32_t records = LoadU32(bytes.data() + 16);
    const std::size_t length = kHeaderSize + static_cast<std::size_t>(records) * (4 + pageSize);
    if (pageSize == 0 || bytes.size() < length + kTrailerSize) {
        return false;
    }
    const std::uint8_t* trailer = bytes.data() + length;
    return std::memcmp(trailer, kMagic, sizeof(kMagic)) == 0 && LoadU32(trailer + 8) == records &&
           LoadU32(trailer + 12) == LoadU32(bytes.data() + 20);
}

}  // namespace

std::string RollbackJournal::PathFor(const std::string& databasePath) {
    return databasePath + "-journal";
}

RollbackJournal::RollbackJournal(const std::string& databasePath, std::uint32_t pageSize)
    : path_(PathFor(databasePath)), pageSize_(pageSize) {
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
    statement_ = 0;
    Forget();
}

void RollbackJournal::BeforeFirstChange(std::uint32_t page, Bytes original) {
    std::uint8_t number[4];
    StoreU32(number, page);
    buffer_.insert(buffer_.end(), number, number + 4);
    buffer_.insert(buffer_.end(), original.begin(), original.end());
    ++records_;
}

void RollbackJournal::BeforeGrow(std::uint32_t pageCountBefore) {
    grew_ = true;
    pageCountBefore_ = pageCountBefore;
}

void RollbackJournal::Write() {
    std::uint8_t* header = buffer_.data();
    std::memcpy(header, kMagic, sizeof(kMagic));
    StoreU32(header + 8, pageSize_);
    StoreU32(header + 12, grew_ ? pageCountBefore_ : kNoGrowth);
    StoreU32(header + 16, records_);
    ++statement_;
    StoreU32(header + 20, statement_);
    std::memset(header + 24, 0, kHeaderSize - 24);
    std::uint8_t trailer[kTrailerSize];
    std::memcpy(trailer, kMagic, sizeof(kMagic));
    StoreU32(trailer + 8, records_);
    StoreU32(trailer + 12, statement_);
    buffer_.insert(buffer_.end(), trailer, trailer + kTrailerSize);
    file_->WriteAt(0, buffer_);
    buffer_.resize(buffer_.size() - kTrailerSize);
}

void RollbackJournal::MarkDone() {
    static const std::uint8_t kEmpty[8] = {};
    file_->WriteAt(0, kEmpty);
    Forget();
}

void RollbackJournal::Forget() {
    buffer_.assign(kHeaderSize, 0);
    records_ = 0;
    grew_ = false;
    pageCountBefore_ = 0;
}

void RollbackJournal::Remove() {
    file_.reset();
    std::remove(path_.c_str());
}

bool RollbackJournal::NeedsRecovery(const std::string& databasePath) {
    std::vector<std::uint8_t> bytes;
    return ReadJournal(PathFor(databasePath), bytes);
}

bool RollbackJournal::Recover(PageFile& pages, bool removeJournal) {
    const std::string path = PathFor(pages.Path());
    std::vector<std::uint8_t> bytes;
    if (!ReadJournal(path, bytes)) {
        if (removeJournal)
            std::remove(path.c_str());
        return false;
    }
    const std::uint32_t pageSize = LoadU32(bytes.data() + 8);
    if (pageSize != pages.PageSize()) {
        throw Error(ErrorKind::Damaged,
                    "The journal '" + path + "' does not belong to the database beside it.");
    }
    const std::uint32_t pageCountBefore = LoadU32(bytes.data() + 12);
    const std::uint32_t records = LoadU32(bytes.data() + 16);
    const std::uint8_t* record = bytes.data() + kHeaderSize;
    for (std::uint32_t i = 0; i < records; ++i, record += 4 + pageSize) {
        const std::uint32_t page = LoadU32(record);
        if (page < pages.PageCount()) {
            MutablePageRef target = pages.Modify(page);
            std::memcpy(target->bytes.data(), record + 4, pageSize);
        }
    }
    pages.Flush();
    if (pageCountBefore != kNoGrowth &&
        static_cast<std::uint64_t>(pageCountBefore) * pageSize < pages.File().Size()) {
        pages.File().Truncate(static_cast<std::uint64_t>(pageCountBefore) * pageSize);
    }
    pages.Sync();
    pages.DiscardCache();
    if (removeJournal)
        std::remove(path.c_str());
    return true;
}

}  // namespace accessdb

#include "accessdb/RollbackJournal.h"

#include <cstdio>
#include <cstring>

#include "accessdb/Error.h"

namespace accessdb {

namespace {

// Header: magic (8), page size (4), page count before the statement or kNoGrowth (4), record
// count (4), statement number (4), reserved (8); then the records; then a trailer repeating
// the magic, the record count and the statement number. A record is a page number (4) and a
// count of ranges (2), each range an offset (2), a length (2) and the original bytes: only what
// the statement changed is kept, which keeps the journal small (a row insert changes a few
// hundred bytes of two pages). The journal goes out in one write,
// front to back, so a journal cut short has no matching trailer and is ignored (the database
// was not touched yet); MarkDone clears the header's magic.
constexpr char kMagic[8] = {'Q', 'M', 'J', 'R', 'N', 'L', '1', '\0'};
constexpr std::size_t kHeaderSize = 32;
constexpr std::size_t kTrailerSize = 16;
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
    if (pageSize == 0 || pageSize > 65536) {
        return false;
    }
    std::size_t length = kHeaderSize;
    for (std::uint32_t r = 0; r < records; ++r) {
        if (length + 6 > bytes.size()) {
            return false;
        }
        const std::uint16_t ranges = LoadU16(bytes.data() + length + 4);
        length += 6;
        for (std::uint16_t k = 0; k < ranges; ++k) {
            if (length + 4 > bytes.size()) {
                return false;
            }
            const std::size_t offset = LoadU16(bytes.data() + length);
            const std::size_t size = LoadU16(bytes.data() + length + 2);
            if (offset + size > pageSize) {
                return false;
            }
            length += 4 + size;
        }
    }
    if (bytes.size() < length + kTrailerSize) {
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
    originalPages_.push_back(page);
    originals_.insert(originals_.end(), original.begin(), original.end());
    ++records_;
}

void RollbackJournal::BeforeGrow(std::uint32_t pageCountBefore) {
    grew_ = true;
    pageCountBefore_ = pageCountBefore;
}

void RollbackJournal::Write(PageFile& pages) {
    // Each changed page as the ranges where it now differs from its original (32-byte steps).
    // The ranges are found in the decoded pages but hold the original bytes as stored, read
    // from the file (which keeps them until the pages are written), so the journal of an
    // encrypted file holds no plaintext, costs no encryption and rolls back without a key.
    // Under a block cipher a change reaches from its block to the end of the page.
    buffer_.assign(kHeaderSize, 0);
    const bool keepsUnchanged = pages.StoredKeepsUnchangedBytes();
    std::vector<std::uint8_t> stored(pageSize_);
    for (std::size_t r = 0; r < originalPages_.size(); ++r) {
        const std::uint8_t* before = originals_.data() + r * pageSize_;
        const std::uint8_t* now = pages.Read(originalPages_[r])->bytes.data();
        if (pages.File().ReadAt(static_cast<std::uint64_t>(originalPages_[r]) * pageSize_,
                                stored) != stored.size())
            throw Error(ErrorKind::Io, "Could not read page " + std::to_string(originalPages_[r]) +
                                           " of '" + pages.Path() + "' for the journal.");
        const std::size_t recordStart = buffer_.size();
        buffer_.resize(recordStart + 6);
        StoreU32(buffer_.data() + recordStart, originalPages_[r]);
        std::uint16_t ranges = 0;
        for (std::size_t offset = 0; offset < pageSize_;) {
            if (SameStep(before + offset, now + offset)) {
                offset += kStep;
                continue;
            }
            std::size_t end = offset + kStep;
            while (end < pageSize_ && (!keepsUnchanged || !SameStep(before + end, now + end))) {
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
        StoreU16(buffer_.data() + recordStart + 4, ranges);
    }
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
    originals_.clear();
    originalPages_.clear();
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
    // The records hold bytes as stored: they go back into the file as they are.
    FileHandle& file = pages.File();
    const std::uint64_t fileSize = file.Size();
    std::vector<std::uint8_t> target(pageSize);
    const std::uint8_t* record = bytes.data() + kHeaderSize;
    for (std::uint32_t i = 0; i < records; ++i) {
        const std::uint32_t page = LoadU32(record);
        const std::uint16_t ranges = LoadU16(record + 4);
        record += 6;
        const std::uint64_t at = static_cast<std::uint64_t>(page) * pageSize;
        const bool inFile = at + pageSize <= fileSize;
        if (inFile && file.ReadAt(at, target) != target.size())
            throw Error(ErrorKind::Io, "Could not read page " + std::to_string(page) + " of '" +
                                           pages.Path() + "' to roll it back.");
        for (std::uint16_t k = 0; k < ranges; ++k) {
            const std::size_t offset = LoadU16(record);
            const std::size_t size = LoadU16(record + 2);
            if (inFile) {
                std::memcpy(target.data() + offset, record + 4, size);
            }
            record += 4 + size;
        }
        if (inFile)
            file.WriteAt(at, target);
    }
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

// Page cache, decoding (header mask, the page codec) and dirty-page write-back.
#include "accessdb/PageFile.h"

#include <algorithm>

namespace accessdb {

PageFile::PageFile(const std::string& path, OpenMode mode)
    : file_(path, mode == OpenMode::ReadWrite), discard_(mode == OpenMode::Discard) {
    std::vector<std::uint8_t> start(4096);
    start.resize(file_.ReadAt(0, start));
    std::string reason;
    const Format* format = RecogniseFormat(start, reason);
    if (!format)
        throw Error(ErrorKind::NotDatabase, "Unrecognized database format '" + path +
                                                "': not an Access database (" + reason + ").");
    std::uint64_t size = file_.Size();
    if (size < 3ull * format->pageSize) {
        throw Error(
            ErrorKind::NotDatabase,
            "Unrecognized database format '" + path +
                "': not an Access database (the file is cut short: " + std::to_string(size) +
                " bytes, too small for its header, free-page map and catalog).");
    }
    std::uint64_t pages = size / format->pageSize;
    if (pages > 0xFFFFFFull)
        pages = 0xFFFFFF;  // page numbers have 24 bits in row pointers
    pageCount_ = pageCountOnDisk_ = static_cast<std::uint32_t>(pages);
    start.resize(format->pageSize);
    ApplyHeaderMask(start, *format);
    try {
        header_ = ParseHeader(start);
    } catch (const Error& e) {
        throw Error(e.Kind(), "Unrecognized database format '" + path +
                                  "': not an Access database (" + e.what() + ").");
    }
    if (header_.encryption == Encryption::JetPageEncoding)
        codec_ = MakeJetPageCodec(header_.databaseKey);
    auto page0 = std::make_shared<Page>();
    page0->number = 0;
    page0->bytes = std::move(start);
    Remember(page0);
}

std::vector<std::uint8_t> PageFile::Load(std::uint32_t page) {
    std::vector<std::uint8_t> bytes(PageSize());
    std::size_t got = file_.ReadAt(static_cast<std::uint64_t>(page) * PageSize(), bytes);
    if (got != bytes.size())
        ThrowDamaged("page " + std::to_string(page) + " is cut short (the file ends inside it)");
    if (page == 0) {
        ApplyHeaderMask(bytes, format());
    } else if (codec_) {
        codec_->Decode(page, bytes);
    } else if (IsOfficeEncryption(header_.encryption)) {
        throw Error(ErrorKind::Encrypted, "The database '" + Path() + "' is encrypted (" +
                                              EncryptionName(header_.encryption) + ").");
    }
    return bytes;
}

void PageFile::ToStored(std::uint32_t page, MutableBytes bytes) const {
    if (page == 0) {
        ApplyHeaderMask(bytes, format());
    } else if (codec_) {
        codec_->Encode(page, bytes);
    } else if (IsOfficeEncryption(header_.encryption)) {
        throw Error(ErrorKind::ReadOnly, "The database '" + Path() +
                                             "' is encrypted and cannot be written without "
                                             "its password.");
    }
}

void PageFile::Store(const Page& page) {
    if (page.number != 0 && !codec_ && header_.encryption == Encryption::None) {
        // Nothing to mask or encrypt: write the cached bytes as they are.
        file_.WriteAt(static_cast<std::uint64_t>(page.number) * PageSize(), page.bytes);
        return;
    }
    std::vector<std::uint8_t> bytes = page.bytes;
    ToStored(page.number, bytes);
    file_.WriteAt(static_cast<std::uint64_t>(page.number) * PageSize(), bytes);
}

void PageFile::Remember(const MutablePageRef& page) {
    cache_[page->number] = page;
    order_.push_back(page->number);
    if (cache_.size() > cacheLimit_)
        EvictClean(page->number);
}

void PageFile::EvictClean(std::uint32_t keep) {
    // Drop the oldest clean pages until the cache is down to three quarters of its limit;
    // holders of a PageRef keep their copy alive.
    std::size_t target = cacheLimit_ - cacheLimit_ / 4;
    auto it = order_.begin();
    while (cache_.size() > target && it != order_.end()) {
        std::uint32_t n = *it;
        auto c = cache_.find(n);
        if (c == cache_.end() || (dirty_.count(n) == 0 && n != 0 && n != keep)) {
            if (c != cache_.end())
                cache_.erase(c);
            it = order_.erase(it);
        } else {
            ++it;
        }
    }
    // order_ may hold stale numbers of pages loaded twice; rebuild it when it grows too long.
    if (order_.size() > 4 * cacheLimit_) {
        order_.clear();
        for (auto& [n, p] : cache_)
            order_.push_back(n);
    }
}

PageRef PageFile::Read(std::uint32_t page) {
    return Fetch(page);
}

MutablePageRef PageFile::Fetch(std::uint32_t page) {
    auto it = cache_.find(page);
    if (it != cache_.end())
        return it->second;
    if (page >= pageCount_) {
        ThrowDamaged("a reference points to page " + std::to_string(page) +
                     ", beyond the last page (" +
                     std::to_string(pageCount_ == 0 ? 0 : pageCount_ - 1) + ")");
    }
    auto p = std::make_shared<Page>();
    p->number = page;
    p->bytes = Load(page);
    Remember(p);
    return p;
}

MutablePageRef PageFile::Modify(std::uint32_t page) {
    if (!Writable())
        throw Error(ErrorKind::ReadOnly, "The database '" + Path() + "' is open for reading only.");
    MutablePageRef p = Fetch(page);
    if (journal_ && inStatement_ && page < pageCountOnDisk_ && journaled_.insert(page).second)
        journal_->BeforeFirstChange(page, p->bytes);
    dirty_.insert(page);
    return p;
}

MutablePageRef PageFile::Append() {
    if (!Writable())
        throw Error(ErrorKind::ReadOnly, "The database '" + Path() + "' is open for reading only.");
    if (pageCount_ >= 0xFFFFFF)
        throw Error(ErrorKind::Constraint, "The database '" + Path() + "' is full.");
    if (journal_ && inStatement_ && !grewInStatement_) {
        journal_->BeforeGrow(pageCount_);
        grewInStatement_ = true;
    }
    auto p = std::make_shared<Page>();
    p->number = pageCount_++;
    p->bytes.assign(PageSize(), 0);
    dirty_.insert(p->number);
    Remember(p);
    return p;
}

void PageFile::BeginStatement() {
    inStatement_ = true;
    journaled_.clear();
    grewInStatement_ = false;
}

void PageFile::EndStatement() {
    inStatement_ = false;
    journaled_.clear();
    grewInStatement_ = false;
}

void PageFile::Flush() {
    if (discard_)
        return;  // the changes live in the cache until the database is closed
    std::vector<std::uint32_t> pages(dirty_.begin(), dirty_.end());
    std::sort(pages.begin(), pages.end());
    for (std::uint32_t n : pages)
        Store(*cache_.at(n));
    dirty_.clear();
    pageCountOnDisk_ = std::max(pageCountOnDisk_, pageCount_);
}

void PageFile::DiscardCache() {
    cache_.clear();
    order_.clear();
    dirty_.clear();
    journaled_.clear();
    std::uint64_t pages = file_.Size() / PageSize();
    pageCount_ = pageCountOnDisk_ =
        static_cast<std::uint32_t>(std::min<std::uint64_t>(pages, 0xFFFFFF));
    auto p0 = std::make_shared<Page>();
    p0->number = 0;
    p0->bytes = Load(0);
    Remember(p0);
}

}  // namespace accessdb

// Page cache, decoding (header mask, the page codec) and dirty-page write-back.
#include "accessdb/PageFile.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <system_error>

#include "accessdb/WriteBehind.h"
#ifdef _WIN32
#include <windows.h>
#endif

namespace accessdb {

namespace {

// The group's age is looked at after every statement, so the clock is the cheap one the system
// keeps at its tick (a few milliseconds apart): plenty for a limit of hundreds of milliseconds.
std::chrono::milliseconds GroupClockNow() {
#ifdef _WIN32
    return std::chrono::milliseconds(GetTickCount64());
#elif defined(CLOCK_MONOTONIC_COARSE)
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC_COARSE, &now);
    return std::chrono::milliseconds(static_cast<std::int64_t>(now.tv_sec) * 1000 +
                                     now.tv_nsec / 1000000);
#else
    return std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now().time_since_epoch());
#endif
}

std::atomic<std::uint64_t> defaultSizeLimit{0};

std::uint64_t DefaultSizeLimit() {
    if (const std::uint64_t set = defaultSizeLimit.load(); set != 0)
        return set;
    if (const char* text = std::getenv("QUILLMERE_MAX_DATABASE_BYTES")) {
        char* end = nullptr;
        const unsigned long long bytes = std::strtoull(text, &end, 10);
        if (end != text && *end == '\0' && bytes > 0 && bytes < kMaxDatabaseBytes)
            return bytes;
    }
    return kMaxDatabaseBytes;
}

// Savepoint buffers kept between statements: enough for an ordinary row, so that a statement
// which once changed many pages does not keep their memory for the rest of the session.
constexpr std::size_t kSavedPagesKept = 64;

}  // namespace

void PageFile::SetDefaultSizeLimit(std::uint64_t bytes) {
    defaultSizeLimit.store(bytes);
}

PageFile::PageFile(const std::string& path, OpenMode mode)
    : file_(path, mode == OpenMode::ReadWrite),
      discard_(mode == OpenMode::Discard),
      sizeLimit_(DefaultSizeLimit()) {
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

PageFile::~PageFile() = default;  // the writing thread finishes first (behind_ after file_)

std::vector<std::uint8_t> PageFile::Load(std::uint32_t page) {
    if (behind_ && behind_->Holds(page))
        AwaitWrites();  // the file has the page once the writing thread is done with it
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

std::span<const std::uint8_t> PageFile::Encoded(const Page& page,
                                                std::vector<std::uint8_t>& scratch) {
    if (page.number != 0 && !codec_ && header_.encryption == Encryption::None) {
        // Nothing to mask or encrypt: write the cached bytes as they are.
        return page.bytes;
    }
    scratch = page.bytes;
    ToStored(page.number, scratch);
    return scratch;
}

void PageFile::Remember(const MutablePageRef& page) {
    const std::uint32_t n = page->number;
    if (n >= cache_.size()) {
        // Grows by doubling up to the file's page count: slots for pages never loaded cost a
        // pointer each, far less than a hash table's node for each page that is.
        const std::size_t doubled = std::min<std::size_t>(cache_.size() * 2, pageCount_);
        cache_.resize(std::max<std::size_t>({std::size_t{n} + 1, doubled, 64}));
    }
    if (!cache_[n])
        ++cached_;
    cache_[n] = page;
    order_.push_back(n);
    if (cached_ - dirty_.size() > cacheLimit_)
        EvictClean(page->number);
}

void PageFile::EvictClean(std::uint32_t keep) {
    // Drop the oldest clean pages until they are down to three quarters of the limit; holders
    // of a PageRef keep their copy alive. Dirty pages leave the order and come back at its
    // end once they are written.
    std::size_t target = cacheLimit_ - cacheLimit_ / 4;
    auto it = order_.begin();
    while (cached_ - dirty_.size() > target && it != order_.end()) {
        std::uint32_t n = *it;
        const Page* c = n < cache_.size() ? cache_[n].get() : nullptr;
        if (c == nullptr || (!c->dirty && n != 0 && n != keep)) {
            if (c != nullptr)
                Forget(n);
            it = order_.erase(it);
        } else if (c->dirty) {
            it = order_.erase(it);
        } else {
            ++it;
        }
    }
    // order_ may hold stale numbers of pages loaded twice; rebuild it when it grows too long.
    if (order_.size() > 4 * cacheLimit_) {
        order_.clear();
        for (std::uint32_t n = 0; n < cache_.size(); ++n) {
            if (cache_[n])
                order_.push_back(n);
        }
    }
}

void PageFile::Forget(std::uint32_t page) {
    cache_[page].reset();
    --cached_;
}

const MutablePageRef& PageFile::Cached(std::uint32_t page) const {
    if (page >= cache_.size() || !cache_[page])
        throw Error(ErrorKind::Damaged, "Page " + std::to_string(page) + " of '" + Path() +
                                            "' was expected in the page cache.");
    return cache_[page];
}

PageRef PageFile::Read(std::uint32_t page) {
    return Fetch(page);
}

MutablePageRef PageFile::Fetch(std::uint32_t page) {
    if (page < cache_.size() && cache_[page])
        return cache_[page];
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

void PageFile::RequireWritable() const {
    if (!Writable())
        throw Error(ErrorKind::ReadOnly, "The database '" + Path() + "' is open for reading only.");
}

MutablePageRef PageFile::Touch(std::uint32_t page) {
    MutablePageRef p = Fetch(page);
    if (p->writeGroup != 0) {
        if (behind_ && p->writeGroup == behindGroup_)
            behind_->BeforeChange(p->writePiece);
        p->writeGroup = 0;
    }
    ++p->version;
    if (!p->dirty) {
        if (journal_ && page < pageCountOnDisk_ && journaled_.insert(page).second)
            journal_->BeforeFirstChange(page, p->bytes);
        if (dirty_.empty())
            groupStart_ = GroupClockNow();
        p->dirty = true;
        dirty_.insert(page);
    }
    return p;
}

PageFile::SavedPage* PageFile::NewSaved(Page& page) {
    if (!inStatement_ || page.savedIn == statement_ || page.number >= statementPageCount_)
        return nullptr;  // saved already, or new in this statement (dropped on rollback)
    if (savedCount_ == saved_.size())
        saved_.emplace_back();
    page.savedIn = statement_;
    page.savedSlot = static_cast<std::uint32_t>(savedCount_);
    SavedPage& saved = saved_[savedCount_++];
    saved.number = page.number;
    saved.wasDirty = page.dirty;
    saved.parts.clear();
#ifndef NDEBUG
    saved.image = page.bytes;
#endif
    return &saved;
}

MutablePageRef PageFile::Modify(std::uint32_t page) {
    RequireWritable();
    MutablePageRef p = Fetch(page);
    if (SavedPage* saved = NewSaved(*p)) {
        saved->whole = true;
        saved->bytes.assign(p->bytes.begin(), p->bytes.end());
    } else if (inStatement_ && p->savedIn == statement_) {
        SavedPage& partly = saved_[p->savedSlot];
        if (!partly.whole) {
            // The whole page changes now: its pre-statement image is the page with the saved
            // parts put back.
            CheckParts(partly, *p);
            std::vector<std::uint8_t> image = p->bytes;
            RestoreParts(partly, image);
            partly.bytes = std::move(image);
            partly.parts.clear();
            partly.whole = true;
        }
    }
    return Touch(page);
}

MutablePageRef PageFile::ModifyParts(std::uint32_t page, std::span<const ByteRange> parts) {
    RequireWritable();
    MutablePageRef p = Fetch(page);
    SavedPage* saved = NewSaved(*p);
    if (saved != nullptr) {
        saved->whole = false;
        saved->bytes.clear();
    } else if (inStatement_ && p->savedIn == statement_ && !saved_[p->savedSlot].whole) {
        saved = &saved_[p->savedSlot];
    }
    if (saved != nullptr) {
        CheckParts(*saved, *p);
        for (const ByteRange& part : parts) {
            if (part.offset > p->bytes.size() || part.length > p->bytes.size() - part.offset)
                ThrowDamaged("a change of page " + std::to_string(page) + " lies outside it");
            saved->parts.push_back(part);
            const auto from = p->bytes.begin() + static_cast<std::ptrdiff_t>(part.offset);
            saved->bytes.insert(saved->bytes.end(), from,
                                from + static_cast<std::ptrdiff_t>(part.length));
        }
    }
    return Touch(page);
}

void PageFile::RestoreParts(const SavedPage& saved, MutableBytes bytes) {
    std::size_t end = saved.bytes.size();
    for (auto part = saved.parts.rbegin(); part != saved.parts.rend(); ++part) {
        end -= part->length;
        std::memcpy(bytes.data() + part->offset, saved.bytes.data() + end, part->length);
    }
}

void PageFile::CheckParts(const SavedPage& saved, const Page& page) const {
#ifndef NDEBUG
    if (saved.whole)
        return;
    std::vector<std::uint8_t> restored = page.bytes;
    RestoreParts(saved, restored);
    if (restored != saved.image)
        ThrowDamaged("page " + std::to_string(page.number) +
                     " changed outside the parts its savepoint kept");
#else
    (void)saved;
    (void)page;
#endif
}

void PageFile::ThrowFull() const {
    throw Error(ErrorKind::Constraint,
                "The query cannot be completed. Either the size of the query result is larger "
                "than the maximum size of a database (2 GB), or there is not enough temporary "
                "storage space on the disk to store the query result. (The database '" +
                    Path() + "' cannot grow past " + std::to_string(sizeLimit_) + " bytes.)",
                3183);
}

MutablePageRef PageFile::Append() {
    if (!Writable())
        throw Error(ErrorKind::ReadOnly, "The database '" + Path() + "' is open for reading only.");
    if (pageCount_ >= 0xFFFFFF ||
        (static_cast<std::uint64_t>(pageCount_) + 1) * PageSize() > sizeLimit_)
        ThrowFull();
    if (journal_ && !grewInGroup_) {
        journal_->BeforeGrow(pageCountOnDisk_);
        grewInGroup_ = true;
    }
    auto p = std::make_shared<Page>();
    p->number = pageCount_++;
    p->bytes.assign(PageSize(), 0);
    if (dirty_.empty())
        groupStart_ = GroupClockNow();
    p->dirty = true;
    dirty_.insert(p->number);
    Remember(p);
    return p;
}

void PageFile::BeginStatement() {
    inStatement_ = true;
    ++statement_;
    savedCount_ = 0;
    statementPageCount_ = pageCount_;
}

void PageFile::EndStatement() {
#ifndef NDEBUG
    for (std::size_t i = 0; i < savedCount_; ++i)
        CheckParts(saved_[i], *Cached(saved_[i].number));
#endif
    inStatement_ = false;
    savedCount_ = 0;
    if (saved_.size() > kSavedPagesKept)
        saved_.resize(kSavedPagesKept);
}

void PageFile::RollbackStatement() {
    for (std::size_t i = 0; i < savedCount_; ++i) {
        SavedPage& saved = saved_[i];
        Page& page = *Cached(saved.number);
        if (saved.whole) {
            std::memcpy(page.bytes.data(), saved.bytes.data(), page.bytes.size());
        } else {
            CheckParts(saved, page);
            RestoreParts(saved, page.bytes);
        }
        page.savedIn = 0;
        ++page.version;
        if (!saved.wasDirty) {
            // Back to what the file holds (its journal record, if any, now restores nothing).
            page.dirty = false;
            dirty_.erase(saved.number);
            order_.push_back(saved.number);
        }
    }
    for (std::uint32_t n = statementPageCount_; n < pageCount_; ++n) {
        dirty_.erase(n);
        if (n < cache_.size() && cache_[n])
            Forget(n);
    }
    pageCount_ = statementPageCount_;
    EndStatement();
}

bool PageFile::GroupDue() const {
    if (dirty_.empty() || discard_)
        return false;
    return dirty_.size() * PageSize() >= groupBytesLimit_ ||
           GroupClockNow() - groupStart_ >= groupAgeLimit_;
}

void PageFile::AwaitWrites() {
    if (behind_ && behind_->Busy()) {
        std::exception_ptr error = behind_->Wait();
        if (error && !writeError_)
            writeError_ = error;
    }
}

void PageFile::FinishWrites() {
    AwaitWrites();
    if (writeError_) {
        std::exception_ptr error = writeError_;
        writeError_ = nullptr;
        std::rethrow_exception(error);
    }
}

bool PageFile::WritesPending() const {
    return (behind_ && behind_->Busy()) || writeError_ != nullptr;
}

void PageFile::FlushBehind(std::shared_ptr<void> hold) {
    if (discard_)
        return;
    FinishWrites();  // the group before: its journal is done before this one's is written
    if (!behind_) {
        try {
            behind_ = std::make_unique<WriteBehind>(file_, PageSize());
        } catch (const std::system_error&) {
            Flush();  // no second thread to be had: write the group here
            return;
        }
    }
    std::vector<std::uint32_t> pages(dirty_.begin(), dirty_.end());
    if (pages.empty())
        return;
    std::sort(pages.begin(), pages.end());
    if (journal_)
        journal_->BeforeWrite(*this);
    std::vector<WriteBehind::Piece> pieces(pages.size());
    const bool storedAsCached = !codec_ && header_.encryption == Encryption::None;
    std::vector<std::uint8_t> scratch;
    ++behindGroup_;
    for (std::size_t i = 0; i < pages.size(); ++i) {
        const MutablePageRef& page = Cached(pages[i]);
        WriteBehind::Piece& piece = pieces[i];
        piece.number = pages[i];
        if (storedAsCached && pages[i] != 0) {
            piece.page = page;
        } else {
            const std::span<const std::uint8_t> stored = Encoded(*page, scratch);
            piece.own.assign(stored.begin(), stored.end());
        }
        page->writeGroup = behindGroup_;
        page->writePiece = static_cast<std::uint32_t>(i);
    }
    std::function<void()> after = journal_ ? journal_->AfterWriteLater() : nullptr;
    EndGroup(pages);
    behind_->Start(std::move(pieces), std::move(after), std::move(hold));
}

void PageFile::EndGroup(const std::vector<std::uint32_t>& pages) {
    for (std::uint32_t n : pages) {
        Cached(n)->dirty = false;
        order_.push_back(n);
    }
    dirty_.clear();
    journaled_.clear();
    grewInGroup_ = false;
    pageCountOnDisk_ = std::max(pageCountOnDisk_, pageCount_);
}

void PageFile::Flush() {
    if (discard_)
        return;  // the changes live in the cache until the database is closed
    FinishWrites();
    std::vector<std::uint32_t> pages(dirty_.begin(), dirty_.end());
    std::sort(pages.begin(), pages.end());
    if (!pages.empty()) {
        if (journal_)
            journal_->BeforeWrite(*this);
        WriteDirtyPages(pages);
        if (journal_)
            journal_->AfterWrite();
    }
    EndGroup(pages);
}

void PageFile::WriteDirtyPages(const std::vector<std::uint32_t>& pages) {
    // Runs of adjacent pages go out in one gathered write each.
    std::vector<std::span<const std::uint8_t>> run;
    std::vector<std::vector<std::uint8_t>> scratch;  // encoded copies, alive until written
    std::uint32_t first = 0;
    auto writeRun = [&] {
        if (run.size() == 1)
            file_.WriteAt(static_cast<std::uint64_t>(first) * PageSize(), run[0]);
        else if (!run.empty())
            file_.WriteGathered(static_cast<std::uint64_t>(first) * PageSize(), run);
        run.clear();
        scratch.clear();
    };
    scratch.reserve(pages.size());
    for (std::uint32_t n : pages) {
        if (!run.empty() && n != first + run.size())
            writeRun();
        if (run.empty())
            first = n;
        scratch.emplace_back();
        run.push_back(Encoded(*Cached(n), scratch.back()));
    }
    writeRun();
}

void PageFile::DiscardCache() {
    AwaitWrites();
    cache_.clear();
    cached_ = 0;
    order_.clear();
    dirty_.clear();
    journaled_.clear();
    grewInGroup_ = false;
    inStatement_ = false;
    savedCount_ = 0;
    std::uint64_t pages = file_.Size() / PageSize();
    pageCount_ = pageCountOnDisk_ =
        static_cast<std::uint32_t>(std::min<std::uint64_t>(pages, 0xFFFFFF));
    auto p0 = std::make_shared<Page>();
    p0->number = 0;
    p0->bytes = Load(0);
    Remember(p0);
}

}  // namespace accessdb

#pragma once
// The database file as numbered pages, read on demand through a cache. Pages come out decoded
// (page 0 unmasked, the others through the file's page codec: Jet page encoding, Office
// encryption) and go back encoded. Writing goes through
// Modify(), which marks a page dirty and, the first time a page changes within a statement,
// hands its original image to the journal so a statement can be rolled back; Flush() writes
// every dirty page.
#include <cstdint>
#include <list>
#include <memory>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "accessdb/Bytes.h"
#include "accessdb/FileHandle.h"
#include "accessdb/Format.h"
#include "accessdb/Header.h"
#include "accessdb/PageCodec.h"

namespace accessdb {

struct Page {
    std::uint32_t number = 0;
    std::vector<std::uint8_t> bytes;  // decoded; always exactly one page long
    Bytes View() const { return bytes; }
    MutableBytes Mutable() { return bytes; }
    std::uint8_t Type() const { return bytes[0]; }
};
using PageRef = std::shared_ptr<const Page>;
using MutablePageRef = std::shared_ptr<Page>;

// Records what a statement is about to change, so that it can be undone after a crash.
class PageJournal {
  public:
    virtual ~PageJournal() = default;
    // Called once per page and statement, before the first change, with the decoded original.
    virtual void BeforeFirstChange(std::uint32_t page, Bytes original) = 0;
    // Called once per statement before the file first grows, with the page count before it.
    virtual void BeforeGrow(std::uint32_t pageCountBefore) = 0;
};

// Discard: opened for writing, but every change stays in memory and the file is never written
// (a dry run).
enum class OpenMode { ReadOnly, ReadWrite, Discard };

class PageFile {
  public:
    // Opens the file and reads its header. Throws FileNotFound, NotDatabase (with the path).
    PageFile(const std::string& path, OpenMode mode);

    const std::string& Path() const { return file_.Path(); }
    const Format& format() const { return *header_.format; }
    const DatabaseHeader& Header() const { return header_; }
    std::uint32_t PageSize() const { return header_.format->pageSize; }
    std::uint32_t PageCount() const { return pageCount_; }
    bool Writable() const { return file_.Writable() || discard_; }
    // Changes are kept in memory only (OpenMode::Discard).
    bool Discarding() const { return discard_; }

    // Office-encrypted files: the codec the password unlocked; until then their pages after
    // page 0 cannot be read. (Jet page encoding needs no password and is set up on opening.)
    void SetCodec(std::unique_ptr<PageCodec> codec) { codec_ = std::move(codec); }
    // Whether bytes unchanged in a decoded page stay unchanged as stored (false under a block
    // cipher, where a change reaches from its block to the end of the page).
    bool StoredKeepsUnchangedBytes() const { return !codec_ || codec_->KeepsUnchangedBytes(); }

    // A decoded page. Throws Damaged for a page number outside the file.
    PageRef Read(std::uint32_t page);
    // The page for changing: marks it dirty and journals its original image first.
    MutablePageRef Modify(std::uint32_t page);
    // A new zeroed page at the end of the file (dirty); returns its number.
    MutablePageRef Append();

    // Statement boundaries for the journal: each page is journaled once per statement.
    void SetJournal(PageJournal* journal) { journal_ = journal; }
    void BeginStatement();
    void EndStatement();

    // Writes every dirty page (encoded) to the file; Sync() then makes it durable.
    void Flush();
    void Sync() {
        if (!discard_)
            file_.Sync();
    }
    // Drops every cached page, dirty ones included (after a rollback replaced the file's pages).
    void DiscardCache();
    FileHandle& File() { return file_; }

    // How many pages stay cached while clean; dirty pages stay until flushed.
    void SetCacheLimit(std::size_t pages) { cacheLimit_ = pages; }

  private:
    std::vector<std::uint8_t> Load(std::uint32_t page);
    void Store(const Page& page);
    // A decoded page turned into its bytes as stored in the file, in place.
    void ToStored(std::uint32_t page, MutableBytes bytes) const;
    // The cached page, loaded when needed; never evicted by its own loading.
    MutablePageRef Fetch(std::uint32_t page);
    void Remember(const MutablePageRef& page);
    void EvictClean(std::uint32_t keep);

    FileHandle file_;
    DatabaseHeader header_;
    std::unique_ptr<PageCodec> codec_;
    std::uint32_t pageCount_ = 0;
    std::uint32_t pageCountOnDisk_ = 0;
    std::unordered_map<std::uint32_t, MutablePageRef> cache_;
    std::list<std::uint32_t> order_;  // least recently loaded first (clean pages only matter)
    std::unordered_set<std::uint32_t> dirty_;
    std::unordered_set<std::uint32_t> journaled_;
    bool grewInStatement_ = false;
    bool inStatement_ = false;
    bool discard_ = false;
    PageJournal* journal_ = nullptr;
    std::size_t cacheLimit_ = 4096;
};

}  // namespace accessdb

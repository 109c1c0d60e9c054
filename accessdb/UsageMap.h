#pragma once
// Usage maps: bit sets of page numbers, declared by a row on a data page. Inline maps (type 0)
// hold a start page and a bitmap in the row; reference maps (type 1) hold the numbers of bitmap
// pages (type 5), each covering (page size - 4) * 8 pages. Used for a table's owned and
// free-space pages, index pages, long-value pages and the file's global free-page map.
#include <algorithm>
#include <cstdint>
#include <functional>
#include <vector>

#include "accessdb/Bytes.h"
#include "accessdb/PageFile.h"

namespace accessdb {

class UsageMap {
  public:
    enum class Kind : std::uint8_t { Inline = 0, Reference = 1 };

    // Reads the map declared at `where`. Throws Damaged for a bad declaration.
    static UsageMap Load(PageFile& pages, RowPointer where);

    Kind kind() const { return kind_; }
    RowPointer Location() const { return where_; }
    // Inline maps: first page covered and the number of pages the bitmap covers.
    std::uint32_t InlineStart() const { return inlineStart_; }
    std::uint32_t InlineSpan() const { return static_cast<std::uint32_t>(inlineBits_.size() * 8); }
    // Reference maps: bitmap page of each slot (0 = none yet).
    const std::vector<std::uint32_t>& BitmapPages() const { return bitmapPages_; }
    std::uint32_t PagesPerBitmapPage() const { return pagesPerBitmap_; }

    // Every page in the map, ascending, limited to pages that exist in the file.
    std::vector<std::uint32_t> Pages() const { return pages_; }
    bool Contains(std::uint32_t page) const;
    // The first page the map claims at or past the file's end (0: none). Such a claim is no
    // page yet, but the file's growth would hand that page to this map's owner as well.
    std::uint32_t FirstPageBeyondEnd() const { return firstBeyondEnd_; }

    // Setting or clearing one page's bit where the map already covers it (inline window or an
    // allocated bitmap page). Returns false when the page lies outside what the map covers:
    // the writer then moves the window or promotes the map to a reference map.
    bool Set(PageFile& pages, std::uint32_t page, bool present);

    // Adds or removes a page wherever it lies: an inline map whose window cannot cover the page
    // moves its window when all its pages still fit, or else becomes a reference map; a
    // reference map gets the bitmap page it lacks. New bitmap pages come from `allocate`
    // (by default appended to the file; the writer passes its own allocator so that the free
    // page map stays right). Throws Constraint when a reference map has no slot left.
    using PageAllocator = std::function<MutablePageRef()>;
    void Update(PageFile& pages, std::uint32_t page, bool present,
                const PageAllocator& allocate = {});

  private:
    void NoteBeyondEnd(std::uint64_t page) {
        const auto p = static_cast<std::uint32_t>(std::min<std::uint64_t>(page, 0xFFFFFFFFu));
        if (firstBeyondEnd_ == 0 || p < firstBeyondEnd_)
            firstBeyondEnd_ = p;
    }
    std::vector<std::uint32_t> InlineSetPages() const;  // every set bit, beyond the file's end too
    void WriteInline(PageFile& pages);
    void AddBitmapPage(PageFile& pages, std::size_t slot, const PageAllocator& allocate);

    RowPointer where_;
    Kind kind_ = Kind::Inline;
    std::uint16_t rowStart_ = 0;  // byte range of the declaration row on its page
    std::uint16_t rowEnd_ = 0;
    std::uint32_t inlineStart_ = 0;
    std::vector<std::uint8_t> inlineBits_;
    std::vector<std::uint32_t> bitmapPages_;
    std::uint32_t pagesPerBitmap_ = 0;
    std::vector<std::uint32_t> pages_;
    std::uint32_t firstBeyondEnd_ = 0;
};

}  // namespace accessdb

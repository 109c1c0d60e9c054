#include "accessdb/index/StoredLeaf.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "accessdb/Error.h"
#include "accessdb/index/IndexPage.h"

namespace accessdb {

namespace {

constexpr std::size_t kPointerBytes = 4;  // data page (3 bytes, big-endian) and row

int CompareBytes(const std::uint8_t* a, std::size_t aSize, const std::uint8_t* b,
                 std::size_t bSize) {
    const std::size_t common = std::min(aSize, bSize);
    if (common > 0) {
        if (const int c = std::memcmp(a, b, common); c != 0)
            return c < 0 ? -1 : 1;
    }
    if (aSize != bSize)
        return aSize < bSize ? -1 : 1;
    return 0;
}

bool AllZero(const std::uint8_t* bytes, std::size_t size) {
    std::size_t i = 0;
    std::uint64_t any = 0;
    for (; i + 8 <= size; i += 8)
        any |= LoadU64(bytes + i);
    for (; i < size; ++i)
        any |= bytes[i];
    return any == 0;
}

}  // namespace

bool StoredLeaf::Read(Bytes page, const Format& format, std::uint32_t owner) {
    format_ = &format;
    layout_ = &scratch_;
    memoPage_ = nullptr;
    entries_ = page.data() + format.indexFirstEntry;
    return Parse(page, format, owner, scratch_);
}

bool StoredLeaf::Read(const Page& page, const Format& format, std::uint32_t owner) {
    format_ = &format;
    entries_ = page.bytes.data() + format.indexFirstEntry;
    memoPage_ = &page;
    if (auto* known = dynamic_cast<Layout*>(page.memo.get());
        known != nullptr && page.memoVersion == page.version && known->owner == owner) {
#ifndef NDEBUG
        // Debug builds prove the memo says what the bytes say.
        Layout fresh;
        const bool valid = Parse(page.View(), format, owner, fresh);
        if (valid != known->valid ||
            (valid && (fresh.ends != known->ends || fresh.prefix != known->prefix ||
                       fresh.used != known->used || fresh.next != known->next)))
            ThrowDamaged("the remembered layout of index page " + std::to_string(page.number) +
                         " differs from its bytes");
#endif
        layout_ = known;
        return known->valid;
    }
    // A page not in the engine's form is remembered as such too: it goes to the decoding path
    // on every insert, and need not be checked each time.
    auto layout = std::make_unique<Layout>();
    layout->valid = Parse(page.View(), format, owner, *layout);
    layout_ = layout.get();
    page.memo = std::move(layout);
    page.memoVersion = page.version;
    return layout_->valid;
}

bool StoredLeaf::Parse(Bytes page, const Format& format, std::uint32_t owner, Layout& into) const {
    into.ends.clear();
    into.owner = owner;
    if (page.size() != format.pageSize || page[0] != kPageIndexLeaf || page[1] != 0x01 ||
        LoadU32(page.data() + 4) != owner || LoadU32(page.data() + format.indexTailPage) != 0)
        return false;
    const std::size_t room = format.pageSize - format.indexFirstEntry;
    const std::size_t free = LoadU16(page.data() + 2);
    if (free > room)
        return false;
    const std::size_t used = room - free;
    if (used == 0 || used > IndexPageCapacity(format))
        return false;
    const std::size_t prefix = format.indexPrefixLengthSize == 2
                                   ? LoadU16(page.data() + format.indexPrefixLength)
                                   : page[format.indexPrefixLength];
    into.used = used;
    into.prefix = prefix;
    into.next = LoadU32(page.data() + format.indexNextPage);
    const std::uint8_t* entries = page.data() + format.indexFirstEntry;
    // Entry ends from the bitmap (bit n: an entry ends n bytes after the first one starts);
    // none may lie past the last entry, and the bytes after it are zero.
    const std::uint8_t* bitmap = page.data() + format.indexBitmap;
    const std::size_t bitmapBytes = format.indexFirstEntry - format.indexBitmap;
    const std::size_t lastByte = used / 8;
    if (lastByte >= bitmapBytes || (static_cast<unsigned>(bitmap[lastByte]) >> (used % 8)) != 1u)
        return false;  // the last entry must end exactly at the used length
    // Eight bitmap bytes at a time; the bits past the used length are zero (checked above for
    // its own byte, below for the bytes after it).
    // Room for the ends found and some more, for the inserts to come (a page's layout is kept
    // as long as its page is cached: reserving for the most entries a page can hold would take
    // several times the memory).
    std::size_t count = 0;
    for (std::size_t byte = 0; byte <= lastByte; ++byte)
        count += static_cast<std::size_t>(std::popcount(static_cast<unsigned>(bitmap[byte])));
    std::vector<std::uint16_t>& ends = into.ends;
    ends.reserve(count + count / 8 + 4);
    for (std::size_t byte = 0; byte <= lastByte; byte += 8) {
        std::uint8_t word[8] = {};
        std::memcpy(word, bitmap + byte, std::min<std::size_t>(8, lastByte + 1 - byte));
        std::uint64_t bits = LoadU64(word);
        for (; bits != 0; bits &= bits - 1)
            ends.push_back(static_cast<std::uint16_t>(byte * 8 + std::countr_zero(bits)));
    }
    if (!AllZero(bitmap + lastByte + 1, bitmapBytes - lastByte - 1) ||
        !AllZero(entries + used, room - used))
        return false;
    // Every entry holds its own pointers; the first holds the shared prefix too.
    if (ends.empty() || ends[0] < prefix + kPointerBytes)
        return false;
    for (std::size_t i = 1; i < ends.size(); ++i) {
        if (static_cast<std::size_t>(ends[i] - ends[i - 1]) < kPointerBytes)
            return false;
    }
    // The stored prefix is the whole of what the first and last keys share, as encoding writes
    // it (a single entry shares all of its key with itself).
    const std::size_t firstSize = ends[0] - kPointerBytes;
    if (ends.size() == 1)
        return prefix == firstSize;
    const std::size_t lastOwn = ends[ends.size() - 2];
    const std::size_t lastOwnSize = ends.back() - kPointerBytes - lastOwn;
    return !(prefix < firstSize && lastOwnSize > 0 && entries[prefix] == entries[lastOwn]);
}

int StoredLeaf::Compare(std::size_t i, Key key, std::uint32_t rowPage, std::uint8_t row) const {
    const std::size_t own = i == 0 ? layout_->prefix : Start(i);
    const std::size_t keyEnd = layout_->ends[i] - kPointerBytes;
    if (const int c = CompareBytes(entries_ + own, keyEnd - own, key.data() + layout_->prefix,
                                   key.size() - layout_->prefix);
        c != 0)
        return c;
    const std::uint8_t* pointer = entries_ + keyEnd;
    const std::uint32_t page = (static_cast<std::uint32_t>(pointer[0]) << 16) |
                               (static_cast<std::uint32_t>(pointer[1]) << 8) | pointer[2];
    if (page != rowPage)
        return page < rowPage ? -1 : 1;
    if (pointer[3] != row)
        return pointer[3] < row ? -1 : 1;
    return 0;
}

std::size_t StoredLeaf::LowerBound(Key key, std::uint32_t rowPage, std::uint8_t row) const {
    // Every key on the page starts with the shared prefix: a key that does not sorts wholly
    // before or after them.
    const std::size_t common = std::min(key.size(), layout_->prefix);
    const int byPrefix = common == 0 ? 0 : std::memcmp(key.data(), entries_, common);
    if (byPrefix < 0 || (byPrefix == 0 && key.size() < layout_->prefix))
        return 0;
    if (byPrefix > 0)
        return Count();
    // Keys that keep growing land after the last entry: try that before halving.
    if (Compare(Count() - 1, key, rowPage, row) < 0)
        return Count();
    std::size_t low = 0;
    std::size_t high = Count() - 1;  // entry `high` does not sort below
    while (low < high) {
        const std::size_t middle = low + (high - low) / 2;
        if (Compare(middle, key, rowPage, row) < 0)
            low = middle + 1;
        else
            high = middle;
    }
    return low;
}

bool StoredLeaf::KeyEquals(std::size_t i, Key key) const {
    const std::size_t own = i == 0 ? layout_->prefix : Start(i);
    const std::size_t ownSize = layout_->ends[i] - kPointerBytes - own;
    return key.size() == layout_->prefix + ownSize &&
           std::memcmp(key.data(), entries_, layout_->prefix) == 0 &&
           (ownSize == 0 ||
            std::memcmp(key.data() + layout_->prefix, entries_ + own, ownSize) == 0);
}

bool StoredLeaf::CanInsert(std::size_t position, Key key) const {
    if (position == 0 || position > Count() || key.size() < layout_->prefix ||
        std::memcmp(key.data(), entries_, layout_->prefix) != 0)
        return false;
    if (position == Count()) {
        // A new last entry: it must share exactly the prefix with the first.
        const Key first = FirstKey();
        if (layout_->prefix < first.size() && layout_->prefix < key.size() &&
            first[layout_->prefix] == key[layout_->prefix])
            return false;
    }
    return layout_->used + key.size() - layout_->prefix + kPointerBytes <=
           IndexPageCapacity(*format_);
}

std::array<ByteRange, 3> StoredLeaf::InsertParts(std::size_t position, Key key) const {
    const Format& format = *format_;
    const std::size_t added = key.size() - layout_->prefix + kPointerBytes;
    const std::size_t offset = Start(position);
    const std::size_t end = layout_->used + added;  // the entries' new end
    return {ByteRange{2, 2}, ByteRange{format.indexBitmap + offset / 8, end / 8 - offset / 8 + 1},
            ByteRange{format.indexFirstEntry + offset, end - offset}};
}

void StoredLeaf::Insert(Page& page, std::size_t position, Key key, std::uint32_t rowPage,
                        std::uint8_t row) {
    const Format& format = *format_;
    Layout& layout = *layout_;
    std::vector<std::uint16_t>& ends = layout.ends;
    std::uint8_t* entries = page.bytes.data() + format.indexFirstEntry;
    std::uint8_t* bitmap = page.bytes.data() + format.indexBitmap;
    const std::size_t added = key.size() - layout.prefix + kPointerBytes;
    const std::size_t offset = Start(position);
    std::memmove(entries + offset + added, entries + offset, layout.used - offset);
    std::uint8_t* out = entries + offset;
    if (key.size() > layout.prefix)
        std::memcpy(out, key.data() + layout.prefix, key.size() - layout.prefix);
    out += key.size() - layout.prefix;
    out[0] = static_cast<std::uint8_t>(rowPage >> 16);
    out[1] = static_cast<std::uint8_t>(rowPage >> 8);
    out[2] = static_cast<std::uint8_t>(rowPage);
    out[3] = row;
    // The ends after the insertion point move along by the entry's size.
    for (std::size_t i = position; i < ends.size(); ++i) {
        const std::size_t end = ends[i];
        bitmap[end / 8] &= static_cast<std::uint8_t>(~(1u << (end % 8)));
    }
    const auto mark = [&](std::size_t end) {
        bitmap[end / 8] |= static_cast<std::uint8_t>(1u << (end % 8));
    };
    mark(offset + added);
    for (std::size_t i = position; i < ends.size(); ++i) {
        ends[i] = static_cast<std::uint16_t>(ends[i] + added);
        mark(ends[i]);
    }
    ends.insert(ends.begin() + static_cast<std::ptrdiff_t>(position),
                static_cast<std::uint16_t>(offset + added));
    layout.used += added;
    StoreU16(page.bytes.data() + 2,
             static_cast<std::uint16_t>(format.pageSize - format.indexFirstEntry - layout.used));
    if (memoPage_ == &page && page.memo.get() == layout_) {
        page.memoVersion = page.version;  // the memo now says what the changed page says
    } else {
        ends.clear();  // Read() must look again
    }
}

}  // namespace accessdb

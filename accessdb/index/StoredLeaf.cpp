#include "accessdb/index/StoredLeaf.h"

#include <algorithm>
#include <bit>
#include <cstring>

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
    count_ = 0;
    if (page.size() != format.pageSize || page[0] != kPageIndexLeaf || page[1] != 0x01 ||
        LoadU32(page.data() + 4) != owner || LoadU32(page.data() + format.indexTailPage) != 0)
        return false;
    const std::size_t room = format.pageSize - format.indexFirstEntry;
    const std::size_t free = LoadU16(page.data() + 2);
    if (free > room)
        return false;
    used_ = room - free;
    if (used_ == 0 || used_ > IndexPageCapacity(format))
        return false;
    prefix_ = format.indexPrefixLengthSize == 2 ? LoadU16(page.data() + format.indexPrefixLength)
                                                : page[format.indexPrefixLength];
    next_ = LoadU32(page.data() + format.indexNextPage);
    entries_ = page.data() + format.indexFirstEntry;
    // Entry ends from the bitmap (bit n: an entry ends n bytes after the first one starts);
    // none may lie past the last entry, and the bytes after it are zero.
    const std::uint8_t* bitmap = page.data() + format.indexBitmap;
    const std::size_t bitmapBytes = format.indexFirstEntry - format.indexBitmap;
    const std::size_t lastByte = used_ / 8;
    if (lastByte >= bitmapBytes ||
        (static_cast<unsigned>(bitmap[lastByte]) >> (used_ % 8)) != 1u)
        return false;  // the last entry must end exactly at the used length
    // Eight bitmap bytes at a time; the bits past the used length are zero (checked above for
    // its own byte, below for the bytes after it).
    count_ = 0;
    for (std::size_t byte = 0; byte <= lastByte; byte += 8) {
        std::uint8_t word[8] = {};
        std::memcpy(word, bitmap + byte, std::min<std::size_t>(8, lastByte + 1 - byte));
        std::uint64_t bits = LoadU64(word);
        for (; bits != 0; bits &= bits - 1) {
            if (count_ == kMaxEntries)
                return false;
            ends_[count_++] = static_cast<std::uint16_t>(byte * 8 + std::countr_zero(bits));
        }
    }
    if (!AllZero(bitmap + lastByte + 1, bitmapBytes - lastByte - 1) ||
        !AllZero(entries_ + used_, room - used_))
        return false;
    // Every entry holds its own pointers; the first holds the shared prefix too.
    if (count_ == 0 || ends_[0] < prefix_ + kPointerBytes)
        return false;
    for (std::size_t i = 1; i < count_; ++i) {
        if (static_cast<std::size_t>(ends_[i] - ends_[i - 1]) < kPointerBytes)
            return false;
    }
    // The stored prefix is the whole of what the first and last keys share, as encoding writes
    // it (a single entry shares all of its key with itself).
    const Key first = FirstKey();
    if (Count() == 1)
        return prefix_ == first.size();
    const std::size_t lastOwn = Start(Count() - 1);
    const std::size_t lastOwnSize = ends_[count_ - 1] - kPointerBytes - lastOwn;
    return !(prefix_ < first.size() && lastOwnSize > 0 && first[prefix_] == entries_[lastOwn]);
}

int StoredLeaf::Compare(std::size_t i, Key key, std::uint32_t rowPage, std::uint8_t row) const {
    const std::size_t own = i == 0 ? prefix_ : Start(i);
    const std::size_t keyEnd = ends_[i] - kPointerBytes;
    if (const int c =
            CompareBytes(entries_ + own, keyEnd - own, key.data() + prefix_, key.size() - prefix_);
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
    const std::size_t common = std::min(key.size(), prefix_);
    const int byPrefix = common == 0 ? 0 : std::memcmp(key.data(), entries_, common);
    if (byPrefix < 0 || (byPrefix == 0 && key.size() < prefix_))
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
    const std::size_t own = i == 0 ? prefix_ : Start(i);
    const std::size_t ownSize = ends_[i] - kPointerBytes - own;
    return key.size() == prefix_ + ownSize && std::memcmp(key.data(), entries_, prefix_) == 0 &&
           (ownSize == 0 || std::memcmp(key.data() + prefix_, entries_ + own, ownSize) == 0);
}

bool StoredLeaf::CanInsert(std::size_t position, Key key) const {
    if (position == 0 || position > Count() || key.size() < prefix_ ||
        std::memcmp(key.data(), entries_, prefix_) != 0)
        return false;
    if (position == Count()) {
        // A new last entry: it must share exactly the prefix with the first.
        const Key first = FirstKey();
        if (prefix_ < first.size() && prefix_ < key.size() && first[prefix_] == key[prefix_])
            return false;
    }
    return used_ + key.size() - prefix_ + kPointerBytes <= IndexPageCapacity(*format_);
}

void StoredLeaf::Insert(MutableBytes page, std::size_t position, Key key, std::uint32_t rowPage,
                        std::uint8_t row) {
    const Format& format = *format_;
    std::uint8_t* entries = page.data() + format.indexFirstEntry;
    std::uint8_t* bitmap = page.data() + format.indexBitmap;
    const std::size_t added = key.size() - prefix_ + kPointerBytes;
    const std::size_t offset = Start(position);
    std::memmove(entries + offset + added, entries + offset, used_ - offset);
    std::uint8_t* out = entries + offset;
    if (key.size() > prefix_)
        std::memcpy(out, key.data() + prefix_, key.size() - prefix_);
    out += key.size() - prefix_;
    out[0] = static_cast<std::uint8_t>(rowPage >> 16);
    out[1] = static_cast<std::uint8_t>(rowPage >> 8);
    out[2] = static_cast<std::uint8_t>(rowPage);
    out[3] = row;
    // The ends after the insertion point move along by the entry's size.
    for (std::size_t i = position; i < Count(); ++i) {
        const std::size_t end = ends_[i];
        bitmap[end / 8] &= static_cast<std::uint8_t>(~(1u << (end % 8)));
    }
    const auto mark = [&](std::size_t end) {
        bitmap[end / 8] |= static_cast<std::uint8_t>(1u << (end % 8));
    };
    mark(offset + added);
    for (std::size_t i = position; i < Count(); ++i)
        mark(ends_[i] + added);
    StoreU16(page.data() + 2,
             static_cast<std::uint16_t>(format.pageSize - format.indexFirstEntry - used_ - added));
    count_ = 0;
}

}  // namespace accessdb

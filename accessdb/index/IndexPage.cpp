#include "accessdb/index/IndexPage.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <string>

namespace accessdb {

namespace {

// One entry's stored bytes at `out`: its key less the `skip` bytes it shares with the page's
// first entry, the three-byte data page and row number, and on node pages the child page.
void StoreEntry(std::uint8_t* out, const IndexEntry& entry, std::size_t skip, bool leaf) {
    std::memcpy(out, entry.key.data() + skip, entry.key.size() - skip);
    out += entry.key.size() - skip;
    out[0] = static_cast<std::uint8_t>(entry.rowPage >> 16);
    out[1] = static_cast<std::uint8_t>(entry.rowPage >> 8);
    out[2] = static_cast<std::uint8_t>(entry.rowPage);
    out[3] = entry.row;
    if (!leaf) {
        StoreU32BE(out + 4, entry.child);
    }
}

}  // namespace

int CompareEntries(const IndexEntry& a, const IndexEntry& b) {
    const std::size_t common = std::min(a.key.size(), b.key.size());
    if (common > 0) {
        const int c = std::memcmp(a.key.data(), b.key.data(), common);
        if (c != 0) {
            return c < 0 ? -1 : 1;
        }
    }
    if (a.key.size() != b.key.size()) {
        return a.key.size() < b.key.size() ? -1 : 1;
    }
    if (a.rowPage != b.rowPage) {
        return a.rowPage < b.rowPage ? -1 : 1;
    }
    if (a.row != b.row) {
        return a.row < b.row ? -1 : 1;
    }
    return 0;
}

std::size_t IndexPageContent::EntryBytes() const {
    std::size_t total = 0;
    for (const IndexEntry& entry : entries) {
        total += entry.StoredSize(leaf);
    }
    return total;
}

std::size_t IndexPageContent::PrefixLength() const {
    if (entries.empty()) {
        return 0;
    }
    const EntryKey& first = entries.front().key;
    const EntryKey& last = entries.back().key;
    const std::size_t limit = std::min(first.size(), last.size());
    std::size_t length = 0;
    while (length < limit && first[length] == last[length]) {
        ++length;
    }
    return length;
}

std::size_t IndexPageContent::StoredBytes() const {
    if (entries.empty()) {
        return 0;
    }
    return EntryBytes() - PrefixLength() * (entries.size() - 1);
}

std::size_t IndexPageCapacity(const Format& format) {
    const std::size_t bitmapBits = (format.indexFirstEntry - format.indexBitmap) * 8;
    return std::min<std::size_t>(format.pageSize - format.indexFirstEntry, bitmapBits);
}

IndexPageContent DecodeIndexPage(const Page& source, const Format& format) {
    const Bytes page = source.View();
    // Built only for a message: decoding sits on the insert path.
    const auto where = [&] { return "index page " + std::to_string(source.number); };
    IndexPageContent content;
    if (page[0] != kPageIndexLeaf && page[0] != kPageIndexNode) {
        ThrowDamaged("page " + std::to_string(source.number) + " is not an index page (type " +
                     std::to_string(page[0]) + ")");
    }
    content.leaf = page[0] == kPageIndexLeaf;
    content.owner = LoadU32(page.data() + 4);
    content.prev = LoadU32(page.data() + format.indexPrevPage);
    content.next = LoadU32(page.data() + format.indexNextPage);
    content.tail = LoadU32(page.data() + format.indexTailPage);
    if (!format.jet3) {
        content.unknown8 = LoadU32(page.data() + 8);
        content.unknown26 = page[26];
    }
    // Jet 3 keeps the prefix length in one byte (the next byte is 1 on node pages).
    const std::size_t prefixLength = format.indexPrefixLengthSize == 2
                                         ? LoadU16(page.data() + format.indexPrefixLength)
                                         : page[format.indexPrefixLength];
    const std::size_t bitmapBytes = format.indexFirstEntry - format.indexBitmap;
    const std::size_t pointerBytes = content.leaf ? 4 : 8;
    const std::uint8_t* bitmap = page.data() + format.indexBitmap;
    const std::uint8_t* first = page.data() + format.indexFirstEntry;
    std::size_t count = 0;
    std::size_t i = 0;
    for (; i + 8 <= bitmapBytes; i += 8) {
        count += static_cast<std::size_t>(std::popcount(LoadU64(bitmap + i)));
    }
    for (; i < bitmapBytes; ++i) {
        count += static_cast<std::size_t>(std::popcount(bitmap[i]));
    }
    // Room for a few more: a decoded page is mostly decoded to take one more entry.
    content.entries.reserve(count + 8);
    std::size_t prefix = 0;  // known once the first entry is read
    std::size_t start = 0;
    // Bit n set: an entry ends n bytes after the first entry's start.
    for (std::size_t byte = 0; byte < bitmapBytes; ++byte) {
        for (unsigned bits = bitmap[byte]; bits != 0; bits &= bits - 1) {
            const std::size_t end = byte * 8 + static_cast<std::size_t>(std::countr_zero(bits));
            if (format.indexFirstEntry + end > page.size()) {
                ThrowDamaged("an entry on " + where() + " lies outside the page");
            }
            // Entries after the first leave out the prefix they share with it.
            const bool isFirst = content.entries.empty();
            const std::size_t shared = isFirst ? 0 : prefix;
            const std::size_t rawLength = shared + (end - start);
            if (isFirst) {
                if (prefixLength > rawLength) {
                    ThrowDamaged(where() + " has a prefix longer than its first entry");
                }
                prefix = prefixLength;
            }
            if (rawLength < pointerBytes) {
                ThrowDamaged("an entry on " + where() + " is shorter than its pointers");
            }
            IndexEntry entry;
            const std::size_t keyLength = rawLength - pointerBytes;
            // The key: the shared prefix (the first entry's first bytes, stored whole at the
            // start), then this entry's own bytes.
            entry.key.Resize(keyLength);
            const std::size_t fromPrefix = std::min(shared, keyLength);
            if (fromPrefix > 0) {
                std::memcpy(entry.key.data(), first, fromPrefix);
            }
            if (keyLength > fromPrefix) {
                std::memcpy(entry.key.data() + fromPrefix, first + start, keyLength - fromPrefix);
            }
            // The pointers: the entry's last bytes (they reach into the prefix only for an
            // entry made almost wholly of it).
            std::uint8_t pointer[8];
            for (std::size_t k = 0; k < pointerBytes; ++k) {
                const std::size_t at = keyLength + k;
                pointer[k] = at < shared ? first[at] : first[start + at - shared];
            }
            entry.rowPage = (static_cast<std::uint32_t>(pointer[0]) << 16) |
                            (static_cast<std::uint32_t>(pointer[1]) << 8) | pointer[2];
            entry.row = pointer[3];
            if (!content.leaf) {
                entry.child = LoadU32BE(pointer + 4);
            }
            content.entries.push_back(std::move(entry));
            start = end;
        }
    }
    return content;
}

std::vector<std::uint32_t> IndexPageContent::Children() const {
    std::vector<std::uint32_t> out;
    for (const IndexEntry& entry : entries) {
        out.push_back(entry.child);
    }
    if (tail != 0) {
        out.push_back(tail);
    }
    return out;
}

void EncodeIndexPage(const IndexPageContent& content, MutableBytes page, const Format& format) {
    std::fill(page.begin(), page.end(), 0);
    page[0] = content.leaf ? kPageIndexLeaf : kPageIndexNode;
    page[1] = 0x01;
    StoreU32(page.data() + 4, content.owner);
    StoreU32(page.data() + format.indexPrevPage, content.prev);
    StoreU32(page.data() + format.indexNextPage, content.next);
    StoreU32(page.data() + format.indexTailPage, content.leaf ? 0 : content.tail);
    if (!format.jet3) {
        StoreU32(page.data() + 8, content.unknown8);
        page[26] = content.unknown26;
    } else if (!content.leaf) {
        page[format.indexPrefixLength + 1] = 0x01;  // what Access 97 keeps on node pages
    }
    const std::size_t prefix = content.PrefixLength();
    if (format.indexPrefixLengthSize == 2) {
        StoreU16(page.data() + format.indexPrefixLength, static_cast<std::uint16_t>(prefix));
    } else {
        page[format.indexPrefixLength] = static_cast<std::uint8_t>(prefix);
    }
    std::size_t used = 0;
    bool first = true;
    for (const IndexEntry& entry : content.entries) {
        std::uint8_t* out = page.data() + format.indexFirstEntry + used;
        const std::size_t skip = first ? 0 : prefix;
        StoreEntry(out, entry, skip, content.leaf);
        used += entry.StoredSize(content.leaf) - skip;
        first = false;
        page[format.indexBitmap + used / 8] |= static_cast<std::uint8_t>(1u << (used % 8));
    }
    StoreU16(page.data() + 2,
             static_cast<std::uint16_t>(format.pageSize - format.indexFirstEntry - used));
}

}  // namespace accessdb

namespace accessdb {

namespace {

// Clears the entry-end bits for the byte offsets from..to (both included).
void ClearEndBits(std::uint8_t* bitmap, std::size_t from, std::size_t to) {
    for (std::size_t bit = from; bit <= to;) {
        if (bit % 8 == 0 && bit + 7 <= to) {
            bitmap[bit / 8] = 0;
            bit += 8;
        } else {
            bitmap[bit / 8] &= static_cast<std::uint8_t>(~(1u << (bit % 8)));
            ++bit;
        }
    }
}

}  // namespace

bool InsertEncodedEntry(const IndexPageContent& content, std::size_t index, std::size_t prefix,
                        MutableBytes page, const Format& format) {
    const std::size_t count = content.entries.size();
    if (!content.encoded || index == 0 || index >= count || count < 2) {
        return false;
    }
    const IndexEntry& entry = content.entries[index];
    const std::size_t pointerBytes = content.leaf ? 4 : 8;
    if (entry.key.size() < prefix) {
        return false;
    }
    const std::size_t room = format.pageSize - format.indexFirstEntry;
    const std::size_t oldUsed = room - LoadU16(page.data() + 2);
    const std::size_t added = entry.key.size() - prefix + pointerBytes;
    const std::size_t newUsed = oldUsed + added;
    if (oldUsed > room || newUsed > IndexPageCapacity(format)) {
        return false;
    }
    // Where the entry goes: after the first entry (stored whole) and the others before it, or
    // before the entries after it, whichever are fewer to count (appends come at the end).
    std::size_t after = 0;  // bytes of the entries after it
    std::size_t offset = 0;
    if (index > count / 2) {
        for (std::size_t i = index + 1; i < count; ++i) {
            after += content.entries[i].StoredSize(content.leaf) - prefix;
        }
        if (after > oldUsed) {
            return false;
        }
        offset = oldUsed - after;
    } else {
        offset = content.entries[0].StoredSize(content.leaf);
        for (std::size_t i = 1; i < index; ++i) {
            offset += content.entries[i].StoredSize(content.leaf) - prefix;
        }
        if (offset > oldUsed) {
            return false;
        }
    }
    std::uint8_t* entries = page.data() + format.indexFirstEntry;
    std::memmove(entries + offset + added, entries + offset, oldUsed - offset);
    std::uint8_t* out = entries + offset;
    StoreEntry(out, entry, prefix, content.leaf);
    // The end bits after the insertion point move along by the entry's size.
    std::uint8_t* bitmap = page.data() + format.indexBitmap;
    if (oldUsed > offset) {
        ClearEndBits(bitmap, offset + 1, oldUsed);
    }
    std::size_t end = offset;
    for (std::size_t i = index; i < count; ++i) {
        end += content.entries[i].StoredSize(content.leaf) - prefix;
        bitmap[end / 8] |= static_cast<std::uint8_t>(1u << (end % 8));
    }
    StoreU16(page.data() + 2, static_cast<std::uint16_t>(room - newUsed));
    return true;
}

}  // namespace accessdb

#include "accessdb/write/DataPageWriter.h"

#include <cstring>

namespace accessdb {

namespace {
constexpr std::size_t kFreeSpace = 2;
constexpr std::size_t kOwner = 4;
}  // namespace

void InitDataPage(MutableBytes page, const Format& format, std::uint32_t owner) {
    // The page comes zeroed (PageAllocator::NewPage, a new page image): a table's import fills
    // a new page every few dozen rows, and zeroing it again was a measurable share of it.
    page[0] = kPageData;
    page[1] = 0x01;
    StoreU16(page.data() + kFreeSpace, format.dataInitialFreeSpace);
    StoreU32(page.data() + kOwner, owner);
}

void InitLongValuePage(MutableBytes page, const Format& format) {
    InitDataPage(page, format, 0);
    std::memcpy(page.data() + kOwner, "LVAL", 4);
}

// Where the page's last row starts (the page end when it has none); 0 when the offset table
// is inconsistent, so that nothing fits.
static std::size_t LowestRowStart(Bytes page, const Format& format, std::uint16_t rows) {
    if (rows == 0) {
        return page.size();
    }
    const std::size_t slot = format.dataFirstRowOffset + 2u * (rows - 1u);
    if (slot + 2 > page.size()) {
        return 0;
    }
    return LoadU16(page.data() + slot) & kRowOffsetMask;
}

bool RowFits(Bytes page, const Format& format, std::size_t length) {
    const std::uint16_t rows = LoadU16(page.data() + format.dataRowCountOffset);
    if (rows >= kMaxRowsPerDataPage) {
        return false;
    }
    const std::size_t freeSpace = LoadU16(page.data() + kFreeSpace);
    if (length + 2 > freeSpace) {
        return false;
    }
    const std::size_t lowest = LowestRowStart(page, format, rows);
    const std::size_t tableEnd = format.dataFirstRowOffset + 2u * (rows + 1u);
    return lowest >= length && lowest - length >= tableEnd;
}

std::array<ByteRange, 4> AppendRowParts(Bytes page, const Format& format, std::size_t length) {
    const std::uint16_t rows = LoadU16(page.data() + format.dataRowCountOffset);
    const std::size_t start = LowestRowStart(page, format, rows) - length;
    return {ByteRange{kFreeSpace, 2}, ByteRange{format.dataRowCountOffset, 2},
            ByteRange{format.dataFirstRowOffset + 2u * rows, 2}, ByteRange{start, length}};
}

std::uint8_t AppendRow(MutableBytes page, const Format& format, Bytes row) {
    const std::uint16_t rows = LoadU16(page.data() + format.dataRowCountOffset);
    const std::size_t start = LowestRowStart(page, format, rows) - row.size();
    std::memcpy(page.data() + start, row.data(), row.size());
    StoreU16(page.data() + format.dataFirstRowOffset + 2u * rows,
             static_cast<std::uint16_t>(start));
    StoreU16(page.data() + format.dataRowCountOffset, static_cast<std::uint16_t>(rows + 1));
    const std::uint16_t freeSpace = LoadU16(page.data() + kFreeSpace);
    StoreU16(page.data() + kFreeSpace, static_cast<std::uint16_t>(freeSpace - row.size() - 2));
    return static_cast<std::uint8_t>(rows);
}

}  // namespace accessdb

#include "accessdb/create/Skeleton.h"

#include <algorithm>
#include <map>

#include "accessdb/create/HeaderPage.h"
#include "accessdb/index/IndexPage.h"
#include "accessdb/write/DataPageWriter.h"

namespace accessdb::create {

namespace {

// Usage-map declarations, packed onto as many data pages as they need.
class MapPages {
  public:
    MapPages(const Format& format, std::vector<std::vector<std::uint8_t>>& pages)
        : format_(format), pages_(pages) {}

    RowPointer Add() {
        // Inline, from page 0, empty; as long as the engine of the format writes them.
        const std::vector<std::uint8_t> row(format_.usageMapRowSize, 0);
        if (current_ == 0 || !RowFits(pages_[current_], format_, row.size())) {
            current_ = static_cast<std::uint32_t>(pages_.size());
            pages_.emplace_back(format_.pageSize, 0);
            InitDataPage(pages_[current_], format_, 0);
        }
        return RowPointer{current_, AppendRow(pages_[current_], format_, row)};
    }

  private:
    const Format& format_;
    std::vector<std::vector<std::uint8_t>>& pages_;
    std::uint32_t current_ = 0;
};

// Page 1: the file's map of free pages (every page from the end of the file to the end of the
// map's window is free) and a second, empty row the engine keeps beside it.
std::vector<std::uint8_t> GlobalMapPage(const Format& format, std::uint32_t pageCount) {
    std::vector<std::uint8_t> page(format.pageSize, 0);
    InitDataPage(page, format, kGlobalUsageMapPage);
    std::vector<std::uint8_t> row(format.usageMapRowSize, 0);
    const std::size_t inlineBits = (format.usageMapRowSize - 5) * 8;
    for (std::uint32_t p = pageCount; p < inlineBits; ++p) {
        row[5 + p / 8] |= static_cast<std::uint8_t>(1u << (p % 8));
    }
    AppendRow(page, format, row);
    AppendRow(page, format, std::vector<std::uint8_t>(format.usageMapRowSize, 0));
    return page;
}

}  // namespace

Skeleton BuildSkeleton(const Format& format, const TargetFacts& facts, SortOrder sortOrder,
                       const std::string& password) {
    Skeleton s;
    for (const SystemTable& table : format.jet3 ? Jet3SystemTables() : SystemTables()) {
        if (format.ace || !table.aceOnly)
            s.tables.push_back(&table);
    }
    s.pages.push_back(BuildHeaderPage(format, facts, sortOrder, password));
    s.pages.emplace_back();  // page 1, filled last
    s.placements.resize(s.tables.size());
    for (TablePlacement& placement : s.placements) {
        placement.tdefPage = static_cast<std::uint32_t>(s.pages.size());
        s.pages.emplace_back();
    }

    MapPages maps(format, s.pages);
    for (std::size_t t = 0; t < s.tables.size(); ++t) {
        TablePlacement& placement = s.placements[t];
        // In the engine's order: the table's maps, its long-value columns' maps by column
        // number, then its indexes' maps. (The definition lists long-value maps in block order.)
        placement.ownedMap = maps.Add();
        placement.freeMap = maps.Add();
        const std::vector<SystemColumn>& columns = s.tables[t]->columns;
        std::vector<std::size_t> byNumber;
        for (std::size_t c = 0; c < columns.size(); ++c) {
            if (IsLongValueType(columns[c].type))
                byNumber.push_back(c);
        }
        std::sort(byNumber.begin(), byNumber.end(), [&](std::size_t a, std::size_t b) {
            return columns[a].number < columns[b].number;
        });
        std::map<std::size_t, std::pair<RowPointer, RowPointer>> longValueMaps;
        for (const std::size_t c : byNumber) {
            const RowPointer owned = maps.Add();
            longValueMaps[c] = {owned, maps.Add()};
        }
        for (const auto& [column, pair] : longValueMaps)
            placement.longValueMaps.push_back(pair);
        for (std::size_t i = 0; i < s.tables[t]->realIndexes.size(); ++i) {
            placement.indexMaps.push_back(maps.Add());
        }
    }

    // An empty index is a root leaf page without entries, recorded in the index's own map.
    for (std::size_t t = 0; t < s.tables.size(); ++t) {
        TablePlacement& placement = s.placements[t];
        for (const RowPointer map : placement.indexMaps) {
            const auto root = static_cast<std::uint32_t>(s.pages.size());
            placement.indexRoots.push_back(root);
            std::vector<std::uint8_t> page(format.pageSize, 0);
            IndexPageContent empty;
            empty.owner = placement.tdefPage;
            EncodeIndexPage(empty, page, format);
            s.pages.push_back(std::move(page));
            std::vector<std::uint8_t>& mapPage = s.pages[map.page];
            const std::size_t rowStart =
                LoadU16(mapPage.data() + format.dataFirstRowOffset + 2 * map.row) & kRowOffsetMask;
            mapPage[rowStart + 5 + root / 8] |= static_cast<std::uint8_t>(1u << (root % 8));
        }
    }

    for (std::size_t t = 0; t < s.tables.size(); ++t) {
        s.pages[s.placements[t].tdefPage] =
            BuildSystemTableDef(*s.tables[t], format, sortOrder, s.placements[t]);
    }
    s.pages[kGlobalUsageMapPage] =
        GlobalMapPage(format, static_cast<std::uint32_t>(s.pages.size()));
    return s;
}

}  // namespace accessdb::create

#include "accessdb/write/TableWriter.h"

#include <algorithm>
#include <cstring>

#include "accessdb/DataPage.h"
#include "accessdb/Error.h"
#include "accessdb/LongValue.h"
#include "accessdb/Text.h"
#include "accessdb/index/IndexRules.h"
#include "accessdb/index/IndexTree.h"
#include "accessdb/index/RowKey.h"
#include "accessdb/write/DataPageWriter.h"

namespace accessdb {

namespace {
constexpr std::size_t kMaxInlineLongValue = 64;

}  // namespace

TableWriter::TableWriter(PageFile& pages, PageAllocator& allocator,
                         std::shared_ptr<const TableDef> table)
    : pages_(pages),
      allocator_(allocator),
      table_(std::make_shared<TableDef>(*table)),
      owned_(UsageMap::Load(pages, table->ownedMap)),
      free_(UsageMap::Load(pages, table->freeMap)),
      newPage_([&allocator] { return allocator.NewPage(); }) {}

KeyBytes TableWriter::IndexKey(const RealIndex& index, const std::vector<Value>& values) const {
    return RowIndexKey(*table_, index, values, pages_.format());
}

std::vector<TableWriter::IndexState>& TableWriter::Indexes() {
    if (indexes_) {
        return *indexes_;
    }
    std::vector<IndexState> states;
    for (const RealIndex& index : table_->realIndexes) {
        RequireEncodableIndex(*table_, index, pages_.format());
        const bool primaryKey = BacksPrimaryKey(*table_, index);
        IndexState state{UsageMap::Load(pages_, index.ownedMap), index.Unique() || primaryKey,
                         primaryKey};
        states.push_back(std::move(state));
    }
    indexes_ = std::move(states);
    return *indexes_;
}

bool TableWriter::IndexHoldsKey(const RealIndex& index, const KeyBytes& key) {
    IndexTree tree(
        pages_, index.rootPage, table_->page,
        []() -> MutablePageRef { ThrowDamaged("an index lookup tried to add a page"); }, &nodes_);
    return tree.ContainsKey(key);
}

void TableWriter::InsertIndexEntry(std::size_t i, const KeyBytes& key, bool allNull,
                                   RowPointer where) {
    RealIndex& index = table_->realIndexes[i];
    IndexState& state = (*indexes_)[i];
    IndexTree tree(
        pages_, index.rootPage, table_->page,
        [&] {
            MutablePageRef fresh = allocator_.NewPage();
            state.owned.Update(pages_, fresh->number, true, newPage_);
            return fresh;
        },
        &nodes_);
    // Access lets a unique index hold any number of rows whose key columns are all Null.
    const bool unique = state.unique && !allNull;
    const IndexTree::InsertResult result = tree.Insert(key, where, unique);
    if (unique && result.duplicateKey) {
        ThrowDuplicateKey(*table_, index);
    }
    if (result.newKey) {
        ++index.uniqueEntryCount;
        const Format& format = pages_.format();
        MutablePageRef tdef = pages_.Modify(table_->page);
        StoreU32(tdef->bytes.data() + format.tdefVariablePart + format.indexCountBlockSize * i + 4,
                 index.uniqueEntryCount);
    }
}

std::uint32_t TableWriter::PageWithRoom(std::size_t length) {
    const Format& format = pages_.format();
    if (!searched_) {
        // Continue on the table's last page that has room (Access keeps it in both maps).
        searched_ = true;
        const std::vector<std::uint32_t> candidates = free_.Pages();
        for (auto it = candidates.rbegin(); it != candidates.rend(); ++it) {
            if (!owned_.Contains(*it)) {
                continue;
            }
            const PageRef page = pages_.Read(*it);
            const DataPage data(page->View(), format);
            if (data.IsData() && data.Owner() == table_->page && !data.IsLongValuePage()) {
                current_ = *it;
                break;
            }
        }
    }
    if (current_ != 0 && RowFits(pages_.Read(current_)->View(), format, length)) {
        return current_;
    }
    if (current_ != 0) {
        free_.Update(pages_, current_, false);
    }
    MutablePageRef fresh = allocator_.NewPage();
    InitDataPage(fresh->Mutable(), format, table_->page);
    current_ = fresh->number;
    owned_.Update(pages_, current_, true, newPage_);
    free_.Update(pages_, current_, true, newPage_);
    return current_;
}

void TableWriter::RaiseAutoNumber(std::int64_t value) {
    if (value <= static_cast<std::int64_t>(table_->autoNumber)) {
        return;
    }
    table_->autoNumber = static_cast<std::uint32_t>(value);
    MutablePageRef tdef = pages_.Modify(table_->page);
    StoreU32(tdef->bytes.data() + pages_.format().tdefAutoNumber, table_->autoNumber);
}

void TableWriter::StoreRowCount() {
    MutablePageRef tdef = pages_.Modify(table_->page);
    StoreU32(tdef->bytes.data() + pages_.format().tdefRowCount, table_->rowCount);
}

void TableWriter::StorePendingRowCount() {
    if (rowCountPending_) {
        StoreRowCount();
        rowCountPending_ = false;
    }
}

RowPointer TableWriter::Insert(const std::vector<StoredField>& fields,
                               const std::vector<Value>& values, bool deferCount) {
    const Format& format = pages_.format();
    // Every key first: a row an index refuses must not reach a page.
    std::vector<IndexState>& indexes = Indexes();
    keys_.assign(indexes.size(), std::nullopt);
    for (std::size_t i = 0; i < indexes.size(); ++i) {
        const RealIndex& index = table_->realIndexes[i];
        const bool allNull = AllKeyColumnsNull(*table_, index, values);
        RequireKeyValues(*table_, index, indexes[i].primaryKey, values);
        if (allNull && index.IgnoreNulls()) {
            continue;
        }
        keys_[i] = PendingKey{IndexKey(index, values), allNull};
    }
    EncodeRow(*table_, format, fields, rowBuffer_, rowScratch_);
    const std::uint32_t pageNumber = PageWithRoom(rowBuffer_.size());
    MutablePageRef page = pages_.ModifyParts(
        pageNumber, AppendRowParts(pages_.Read(pageNumber)->View(), format, rowBuffer_.size()));
    const RowPointer where{pageNumber, AppendRow(page->Mutable(), format, rowBuffer_)};

    for (std::size_t i = 0; i < keys_.size(); ++i) {
        if (keys_[i]) {
            InsertIndexEntry(i, keys_[i]->key, keys_[i]->allNull, where);
        }
    }
    // Counted last: a row refused above leaves the count as it was.
    ++table_->rowCount;
    if (deferCount) {
        rowCountPending_ = true;
    } else {
        StoreRowCount();
        rowCountPending_ = false;
    }
    return where;
}

TableWriter::LongValueState& TableWriter::LongValueMaps(const ColumnDef& column) {
    auto it = longValues_.find(column.number);
    if (it != longValues_.end()) {
        return it->second;
    }
    if (!column.longValueOwnedMap || !column.longValueFreeMap) {
        throw Error(ErrorKind::NotSupported,
                    "Column '" + column.name + "' of table '" + table_->name +
                        "' declares no long-value pages; long values cannot be stored in it yet.");
    }
    LongValueState state{UsageMap::Load(pages_, *column.longValueOwnedMap),
                         UsageMap::Load(pages_, *column.longValueFreeMap), 0};
    return longValues_.emplace(column.number, std::move(state)).first->second;
}

RowPointer TableWriter::AppendLongValueRow(LongValueState& state,
                                           const std::vector<std::uint8_t>& row) {
    const Format& format = pages_.format();
    if (state.current == 0) {
        const std::vector<std::uint32_t> candidates = state.free.Pages();
        for (auto it = candidates.rbegin(); it != candidates.rend(); ++it) {
            const PageRef page = pages_.Read(*it);
            if (state.owned.Contains(*it) && DataPage(page->View(), format).IsLongValuePage()) {
                state.current = *it;
                break;
            }
        }
    }
    if (state.current == 0 || !RowFits(pages_.Read(state.current)->View(), format, row.size())) {
        if (state.current != 0) {
            state.free.Update(pages_, state.current, false);
        }
        MutablePageRef fresh = allocator_.NewPage();
        InitLongValuePage(fresh->Mutable(), format);
        state.current = fresh->number;
        state.owned.Update(pages_, state.current, true, newPage_);
        state.free.Update(pages_, state.current, true, newPage_);
    }
    MutablePageRef page = pages_.ModifyParts(
        state.current, AppendRowParts(pages_.Read(state.current)->View(), format, row.size()));
    return RowPointer{state.current, AppendRow(page->Mutable(), format, row)};
}

StoredField TableWriter::StoreLongValue(const ColumnDef& column,
                                        const std::vector<std::uint8_t>& data,
                                        std::size_t inlineRoom) {
    const Format& format = pages_.format();
    StoredField field;
    field.present = true;
    field.bytes.assign(kLongValueHeaderSize, 0);
    const std::uint32_t length = static_cast<std::uint32_t>(data.size());
    if (data.size() > kLongValueLengthMask) {
        throw Error(ErrorKind::Constraint, "A value for column '" + column.name + "' of table '" +
                                               table_->name + "' is too large.");
    }
    if (data.size() <= kMaxInlineLongValue && kLongValueHeaderSize + data.size() <= inlineRoom) {
        StoreU32(field.bytes.data(), length | (std::uint32_t{kLongValueInline} << 24));
        field.bytes.insert(field.bytes.end(), data.begin(), data.end());
        return field;
    }
    LongValueState& state = LongValueMaps(column);
    const std::size_t maxRow = format.maxLongValueRowSize;
    if (data.size() <= maxRow) {
        const RowPointer where = AppendLongValueRow(state, data);
        StoreU32(field.bytes.data(), length | (std::uint32_t{kLongValueSingle} << 24));
        StoreRowPointer(field.bytes.data() + 4, where);
        return field;
    }
    // A chain: written last piece first, so each piece can point at the one after it.
    const std::size_t pieceSize = maxRow - 4;
    const std::size_t pieces = (data.size() + pieceSize - 1) / pieceSize;
    RowPointer next{0, 0};
    std::vector<std::uint8_t> row;
    for (std::size_t i = pieces; i-- > 0;) {
        const std::size_t start = i * pieceSize;
        const std::size_t end = std::min(data.size(), start + pieceSize);
        row.assign(4, 0);
        StoreRowPointer(row.data(), next);
        row.insert(row.end(), data.begin() + static_cast<std::ptrdiff_t>(start),
                   data.begin() + static_cast<std::ptrdiff_t>(end));
        next = AppendLongValueRow(state, row);
    }
    StoreU32(field.bytes.data(), length | (std::uint32_t{kLongValueChain} << 24));
    StoreRowPointer(field.bytes.data() + 4, next);
    return field;
}

}  // namespace accessdb

// Table scans over the owned-pages usage map.
#include "accessdb/TableCursor.h"

#include <string>

#include "accessdb/DataPage.h"
#include "accessdb/UsageMap.h"
#include "accessdb/ValueDecoder.h"

namespace accessdb {

TableCursor::TableCursor(PageFile& pages, std::shared_ptr<const TableDef> table)
    : pages_(pages), table_(std::move(table)), decoder_(*table_, pages.format()) {
    dataPages_ = UsageMap::Load(pages_, table_->ownedMap).Pages();
}

bool TableCursor::LoadPage() {
    while (pageIndex_ < dataPages_.size()) {
        std::uint32_t n = dataPages_[pageIndex_++];
        PageRef p = pages_.Read(n);
        DataPage dp(p->View(), pages_.format());
        // The owned map may also list pages that are not this table's data pages.
        if (!dp.IsData() || dp.Owner() != table_->page)
            continue;
        page_ = p;
        rowCount_ = dp.RowCount();
        nextRow_ = 0;
        return true;
    }
    page_.reset();
    return false;
}

Bytes TableCursor::FollowLookup(Bytes row) {
    // An overflow row holds a pointer to the row's real place; the chain is short in practice.
    for (int hop = 0; hop < 16; ++hop) {
        if (row.size() < 4)
            ThrowDamaged("an overflow row of table '" + table_->name + "' is too short");
        RowPointer target = LoadRowPointer(row.data());
        lookupPage_ = pages_.Read(target.page);
        DataPage dp(lookupPage_->View(), pages_.format());
        if (!dp.IsData())
            ThrowDamaged("an overflow row of table '" + table_->name + "' points to page " +
                         std::to_string(target.page) + ", which is not a data page");
        RowSlot slot = dp.Slot(target.row);
        position_ = target;
        if (!slot.lookup)
            return dp.RowBytes(slot);
        row = dp.RowBytes(slot);
    }
    ThrowDamaged("the overflow rows of table '" + table_->name + "' form a loop");
}

bool TableCursor::Next() {
    for (;;) {
        if (!page_ || nextRow_ >= rowCount_) {
            if (!LoadPage())
                return false;
            continue;
        }
        DataPage dp(page_->View(), pages_.format());
        std::uint16_t row = nextRow_++;
        RowSlot slot = dp.Slot(row);
        if (slot.deleted)
            continue;
        position_ = RowPointer{page_->number, static_cast<std::uint8_t>(row)};
        rowId_ = position_;
        Bytes bytes = dp.RowBytes(slot);
        if (slot.lookup)
            bytes = FollowLookup(bytes);
        decoder_.Split(bytes, slices_);
        values_.resize(slices_.size());
        for (std::size_t i = 0; i < slices_.size(); ++i)
            values_[i] = DecodeValue(pages_, table_->columns[i], slices_[i]);
        return true;
    }
}

}  // namespace accessdb

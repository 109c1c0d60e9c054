#include "accessdb/create/CatalogRows.h"

#include <map>
#include <memory>

#include "accessdb/Catalog.h"
#include "accessdb/Error.h"
#include "accessdb/TableDef.h"
#include "accessdb/create/DatabaseProperties.h"
#include "accessdb/write/FieldEncoding.h"
#include "accessdb/write/PageAllocator.h"
#include "accessdb/write/RowEncoder.h"
#include "accessdb/write/TableWriter.h"

namespace accessdb::create {

namespace {

constexpr std::int32_t kDatabasesId = 0x0F000002;
constexpr std::int32_t kRelationshipsId = 0x0F000003;
constexpr std::int32_t kMSysDbId = 0x10000000;
constexpr std::int16_t kContainerType = 3;
constexpr std::int16_t kDatabaseType = 2;
constexpr std::uint32_t kSystemObject = 0x80000000;

// One row of a table, filled column by column by name, then inserted.
class RowBuilder {
  public:
    RowBuilder(PageFile& pages, TableWriter& writer) : pages_(pages), writer_(writer) {
        for (const ColumnDef& column : writer.Def().columns)
            values_.push_back(Value::Null(column.type));
    }

    Value& Set(const char* name) {
        const ColumnDef* column = writer_.Def().FindColumn(name);
        if (column == nullptr)
            ThrowDamaged(std::string("a new system table lacks its column ") + name);
        Value& value = values_[static_cast<std::size_t>(column - writer_.Def().columns.data())];
        value.null = false;
        return value;
    }

    void Insert() {
        const TableDef& def = writer_.Def();
        std::vector<StoredField> fields(def.columns.size());
        for (std::size_t i = 0; i < def.columns.size(); ++i) {
            const ColumnDef& column = def.columns[i];
            if (values_[i].null)
                continue;
            if (column.type == ColumnType::Boolean) {
                fields[i].present = values_[i].boolean;
            } else if (IsLongValueType(column.type)) {
                const std::size_t used = RowSizeWithout(def, pages_.format(), fields, i);
                const std::size_t limit = pages_.format().maxRowSize;
                fields[i] = writer_.StoreLongValue(column, values_[i].bytes,
                                                   limit > used ? limit - used : 0);
            } else {
                EncodeField(column, values_[i], fields[i], TextStorage::Of(pages_, def.name));
            }
        }
        writer_.Insert(fields, values_);
    }

  private:
    PageFile& pages_;
    TableWriter& writer_;
    std::vector<Value> values_;
};

}  // namespace

void WriteCatalogRows(PageFile& pages, const Skeleton& skeleton, const TargetFacts& facts,
                      const std::string& accessVersion) {
    PageAllocator allocator(pages);
    auto writerFor = [&](std::size_t table) {
        const std::uint32_t page = skeleton.placements[table].tdefPage;
        auto def = std::make_shared<const TableDef>(
            TableDef::Load(pages, page, skeleton.tables[table]->name));
        return std::make_unique<TableWriter>(pages, allocator, def);
    };
    // MSysObjects and MSysACEs are the first two tables of every new database.
    std::unique_ptr<TableWriter> objects = writerFor(0);
    std::unique_ptr<TableWriter> aces = writerFor(1);
    const double now = NowAsDateTime();
    std::map<std::string, std::int32_t> ids;

    auto addObject = [&](std::int32_t id, std::int32_t parent, const std::string& name,
                         std::int16_t type, std::uint32_t flags,
                         const std::vector<std::uint8_t>* owner,
                         const std::vector<std::uint8_t>* properties) {
        RowBuilder row(pages, *objects);
        row.Set("Id").integer = id;
        row.Set("ParentId").integer = parent;
        row.Set("Name").text = name;
        row.Set("Type").integer = type;
        row.Set("DateCreate").real = now;
        row.Set("DateUpdate").real = now;
        if (owner != nullptr)
            row.Set("Owner").bytes = *owner;
        row.Set("Flags").integer = static_cast<std::int32_t>(flags);
        if (properties != nullptr)
            row.Set("LvProp").bytes = *properties;
        row.Insert();
        ids[name] = id;
    };

    const std::vector<std::uint8_t> engineOwner = FromHex(facts.engineOwner);
    const std::vector<std::uint8_t> databaseOwner = FromHex(facts.databaseOwner);
    addObject(kDefaultTablesId, kDatabaseParentId, "Tables", kContainerType, kSystemObject,
              &engineOwner, nullptr);
    addObject(kDatabasesId, kDatabaseParentId, "Databases", kContainerType, kSystemObject,
              &engineOwner, nullptr);
    addObject(kRelationshipsId, kDatabaseParentId, "Relationships", kContainerType, kSystemObject,
              &engineOwner, nullptr);
    const std::vector<std::uint8_t> properties =
        AccessVersionProperty(accessVersion, pages.format().jet3);
    addObject(kMSysDbId, kDatabasesId, "MSysDb", kDatabaseType, kSystemObject, &databaseOwner,
              &properties);
    for (std::size_t t = 0; t < skeleton.tables.size(); ++t) {
        const SystemTable& table = *skeleton.tables[t];
        // The ACE complex-type tables have no owner.
        addObject(static_cast<std::int32_t>(skeleton.placements[t].tdefPage), kDefaultTablesId,
                  table.name, kObjectLocalTable, table.objectFlags,
                  table.aceOnly ? nullptr : &engineOwner, nullptr);
    }

    for (const AccessControlEntry& entry : facts.accessControl) {
        const auto id = ids.find(entry.object);
        if (id == ids.end())
            continue;
        RowBuilder row(pages, *aces);
        row.Set("ObjectId").integer = id->second;
        row.Set("SID").bytes = FromHex(entry.sid);
        row.Set("ACM").integer = entry.mask;
        row.Set("FInheritable").boolean = entry.inheritable;
        row.Insert();
    }
}

}  // namespace accessdb::create

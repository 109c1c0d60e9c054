#pragma once
// Rows of typed values made up to fit a table's columns: keys in random order, text with
// accents, Cyrillic, Greek and CJK characters, Nulls where the table allows them. Row `n`
// differs from every other row in every column that can hold enough distinct values, so
// unique indexes take them.
#include <cstring>
#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "accessdb/Database.h"
#include "accessdb/PropertyBlob.h"
#include "accessdb/index/IndexRules.h"

namespace writetest {

class RowGenerator {
  public:
    RowGenerator(accessdb::Database& db, const accessdb::TableDef& table, unsigned seed)
        : table_(table), random_(seed), unicode_(db.format().Unicode()) {
        for (const accessdb::RealIndex& index : table.realIndexes) {
            const bool mustHaveValues = index.Required() || accessdb::BacksPrimaryKey(table, index);
            for (const accessdb::ColumnDef* column : table.IndexColumns(index)) {
                if (mustHaveValues) {
                    required_.insert(column->number);
                }
                indexed_.insert(column->number);
            }
        }
        ReadRequiredProperties(db);
        ReadRelatedKeys(db);
    }

    // The values of row `n` (n distinct per call), in column order.
    std::vector<accessdb::Value> Row(std::uint32_t n) {
        using accessdb::ColumnType;
        std::vector<accessdb::Value> values;
        for (const accessdb::ColumnDef& column : table_.columns) {
            accessdb::Value v = accessdb::Value::Null(column.type);
            const bool mayBeNull = required_.count(column.number) == 0 && !column.IsAutoNumber();
            if (column.IsAutoNumber() || column.IsCalculated() ||
                column.type == ColumnType::Complex || column.type == ColumnType::Ole ||
                (mayBeNull && Chance(8))) {
                values.push_back(v);
                continue;
            }
            if (const auto related = related_.find(column.number); related != related_.end()) {
                // A foreign key: a value the related table holds, or Null where allowed.
                if (related->second.empty() || (mayBeNull && Chance(3))) {
                    values.push_back(v);
                } else {
                    v = related->second[random_() % related->second.size()];
                    v.type = column.type;
                    values.push_back(v);
                }
                continue;
            }
            v.null = false;
            const std::uint64_t u = Scatter(n);
            switch (column.type) {
                case ColumnType::Boolean:
                    v.boolean = (random_() & 1) != 0;
                    break;
                case ColumnType::Byte:
                    v.integer = static_cast<std::int64_t>(u % 256);
                    break;
                case ColumnType::Integer:
                    v.integer = static_cast<std::int64_t>(u % 65536) - 32768;
                    break;
                case ColumnType::Long:
                    v.integer = static_cast<std::int32_t>(0x40000000u + (u & 0x3FFFFFFF)) *
                                (Chance(2) ? -1 : 1);
                    break;
                case ColumnType::Currency:
                case ColumnType::BigInt:
                    v.integer = static_cast<std::int64_t>(u) * (Chance(2) ? -1 : 1);
                    break;
                case ColumnType::Single:
                    v.real = static_cast<float>((static_cast<double>(u % 1000000) + 0.5) *
                                                (Chance(2) ? -1 : 1));
                    break;
                case ColumnType::Double:
                    v.real = (static_cast<double>(u % 100000000) / 7.0) * (Chance(2) ? -1 : 1);
                    break;
                case ColumnType::DateTime:
                    // 1700 to 2200, whole seconds.
                    v.real = -73000.0 + static_cast<double>(u % 182000) +
                             static_cast<double>(random_() % 86400) / 86400.0;
                    break;
                case ColumnType::Numeric:
                    v.bytes = Decimal(u, column.precision, column.scale);
                    v.scale = column.scale;
                    break;
                case ColumnType::Guid:
                case ColumnType::Binary: {
                    const std::size_t size = column.type == ColumnType::Guid
                                                 ? 16
                                                 : std::max<std::size_t>(1, column.length);
                    v.bytes.resize(size);
                    for (std::uint8_t& b : v.bytes)
                        b = static_cast<std::uint8_t>(random_());
                    std::memcpy(v.bytes.data(), &n, std::min<std::size_t>(4, size));
                    break;
                }
                case ColumnType::Text:
                case ColumnType::Memo:
                    v.text = Text(n, column.type == ColumnType::Memo ? 60 : column.Size(unicode_));
                    break;
                case ColumnType::DateTimeExtended:
                    v.text = ExtendedDate(u);
                    break;
                default:
                    v.null = true;
                    break;
            }
            values.push_back(v);
        }
        return values;
    }

    // How many distinct rows the narrowest uniquely indexed column can take.
    std::uint64_t DistinctRows() const {
        std::uint64_t limit = UINT64_MAX;
        for (const accessdb::RealIndex& index : table_.realIndexes) {
            if (!index.Unique() && !accessdb::BacksPrimaryKey(table_, index))
                continue;
            std::uint64_t best = 0;  // the widest column of the index decides
            for (const accessdb::ColumnDef* column : table_.IndexColumns(index)) {
                best = std::max(best, Distinct(*column));
            }
            limit = std::min(limit, best);
        }
        return limit;
    }

  private:
    bool Chance(unsigned oneIn) { return random_() % oneIn == 0; }

    // A bijection of 0..2^32-1, so row numbers give distinct values in random order.
    static std::uint64_t Scatter(std::uint32_t n) {
        std::uint32_t x = n * 2654435761u;
        x ^= x >> 15;
        x *= 2246822519u;
        x ^= x >> 13;
        return x;
    }

    std::uint64_t Distinct(const accessdb::ColumnDef& column) const {
        using accessdb::ColumnType;
        switch (column.type) {
            case ColumnType::Boolean:
                return 2;
            case ColumnType::Byte:
                return 256;
            case ColumnType::Integer:
                return 65536;
            case ColumnType::Text: {
                std::uint64_t d = 1;
                for (int i = 0; i < column.Size(unicode_) && d < (1u << 30); ++i)
                    d *= 20;
                return d;
            }
            default:
                return UINT64_MAX;
        }
    }

    // Distinct by a base-20 code of `n` (letters Access's sort orders keep apart), then
    // decoration from several scripts as far as the column allows.
    std::string Text(std::uint32_t n, int maxChars) {
        static const char* const kDecor[] = {"é", "ü", "Ж", "щ", "λ", "Ω", "漢", "字", "ß",
                                             "ñ", " ", "-", "o", "K", "ø", "ç",  "ё",  "Ä"};
        // Access 97 text is in the database's code page (Windows-1252 here): Latin only.
        static const char* const kLatinDecor[] = {"é", "ü", "ß", "ñ", " ", "-", "o",
                                                  "K", "ø", "ç", "Ä", "€", "œ"};
        std::string code;
        int chars = 0;
        std::uint64_t x = Scatter(n);
        do {
            code += static_cast<char>('a' + x % 20);
            x /= 20;
            ++chars;
        } while (x != 0 && chars < maxChars);
        std::string out = code;
        const int extra = std::min<int>(static_cast<int>(random_() % 12), maxChars - chars);
        for (int i = 0; i < extra; ++i) {
            out += unicode_ ? kDecor[random_() % (sizeof kDecor / sizeof kDecor[0])]
                            : kLatinDecor[random_() % (sizeof kLatinDecor / sizeof kLatinDecor[0])];
        }
        return out;
    }

    static std::vector<std::uint8_t> Decimal(std::uint64_t u, int precision, int scale) {
        (void)scale;
        std::uint64_t limit = 1;
        for (int i = 0; i < std::min(precision, 18); ++i)
            limit *= 10;
        const std::uint64_t magnitude = u % limit;
        std::vector<std::uint8_t> stored(17, 0);
        stored[0] = (u & 1) != 0 ? 0x80 : 0x00;
        // Four little-endian words, most significant first: the value sits in the last two.
        const auto low = static_cast<std::uint32_t>(magnitude);
        const auto high = static_cast<std::uint32_t>(magnitude >> 32);
        std::memcpy(stored.data() + 9, &high, 4);
        std::memcpy(stored.data() + 13, &low, 4);
        return stored;
    }

    // The stored text: days since 0001-01-01 (19 digits), ':', seconds of the day (12
    // digits) and 7 digits of fraction, then ":7".
    static std::string ExtendedDate(std::uint64_t u) {
        char buffer[64];
        std::snprintf(buffer, sizeof buffer, "%019llu:%012llu%07llu:7",
                      static_cast<unsigned long long>(600000 + u % 100000),
                      static_cast<unsigned long long>(u % 86400),
                      static_cast<unsigned long long>(u % 10000000));
        return buffer;
    }

    void ReadRequiredProperties(accessdb::Database& db) {
        const accessdb::CatalogObject* object = db.GetCatalog().Find(table_.name);
        if (object == nullptr)
            return;
        auto catalog = db.OpenTable("MSysObjects");
        const accessdb::TableDef& def = catalog->Table();
        const accessdb::ColumnDef* idColumn = def.FindColumn("Id");
        const accessdb::ColumnDef* propColumn = def.FindColumn("LvProp");
        if (idColumn == nullptr || propColumn == nullptr)
            return;
        while (catalog->Next()) {
            const auto& row = catalog->Row();
            const auto id = static_cast<std::size_t>(idColumn - def.columns.data());
            const auto lv = static_cast<std::size_t>(propColumn - def.columns.data());
            if (row[id].integer != object->id || row[lv].null)
                continue;
            for (const accessdb::Property& p :
                 accessdb::ReadPropertyBlob(row[lv].bytes, db.Pages().Header().codePage)) {
                const accessdb::ColumnDef* column = table_.FindColumn(p.object);
                if (column != nullptr && p.name == "Required" && !p.data.empty() &&
                    p.data[0] != 0) {
                    required_.insert(column->number);
                }
            }
        }
    }

    // Foreign-key columns of one-column relationships: the values the related table holds.
    void ReadRelatedKeys(accessdb::Database& db) {
        for (const accessdb::LogicalIndex& foreign : table_.logicalIndexes) {
            if (foreign.relatedIndex < 0 || foreign.relatedSide != 2)
                continue;
            const accessdb::RealIndex& own = table_.realIndexes.at(foreign.realIndex);
            if (own.columns.size() != 1)
                continue;
            for (const accessdb::CatalogObject& object : db.GetCatalog().Objects()) {
                if (object.type != accessdb::kObjectLocalTable ||
                    object.TableDefPage() != foreign.relatedTable)
                    continue;
                auto cursor = db.OpenTable(object.name);
                const accessdb::TableDef& related = cursor->Table();
                const accessdb::LogicalIndex* target = nullptr;
                for (const auto& logical : related.logicalIndexes)
                    if (static_cast<std::int32_t>(logical.number) == foreign.relatedIndex)
                        target = &logical;
                if (target == nullptr)
                    break;
                const auto columns =
                    related.IndexColumns(related.realIndexes.at(target->realIndex));
                const auto position =
                    static_cast<std::size_t>(columns.at(0) - related.columns.data());
                auto& values = related_[own.columns[0].columnNumber];
                while (cursor->Next())
                    if (!cursor->Row()[position].null)
                        values.push_back(cursor->Row()[position]);
                break;
            }
        }
    }

    const accessdb::TableDef& table_;
    std::map<std::uint16_t, std::vector<accessdb::Value>> related_;
    std::mt19937 random_;
    bool unicode_ = true;  // Jet 4/ACE text; Jet 3 keeps code-page bytes
    std::set<std::uint16_t> required_;
    std::set<std::uint16_t> indexed_;
};

}  // namespace writetest

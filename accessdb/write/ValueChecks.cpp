#include "accessdb/write/ValueChecks.h"

#include "accessdb/Error.h"

namespace accessdb {

namespace {
constexpr long kFieldTooSmall = 3163;
}  // namespace

std::string StartOf(const std::string& text) {
    if (text.size() <= 40) {
        return text;
    }
    std::size_t cut = 40;
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) {
        --cut;
    }
    return text.substr(0, cut) + "...";
}

void CheckTextFits(const std::string& table, const ColumnDef& column, const Value& value,
                   const Format& format) {
    if (value.null || column.type != ColumnType::Text) {
        return;
    }
    const std::size_t size = column.Size(format.Unicode());
    // A character takes at least one byte: text of no more bytes than the column has
    // characters fits whatever it holds (the usual case, decided without reading it).
    if (value.text.size() <= size) {
        return;
    }
    std::size_t units = 0;
    for (const char c : value.text) {
        const auto byte = static_cast<unsigned char>(c);
        units += (byte & 0xC0) != 0x80 ? (byte >= 0xF0 ? 2 : 1) : 0;
    }
    if (units > size) {
        throw Error(ErrorKind::Constraint,
                    "The field is too small to accept the amount of data you attempted to add: "
                    "column '" +
                        column.name + "' of table '" + table + "' holds at most " +
                        std::to_string(size) + " characters, the value '" + StartOf(value.text) +
                        "' has " + std::to_string(units) + ".",
                    kFieldTooSmall);
    }
}

}  // namespace accessdb

#pragma once
// The reader's whole surface in one call, for the fuzz target, the mutation driver and the
// robustness tests: header facts, open, the schema rowset, every table's definition and every
// row of every local table (system tables included), each value formatted, every index tree
// walked. Engine errors are the expected outcome for damaged input and are returned; anything
// else escapes.
#include <string>

#include "accessdb/Database.h"
#include "accessdb/IndexReader.h"

namespace accessdb_fuzz {

struct Outcome {
    bool opened = false;
    std::size_t rows = 0;
    std::size_t textBytes = 0;  // of every formatted value
    std::size_t indexEntries = 0;
    std::string error;  // the engine's message, empty when everything was read
    accessdb::ErrorKind kind = accessdb::ErrorKind::Damaged;
};

inline Outcome ReadEverything(const std::string& path, const std::string& password = "") {
    Outcome out;
    try {
        accessdb::ReadDatabaseInfo(path);
        auto db = accessdb::Database::Open(path, password);
        out.opened = true;
        for (const auto& row : db->SchemaRows()) {
            if (row.object->type != accessdb::kObjectLocalTable)
                continue;
            try {
                auto def = db->Table(row.tableName);
                for (const auto& index : def->realIndexes)
                    out.indexEntries += db->Guard(
                        [&] { return accessdb::ReadIndexEntries(db->Pages(), index).size(); });
                auto cursor = db->OpenTable(row.tableName);
                db->Guard([&] {
                    while (cursor->Next()) {
                        for (const auto& v : cursor->Row())
                            out.textBytes += accessdb::FormatValue(v).size();
                        ++out.rows;
                    }
                    return 0;
                });
            } catch (const accessdb::Error& e) {
                // One damaged table must not hide the others.
                if (out.error.empty()) {
                    out.error = e.what();
                    out.kind = e.Kind();
                }
            }
        }
    } catch (const accessdb::Error& e) {
        out.error = e.what();
        out.kind = e.Kind();
    }
    return out;
}

}  // namespace accessdb_fuzz

// Statement execution. Reading answers SELECT; the writer adds CREATE TABLE and INSERT here.
#include "accessdb/Database.h"

namespace accessdb {

void Database::Execute(const std::string& sql) {
    std::size_t pos = sql.find_first_not_of(" \t\r\n");
    std::string head = pos == std::string::npos ? "" : sql.substr(pos, 6);
    for (auto& c : head)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (head == "SELECT") {
        auto cursor = OpenQuery(sql);
        while (cursor->Next()) {
        }
        return;
    }
    throw Error(ErrorKind::NotSupported,
                "This engine cannot execute \"" + sql + "\" yet: only SELECT is supported.");
}

}  // namespace accessdb

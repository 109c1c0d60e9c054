#include "database/TableCatalogue.h"

#include "app/FileExistsByDate.h"
#include "database/ConnectionString.h"

namespace quillmere {
namespace {
// Closes the schema rows and the session on every way out.
struct SessionCloser {
    DatabaseSession& session;
    ~SessionCloser() {
        try {
            session.Close();
        } catch (...) {
            // A failure while closing must not hide the error that is on its way out.
        }
    }
};
}  // namespace

std::optional<std::vector<std::string>> ListUserTables(SessionFactory& sessions,
                                                       const std::string& path,
                                                       const std::string& password) {
    if (!FileExistsByDate(path)) {
        return std::nullopt;
    }
    auto session = sessions.Create();
    SessionCloser closer{*session};
    session->Open(BuildConnectionString(path, password));
    auto rows = session->OpenTableSchema(kSchemaTables);
    std::vector<std::string> names;
    while (!rows->AtEnd()) {
        if (rows->Value("TABLE_TYPE") == "TABLE") {
            names.push_back(rows->Value("TABLE_NAME"));
        }
        rows->MoveNext();
    }
    rows->Close();
    return names;
}

void FillTableList(ListControl& list, SessionFactory& sessions, const std::string& path,
                   const std::string& password) {
    const auto names = ListUserTables(sessions, path, password);
    if (!names) {
        return;
    }
    list.Clear();
    for (const auto& name : *names) {
        list.Add(name);
    }
    if (list.Count() > 0) {
        list.Select(0);
    }
}

}  // namespace quillmere

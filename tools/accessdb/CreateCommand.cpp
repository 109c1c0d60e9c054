// accessdb create FILE [--format 97|2000|2003|2007|2010|2016|2019] [--password TEXT]: writes a
// new, empty database (Jet 4 for .mdb, default 2003, or Jet 3 with 97; ACE for .accdb, default
// 2010; an .accdb with a password is encrypted).
#include <ostream>

#include "accessdb/Error.h"
#include "accessdb/create/NewDatabase.h"
#include "tools/accessdb/Command.h"

namespace accessdb_tool {
namespace {

int RunCreate(Invocation& inv) {
    if (inv.args.size() != 1) {
        throw accessdb::Error(
            accessdb::ErrorKind::Syntax,
            "usage: accessdb create FILE [--format 97|2000|2003|2007|2010|2016|2019] "
            "[--password TEXT]");
    }
    accessdb::NewDatabaseOptions options;
    options.password = inv.password;
    if (const auto text = inv.OptionValue("--format")) {
        const auto format = accessdb::ParseNewDatabaseFormat(*text);
        if (!format) {
            throw accessdb::Error(
                accessdb::ErrorKind::Syntax,
                "unknown format '" + *text +
                    "': choose 97, 2000, 2003 (.mdb) or 2007, 2010, 2016, 2019 (.accdb)");
        }
        options.format = *format;
    }
    accessdb::CreateDatabase(inv.args[0], options);
    return 0;
}

const RegisterCommand registration{Command{
    "create",
    "FILE",
    "Writes a new, empty database: Jet 4 for .mdb (--format 2000 or 2003, default 2003; 97 for an "
    "Access 97 (Jet 3) file), ACE for .accdb (2007, 2010, 2016 or 2019, default 2010); --password: "
    "the .mdb database password (Access 97: at most 20 characters of code page 1252), or "
    "the password an .accdb is encrypted with (Agile, as Access 2010 and later encrypt).",
    {"--format="},
    RunCreate}};

}  // namespace
}  // namespace accessdb_tool

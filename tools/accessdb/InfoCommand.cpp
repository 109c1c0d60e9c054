// accessdb info FILE: format, version, page count, sort order, encryption, password.
#include <ostream>

#include "accessdb/Database.h"
#include "tools/accessdb/Command.h"

namespace accessdb_tool {
namespace {

int RunInfo(Invocation& inv) {
    if (inv.args.size() != 1)
        throw accessdb::Error(accessdb::ErrorKind::Syntax, "usage: accessdb info FILE");
    accessdb::DatabaseInfo info = accessdb::ReadDatabaseInfo(inv.args[0]);
    inv.out << "file: " << info.path << "\n"
            << "format: " << info.formatName << " (" << info.engineName << ", version byte "
            << info.versionByte << ")\n"
            << "page size: " << info.pageSize << "\n"
            << "pages: " << info.pageCount << "\n"
            << "sort order: " << info.sortOrderName << " (LCID " << info.sortOrder.lcid
            << ", version " << static_cast<int>(info.sortOrder.version) << ")\n"
            << "code page: " << info.codePage << "\n"
            << "encryption: " << accessdb::EncryptionName(info.encryption);
    if (!info.encryptionVersion.empty())
        inv.out << " (version " << info.encryptionVersion << ")";
    inv.out << "\n"
            << "password: " << (info.hasPassword ? "yes" : "no") << "\n";
    return 0;
}

const RegisterCommand registration{
    Command{"info",
            "FILE",
            "Format, version, page count, sort order, encryption and password of a database.",
            {},
            RunInfo}};

}  // namespace
}  // namespace accessdb_tool

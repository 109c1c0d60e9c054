#pragma once
// Page 0: recognising an Access file, its version, code page, page encoding key, database
// password, default sort order and (for .accdb) the Office encryption scheme.
#include <cstdint>
#include <string>

#include "accessdb/Bytes.h"
#include "accessdb/Format.h"

namespace accessdb {

enum class Encryption {
    None,
    JetPageEncoding,     // RC4 per page keyed by the database key (Jet 3/4); read transparently
    OfficeRc4CryptoApi,  // .accdb, EncryptionInfo 2.2/3.2/4.2 with the CryptoAPI flag
    OfficeStandard,      // .accdb, ECMA-376 Standard (AES)
    OfficeAgile,         // .accdb, EncryptionInfo 4.4
    OfficeRc4,           // .accdb, EncryptionInfo 1.1 (Office binary RC4)
    OfficeOther,         // .accdb, anything else
};

// Text for messages and `accessdb info`: "none", "Jet page encoding", "RC4 CryptoAPI", ...
std::string EncryptionName(Encryption e);
inline bool IsOfficeEncryption(Encryption e) {
    return e != Encryption::None && e != Encryption::JetPageEncoding;
}

struct SortOrder {
    std::uint16_t lcid = 0;
    std::uint8_t version = 0;
    bool operator==(const SortOrder&) const = default;
};
// "General Legacy" (1033, version 0), "General" (1033, version 1), "General 97" (Jet 3, 1033),
// otherwise "LCID n version v".
std::string SortOrderName(const SortOrder& s, const Format& format);

struct DatabaseHeader {
    const Format* format = nullptr;
    std::string engineName;  // "Standard Jet DB" or "Standard ACE DB"
    std::uint16_t codePage = 0;
    std::uint32_t databaseKey = 0;
    SortOrder sortOrder;
    double creationDate = 0;
    std::string password;  // the stored database password (Jet 3/4), UTF-8; empty when none
    Encryption encryption = Encryption::None;
    std::string encryptionVersion;  // "4.4" for Office encryption
};

// The format named by the first bytes of a file, or nullptr (with a reason) when the bytes are
// not an Access database header. Needs at least 0x15 bytes.
const Format* RecogniseFormat(Bytes start, std::string& reason);

// Parses an unmasked page 0. Throws NotDatabase/Damaged without naming the file.
DatabaseHeader ParseHeader(Bytes page0);

// Masks or unmasks page 0 in place (the same operation both ways).
void ApplyHeaderMask(MutableBytes page0, const Format& format);

}  // namespace accessdb

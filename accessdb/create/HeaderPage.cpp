#include "accessdb/create/HeaderPage.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "accessdb/Bytes.h"
#include "accessdb/Error.h"
#include "accessdb/Text.h"

namespace accessdb::create {

namespace {

// Unmasked bytes 0x18..0x2F in every database the engine makes.
constexpr std::uint8_t kFixedFields[24] = {0, 1, 0, 0, 1, 1, 0, 0, 2, 0, 0, 0,
                                           3, 0, 0, 0, 4, 0, 0, 0, 5, 0, 0, 0};
// After the masked area: a constant and the engine's version text.
constexpr std::uint8_t kEngineVersion[8] = {0x54, 0x06, 0x00, 0x00, '4', '.', '0', 0x00};
constexpr std::size_t kEngineVersionOffset = 0x98;
constexpr std::size_t kField6A = 0x6A;
// Jet 3: a word that is 1 in every Access 97 file.
constexpr std::size_t kJet3Field38 = 0x38;
// The last 512 bytes of page 0 (0xE00 in Jet 4, 0x600 in Jet 3): two words, then a fill.
constexpr std::size_t kPageZeroTail = 0x200;
constexpr std::uint16_t kPageZeroFill = 0x0100;
constexpr std::uint16_t kWesternCodePage = 1252;

void StorePageZeroTail(std::vector<std::uint8_t>& page, const Format& format,
                       const TargetFacts& facts) {
    const std::size_t start = format.pageSize - kPageZeroTail;
    StoreU16(page.data() + start, facts.pageZeroWords[0]);
    StoreU16(page.data() + start + 2, facts.pageZeroWords[1]);
    for (std::size_t at = start + 4; at + 1 < format.pageSize; at += 2) {
        StoreU16(page.data() + at, kPageZeroFill);
    }
}

}  // namespace

namespace {

// Access 97: no creation date, no engine version text, the password in the code page and
// unmasked by any date; the sort order's LCID alone at 0x3A.
std::vector<std::uint8_t> BuildJet3HeaderPage(const Format& format, const TargetFacts& facts,
                                              SortOrder sortOrder,
                                              const std::vector<std::uint8_t>& password) {
    std::vector<std::uint8_t> page(format.pageSize, 0);
    page[1] = 0x01;
    std::memcpy(page.data() + 4, "Standard Jet DB", 15);
    page[kHeaderVersionOffset] = format.versionByte;
    std::memcpy(page.data() + kHeaderMaskStart, kFixedFields, sizeof kFixedFields);
    StoreU16(page.data() + kJet3Field38, 1);
    StoreU16(page.data() + format.sortOrderOffset, sortOrder.lcid);
    StoreU16(page.data() + kHeaderCodePageOffset, kWesternCodePage);
    std::copy_n(password.begin(), std::min(password.size(), format.passwordLength),
                page.begin() + kHeaderPasswordOffset);
    std::memcpy(page.data() + kHeaderPasswordOffset + format.passwordLength, facts.field6A.data(),
                4);
    ApplyHeaderMask(page, format);
    StorePageZeroTail(page, format, facts);
    return page;
}

}  // namespace

std::vector<std::uint8_t> EncodeJet3Password(const std::string& password) {
    std::vector<std::uint8_t> out;
    std::string unmappable;
    if (!EncodeCodePage(password, kWesternCodePage, out, unmappable)) {
        throw Error(ErrorKind::Constraint,
                    "The database password holds the character '" + unmappable +
                        "', which an Access 97 database (code page 1252) cannot store.");
    }
    if (out.size() > kMaxPasswordLength) {
        throw Error(ErrorKind::Constraint, "The database password is longer than 20 characters.");
    }
    return out;
}

std::vector<std::uint8_t> BuildHeaderPage(const Format& format, const TargetFacts& facts,
                                          SortOrder sortOrder, const std::string& password) {
    if (format.jet3)
        return BuildJet3HeaderPage(format, facts, sortOrder, EncodeJet3Password(password));
    std::vector<std::uint8_t> page(format.pageSize, 0);
    page[1] = 0x01;
    const char* engine = format.ace ? "Standard ACE DB" : "Standard Jet DB";
    std::memcpy(page.data() + 4, engine, 15);
    page[kHeaderVersionOffset] = format.versionByte;
    // The 2010 format marks this byte; Access keeps it when it raises the version.
    page[kHeaderVersionOffset + 1] = format.version == JetVersion::Ace14 ? 0x01 : 0x00;
    std::memcpy(page.data() + kHeaderMaskStart, kFixedFields, sizeof kFixedFields);
    StoreU16(page.data() + kHeaderCodePageOffset, kWesternCodePage);
    std::memcpy(page.data() + kField6A, facts.field6A.data(), 4);
    StoreU16(page.data() + format.sortOrderOffset, sortOrder.lcid);
    page[format.sortOrderOffset + 3] = sortOrder.version;
    std::memcpy(page.data() + kHeaderDateOffset, facts.creationDate.data(), 8);

    // The password area holds the password (UTF-16LE, zero-padded) XOR the whole days of the
    // creation date repeated; with no password only the mask remains.
    std::uint8_t stored[40] = {};
    const std::u16string text = Utf8ToUtf16(password);
    for (std::size_t i = 0; i < text.size() && 2 * i + 1 < format.passwordLength; ++i) {
        StoreU16(stored + 2 * i, static_cast<std::uint16_t>(text[i]));
    }
    double date = 0;
    std::memcpy(&date, facts.creationDate.data(), 8);
    std::uint8_t mask[4];
    StoreU32(mask, static_cast<std::uint32_t>(static_cast<std::int32_t>(std::trunc(date))));
    for (std::size_t i = 0; i < format.passwordLength; ++i) {
        page[kHeaderPasswordOffset + i] = stored[i] ^ mask[i % 4];
    }

    ApplyHeaderMask(page, format);
    std::memcpy(page.data() + kEngineVersionOffset, kEngineVersion, sizeof kEngineVersion);
    StorePageZeroTail(page, format, facts);
    return page;
}

}  // namespace accessdb::create

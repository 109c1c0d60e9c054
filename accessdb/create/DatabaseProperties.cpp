#include "accessdb/create/DatabaseProperties.h"

#include "accessdb/Bytes.h"
#include "accessdb/ColumnType.h"
#include "accessdb/Text.h"

namespace accessdb::create {

namespace {

constexpr std::uint16_t kNamesChunk = 0x0080;
constexpr std::uint16_t kObjectChunk = 0x0000;
constexpr std::size_t kChunkHeader = 6;  // length (4) and type (2)
constexpr std::size_t kValueHeader = 8;  // length, DDL flag, type, name index, data length

}  // namespace

std::vector<std::uint8_t> AccessVersionProperty(const std::string& accessVersion, bool jet3) {
    // Jet 3 stores names and text in the code page ("KKD"), Jet 4 and ACE in UTF-16 ("MR2");
    // both texts are ASCII, so their code-page bytes are the characters themselves.
    const auto stored = [&](const std::string& text) {
        return jet3 ? std::vector<std::uint8_t>(text.begin(), text.end()) : EncodeText(text, false);
    };
    const std::vector<std::uint8_t> name = stored("AccessVersion");
    const std::vector<std::uint8_t> value = stored(accessVersion);
    std::vector<std::uint8_t> out = jet3 ? std::vector<std::uint8_t>{'K', 'K', 'D', 0}
                                         : std::vector<std::uint8_t>{'M', 'R', '2', 0};

    AppendU32(out, static_cast<std::uint32_t>(kChunkHeader + 2 + name.size()));
    AppendU16(out, kNamesChunk);
    AppendU16(out, static_cast<std::uint16_t>(name.size()));
    out.insert(out.end(), name.begin(), name.end());

    // The database's own properties: a chunk naming no sub-object (name block of 6 bytes
    // holding an empty name), then the value.
    const std::size_t valueLength = kValueHeader + value.size();
    AppendU32(out, static_cast<std::uint32_t>(kChunkHeader + 6 + valueLength));
    AppendU16(out, kObjectChunk);
    AppendU32(out, 6);
    AppendU16(out, 0);
    AppendU16(out, static_cast<std::uint16_t>(valueLength));
    out.push_back(0);  // not a DDL property
    out.push_back(static_cast<std::uint8_t>(ColumnType::Text));
    AppendU16(out, 0);  // the first name of the list
    AppendU16(out, static_cast<std::uint16_t>(value.size()));
    out.insert(out.end(), value.begin(), value.end());
    return out;
}

}  // namespace accessdb::create

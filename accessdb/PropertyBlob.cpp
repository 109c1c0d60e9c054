#include "accessdb/PropertyBlob.h"

#include <cstring>

#include "accessdb/ColumnType.h"
#include "accessdb/Error.h"
#include "accessdb/Text.h"

namespace accessdb {

namespace {

constexpr std::uint16_t kNamesChunk = 0x0080;
constexpr std::uint16_t kObjectChunk = 0x0000;
constexpr std::uint16_t kColumnChunk = 0x0001;

void Need(bool ok) {
    if (!ok)
        ThrowDamaged("a property blob is cut short or inconsistent");
}

// One stored name or text value: UTF-16LE in MR2 blobs, code-page bytes in KKD (Jet 3) ones.
std::string DecodeStored(Bytes bytes, bool codePageText, std::uint16_t codePage) {
    return codePageText ? DecodeCodePage(bytes, codePage) : DecodeText(bytes);
}

}  // namespace

std::string Property::Text() const {
    if (type != static_cast<std::uint8_t>(ColumnType::Text) &&
        type != static_cast<std::uint8_t>(ColumnType::Memo)) {
        return "";
    }
    return DecodeStored(Bytes(data.data(), data.size()), codePageText, codePage);
}

std::vector<Property> ReadPropertyBlob(Bytes blob, std::uint16_t codePage) {
    Need(blob.size() >= 4);
    const bool jet3 = std::memcmp(blob.data(), "KKD\0", 4) == 0;
    Need(jet3 || std::memcmp(blob.data(), "MR2\0", 4) == 0);
    const auto decode = [&](Bytes bytes) { return DecodeStored(bytes, jet3, codePage); };
    std::vector<std::string> names;
    std::vector<Property> out;
    std::size_t at = 4;
    while (at < blob.size()) {
        Need(at + 6 <= blob.size());
        const std::uint32_t length = LoadU32(blob.data() + at);
        const std::uint16_t type = LoadU16(blob.data() + at + 4);
        Need(length >= 6 && length <= blob.size() - at);
        const Bytes chunk = blob.subspan(at + 6, length - 6);
        at += length;
        if (type == kNamesChunk) {
            for (std::size_t p = 0; p < chunk.size();) {
                Need(p + 2 <= chunk.size());
                const std::uint16_t n = LoadU16(chunk.data() + p);
                Need(p + 2 + n <= chunk.size());
                names.push_back(decode(chunk.subspan(p + 2, n)));
                p += 2 + n;
            }
            continue;
        }
        if (type != kObjectChunk && type != kColumnChunk)
            continue;
        Need(chunk.size() >= 4);
        const std::uint32_t nameBlock = LoadU32(chunk.data());
        Need(nameBlock >= 4 && nameBlock <= chunk.size());
        std::string object;
        if (nameBlock > 6) {
            const std::uint16_t n = LoadU16(chunk.data() + 4);
            Need(6u + n <= nameBlock);
            object = decode(chunk.subspan(6, n));
        }
        for (std::size_t p = nameBlock; p < chunk.size();) {
            Need(p + 8 <= chunk.size());
            const std::uint16_t valueLength = LoadU16(chunk.data() + p);
            const std::uint16_t nameIndex = LoadU16(chunk.data() + p + 4);
            const std::uint16_t dataLength = LoadU16(chunk.data() + p + 6);
            Need(valueLength >= 8 && p + valueLength <= chunk.size() &&
                 8u + dataLength <= valueLength);
            Need(nameIndex < names.size());
            Property property;
            property.object = object;
            property.name = names[nameIndex];
            property.ddl = chunk[p + 2] != 0;
            property.type = chunk[p + 3];
            property.codePageText = jet3;
            property.codePage = codePage;
            property.data.assign(chunk.begin() + static_cast<std::ptrdiff_t>(p + 8),
                                 chunk.begin() + static_cast<std::ptrdiff_t>(p + 8 + dataLength));
            out.push_back(std::move(property));
            p += valueLength;
        }
    }
    return out;
}

}  // namespace accessdb

// The EncryptionInfo on page 0: version dispatch, password bytes, a new database's encryption.
#include "accessdb/crypto/OfficeEncryption.h"

#include <cstring>
#include <string_view>

#include "accessdb/Format.h"
#include "accessdb/Text.h"
#include "accessdb/crypto/AgileEncryption.h"
#include "accessdb/crypto/Digest.h"
#include "accessdb/crypto/Rc4CryptoApi.h"

namespace accessdb::crypto {

namespace {

constexpr std::size_t kMaxPasswordCharacters = 255;
constexpr std::uint32_t kAgileReserved = 0x40;
constexpr std::uint32_t kFlagCryptoApi = 0x04;
constexpr std::uint32_t kFlagAes = 0x20;
// Page 0 of an ACE file holds further fields from here on.
constexpr std::size_t kEncryptionInfoEnd = 0xE00;

[[noreturn]] void Unsupported(const std::string& what) {
    throw Error(ErrorKind::Encrypted,
                "it is encrypted with " + what + ", which this engine cannot read");
}

[[noreturn]] void WrongPassword() {
    throw Error(ErrorKind::WrongPassword, "Not a valid password.");
}

// The EncryptionInfo structure: from its version to the end its length gives.
Bytes EncryptionInfo(Bytes page0) {
    if (page0.size() < kHeaderCryptLengthOffset + 2)
        ThrowDamaged("the header page is cut short before its encryption header");
    const std::size_t length = LoadU16(page0.data() + kHeaderCryptLengthOffset);
    const std::size_t start = kHeaderCryptLengthOffset + 2;
    if (length < 8)
        ThrowDamaged("the encryption header is " + std::to_string(length) +
                     " bytes long, too short for its version");
    if (length > page0.size() - start)
        ThrowDamaged("the encryption header (" + std::to_string(length) +
                     " bytes) runs past the end of the header page");
    return page0.subspan(start, length);
}

std::unique_ptr<PageCodec> UnlockAgileInfo(Bytes info, std::uint32_t databaseKey, Bytes password) {
    if (LoadU32(info.data() + 4) != kAgileReserved)
        ThrowDamaged("the Agile encryption header has the reserved value " +
                     std::to_string(LoadU32(info.data() + 4)) + " instead of 64");
    std::string_view xml(reinterpret_cast<const char*>(info.data() + 8), info.size() - 8);
    while (!xml.empty() && xml.back() == '\0')
        xml.remove_suffix(1);
    return UnlockAgile(ParseAgileDescriptor(xml), databaseKey, password);
}

}  // namespace

std::vector<std::uint8_t> PasswordBytes(const std::string& utf8) {
    std::u16string text = Utf8ToUtf16(utf8);
    if (text.size() > kMaxPasswordCharacters)
        text.resize(kMaxPasswordCharacters);
    std::vector<std::uint8_t> bytes(2 * text.size());
    for (std::size_t i = 0; i < text.size(); ++i)
        StoreU16(bytes.data() + 2 * i, static_cast<std::uint16_t>(text[i]));
    return bytes;
}

std::unique_ptr<PageCodec> UnlockOfficeEncryption(Bytes page0, std::uint32_t databaseKey,
                                                  const std::string& password) {
    const Bytes info = EncryptionInfo(page0);
    const std::uint16_t major = LoadU16(info.data());
    const std::uint16_t minor = LoadU16(info.data() + 2);
    const std::string version = std::to_string(major) + "." + std::to_string(minor);
    const std::vector<std::uint8_t> passwordBytes = PasswordBytes(password);
    std::unique_ptr<PageCodec> codec;
    if (major == 4 && minor == 4) {
        codec = UnlockAgileInfo(info, databaseKey, passwordBytes);
    } else if ((major == 2 || major == 3 || major == 4) && minor == 2) {
        const std::uint32_t flags = LoadU32(info.data() + 4);
        if (!(flags & kFlagCryptoApi))
            Unsupported("encryption version " + version + " without CryptoAPI");
        if (flags & kFlagAes)
            Unsupported("Office Standard (AES) encryption (version " + version + ")");
        codec =
            UnlockRc4CryptoApi(ParseRc4CryptoApiInfo(info.subspan(4)), databaseKey, passwordBytes);
    } else if (major == 1 && minor == 1) {
        Unsupported("Office binary RC4 encryption (version 1.1)");
    } else if ((major == 3 || major == 4) && minor == 3) {
        Unsupported("Office extensible encryption (version " + version + ")");
    } else {
        Unsupported("an unknown encryption version " + version);
    }
    if (!codec)
        WrongPassword();
    return codec;
}

std::unique_ptr<PageCodec> WriteNewOfficeEncryption(MutableBytes page0,
                                                    const std::string& password) {
    const std::vector<std::uint8_t> passwordBytes = PasswordBytes(password);
    std::vector<std::uint8_t> dataKey;
    const AgileDescriptor descriptor = NewAgileDescriptor(passwordBytes, dataKey);
    const std::string xml = SerializeAgileDescriptor(descriptor);

    std::uint32_t databaseKey = 0;
    while (databaseKey == 0)  // zero would mean "not encrypted"
        databaseKey = LoadU32(RandomBytes(4).data());

    const std::size_t length = 8 + xml.size();
    const std::size_t start = kHeaderCryptLengthOffset + 2;
    if (start + length > std::min(page0.size(), kEncryptionInfoEnd))
        throw Error(ErrorKind::Constraint, "The encryption header does not fit the header page.");
    StoreU32(page0.data() + kHeaderKeyOffset, databaseKey);
    StoreU16(page0.data() + kHeaderCryptLengthOffset, static_cast<std::uint16_t>(length));
    StoreU16(page0.data() + start, 4);
    StoreU16(page0.data() + start + 2, 4);
    StoreU32(page0.data() + start + 4, kAgileReserved);
    std::memcpy(page0.data() + start + 8, xml.data(), xml.size());
    std::unique_ptr<PageCodec> codec = UnlockAgile(descriptor, databaseKey, passwordBytes);
    if (!codec)
        throw Error(ErrorKind::Constraint, "The new encryption header does not verify.");
    return codec;
}

}  // namespace accessdb::crypto

// Page 0 parsing: signature, version, masked fields, password and encryption info.
#include "accessdb/Header.h"

#include <cmath>
#include <cstring>

#include "accessdb/Text.h"

namespace accessdb {

std::string EncryptionName(Encryption e) {
    switch (e) {
        case Encryption::None:
            return "none";
        case Encryption::JetPageEncoding:
            return "Jet page encoding (RC4)";
        case Encryption::OfficeRc4CryptoApi:
            return "Office RC4 CryptoAPI";
        case Encryption::OfficeStandard:
            return "Office Standard (AES)";
        case Encryption::OfficeAgile:
            return "Office Agile";
        case Encryption::OfficeRc4:
            return "Office binary RC4";
        case Encryption::OfficeOther:
            return "Office (unknown scheme)";
    }
    return "unknown";
}

std::string SortOrderName(const SortOrder& s, const Format& format) {
    if (s.lcid == 1033 || s.lcid == 0) {
        if (format.jet3)
            return "General 97";
        return s.version == 0 ? "General Legacy" : "General";
    }
    return "LCID " + std::to_string(s.lcid) + " version " + std::to_string(s.version);
}

const Format* RecogniseFormat(Bytes start, std::string& reason) {
    if (start.size() < 0x15) {
        reason = "the file is too short to hold a database header";
        return nullptr;
    }
    if (start[0] != 0) {
        reason = "the first page is not a database header";
        return nullptr;
    }
    std::string engine(reinterpret_cast<const char*>(start.data() + 4), 15);
    if (engine == "MSISAM Database") {
        reason = "it is a Microsoft Money (MSISAM) file";
        return nullptr;
    }
    if (engine != "Standard Jet DB" && engine != "Standard ACE DB") {
        reason = "it has no Jet or ACE signature";
        return nullptr;
    }
    const Format* format = FormatForVersionByte(start[kHeaderVersionOffset]);
    if (!format) {
        reason = "unknown format version " + std::to_string(start[kHeaderVersionOffset]);
        return nullptr;
    }
    if ((engine == "Standard ACE DB") != format->ace) {
        reason = "the engine name \"" + engine + "\" does not match format version " +
                 std::to_string(start[kHeaderVersionOffset]);
        return nullptr;
    }
    return format;
}

void ApplyHeaderMask(MutableBytes page0, const Format& format) {
    const std::uint8_t* mask = HeaderMask();
    std::size_t end = std::min(page0.size(), kHeaderMaskStart + format.headerMaskLength);
    for (std::size_t i = kHeaderMaskStart; i < end; ++i)
        page0[i] ^= mask[i - kHeaderMaskStart];
}

namespace {

std::string ReadPassword(Bytes page0, const Format& format, double date, std::uint16_t codePage) {
    std::uint8_t pw[40] = {};
    std::memcpy(pw, page0.data() + kHeaderPasswordOffset, format.passwordLength);
    if (!format.jet3) {
        double whole = std::isfinite(date) ? std::trunc(date) : 0.0;
        if (whole > 2147483647.0 || whole < -2147483648.0)
            whole = 0;
        std::uint8_t m[4];
        StoreU32(m, static_cast<std::uint32_t>(static_cast<std::int32_t>(whole)));
        for (std::size_t i = 0; i < format.passwordLength; ++i)
            pw[i] ^= m[i % 4];
    }
    Bytes bytes(pw, format.passwordLength);
    if (format.jet3) {
        std::size_t n = 0;
        while (n < bytes.size() && bytes[n] != 0)
            ++n;
        return DecodeCodePage(bytes.first(n), codePage);
    }
    std::size_t n = 0;
    while (n + 1 < bytes.size() && (bytes[n] | bytes[n + 1]) != 0)
        n += 2;
    return DecodeText(bytes.first(n));
}

void ReadOfficeEncryption(Bytes page0, DatabaseHeader& h) {
    std::uint16_t length = LoadU16(page0.data() + kHeaderCryptLengthOffset);
    if (length < 8 || kHeaderCryptLengthOffset + 2 + length > page0.size()) {
        h.encryption = Encryption::OfficeOther;
        h.encryptionVersion = "?";
        return;
    }
    const std::uint8_t* info = page0.data() + kHeaderCryptLengthOffset + 2;
    std::uint16_t major = LoadU16(info);
    std::uint16_t minor = LoadU16(info + 2);
    std::uint32_t flags = LoadU32(info + 4);
    h.encryptionVersion = std::to_string(major) + "." + std::to_string(minor);
    if (major == 4 && minor == 4) {
        h.encryption = Encryption::OfficeAgile;
    } else if (major == 1 && minor == 1) {
        h.encryption = Encryption::OfficeRc4;
    } else if ((major == 2 || major == 3 || major == 4) && minor == 2) {
        const std::uint32_t cryptoApi = 0x04, aes = 0x20;
        if ((flags & cryptoApi) && !(flags & aes))
            h.encryption = Encryption::OfficeRc4CryptoApi;
        else if (flags & aes)
            h.encryption = Encryption::OfficeStandard;
        else
            h.encryption = Encryption::OfficeOther;
    } else {
        h.encryption = Encryption::OfficeOther;
    }
}

}  // namespace

DatabaseHeader ParseHeader(Bytes page0) {
    DatabaseHeader h;
    std::string reason;
    h.format = RecogniseFormat(page0, reason);
    if (!h.format)
        throw Error(ErrorKind::NotDatabase, reason);
    const Format& f = *h.format;
    if (page0.size() < f.pageSize)
        throw Error(ErrorKind::NotDatabase, "the file is cut short inside its header page");
    h.engineName.assign(reinterpret_cast<const char*>(page0.data() + 4), 15);
    h.codePage = LoadU16(page0.data() + kHeaderCodePageOffset);
    h.databaseKey = LoadU32(page0.data() + kHeaderKeyOffset);
    if (f.jet3) {
        h.sortOrder.lcid = LoadU16(page0.data() + f.sortOrderOffset);
    } else {
        h.sortOrder.lcid = LoadU16(page0.data() + f.sortOrderOffset);
        h.sortOrder.version = page0[f.sortOrderOffset + 3];
        std::uint64_t bits = LoadU64(page0.data() + kHeaderDateOffset);
        std::memcpy(&h.creationDate, &bits, sizeof bits);
    }
    if (f.ace) {
        if (h.databaseKey != 0)
            ReadOfficeEncryption(page0, h);
    } else {
        if (h.databaseKey != 0)
            h.encryption = Encryption::JetPageEncoding;
        h.password = ReadPassword(page0, f, h.creationDate, h.codePage);
    }
    return h;
}

}  // namespace accessdb

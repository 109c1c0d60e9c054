#pragma once
// A small XML reader for encryption descriptors: elements, attributes, namespaces prefixes
// dropped, text and comments skipped. It refuses what a descriptor never holds (document type
// declarations, unknown entities) and anything malformed, with the reason and the offset.
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace accessdb::crypto {

struct XmlElement {
    std::string name;  // local name ("encryptedKey" for "p:encryptedKey")
    std::vector<std::pair<std::string, std::string>> attributes;  // local names, values decoded
    std::vector<XmlElement> children;

    // The attribute or child of that local name, or nullptr.
    const std::string* Attribute(std::string_view localName) const;
    const XmlElement* Child(std::string_view localName) const;
};

// The document's root element. Throws Damaged ("... at offset N") for malformed text.
XmlElement ParseXml(std::string_view text);

// Text made safe inside a double-quoted attribute value.
std::string EscapeXmlAttribute(std::string_view value);

}  // namespace accessdb::crypto

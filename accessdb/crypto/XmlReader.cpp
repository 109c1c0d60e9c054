// A recursive-descent reader over the descriptor's text; nesting is bounded so damaged input
// cannot exhaust the stack.
#include "accessdb/crypto/XmlReader.h"

#include <cstdint>

#include "accessdb/Error.h"
#include "accessdb/Text.h"

namespace accessdb::crypto {

namespace {

constexpr int kMaxDepth = 32;

std::string_view LocalName(std::string_view name) {
    const std::size_t colon = name.find(':');
    return colon == std::string_view::npos ? name : name.substr(colon + 1);
}

bool IsNameChar(char c) {
    const unsigned char u = static_cast<unsigned char>(c);
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' ||
           c == ':' || c == '-' || c == '.' || u >= 0x80;
}

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

class Parser {
  public:
    explicit Parser(std::string_view text) : text_(text) {}

    XmlElement Document() {
        if (text_.substr(0, 3) == "\xEF\xBB\xBF")
            at_ = 3;
        SkipMisc();
        if (!Peek('<'))
            Fail("the document has no root element");
        XmlElement root = Element(0);
        SkipMisc();
        if (at_ != text_.size())
            Fail("text follows the root element");
        return root;
    }

  private:
    [[noreturn]] void Fail(const std::string& what) const {
        ThrowDamaged("the encryption descriptor is not well-formed XML: " + what + " at offset " +
                     std::to_string(at_));
    }

    bool Peek(char c) const { return at_ < text_.size() && text_[at_] == c; }
    bool Starts(std::string_view s) const { return text_.substr(at_, s.size()) == s; }
    void SkipSpace() {
        while (at_ < text_.size() && IsSpace(text_[at_]))
            ++at_;
    }
    void SkipPast(std::string_view end, const char* what) {
        const std::size_t found = text_.find(end, at_);
        if (found == std::string_view::npos)
            Fail(std::string("an unterminated ") + what);
        at_ = found + end.size();
    }

    // Blanks, the XML declaration, processing instructions and comments between elements.
    void SkipMisc() {
        for (;;) {
            SkipSpace();
            if (Starts("<?")) {
                SkipPast("?>", "processing instruction");
            } else if (Starts("<!--")) {
                SkipPast("-->", "comment");
            } else if (Starts("<!")) {
                Fail("a document type declaration or other markup declaration");
            } else {
                return;
            }
        }
    }

    std::string Name() {
        const std::size_t start = at_;
        while (at_ < text_.size() && IsNameChar(text_[at_]))
            ++at_;
        if (at_ == start)
            Fail("a name was expected");
        return std::string(text_.substr(start, at_ - start));
    }

    std::string AttributeValue() {
        if (!Peek('"') && !Peek('\''))
            Fail("an attribute value must be quoted");
        const char quote = text_[at_++];
        std::string value;
        while (at_ < text_.size() && text_[at_] != quote) {
            const char c = text_[at_];
            if (c == '<')
                Fail("'<' inside an attribute value");
            if (c == '&') {
                Entity(value);
            } else {
                value += c;
                ++at_;
            }
        }
        if (at_ >= text_.size())
            Fail("an unterminated attribute value");
        ++at_;
        return value;
    }

    void Entity(std::string& out) {
        const std::size_t end = text_.find(';', at_);
        if (end == std::string_view::npos || end - at_ > 12)
            Fail("an unterminated character reference");
        const std::string_view name = text_.substr(at_ + 1, end - at_ - 1);
        if (name == "amp") {
            out += '&';
        } else if (name == "lt") {
            out += '<';
        } else if (name == "gt") {
            out += '>';
        } else if (name == "quot") {
            out += '"';
        } else if (name == "apos") {
            out += '\'';
        } else if (name.size() > 1 && name[0] == '#') {
            const bool hex = name[1] == 'x';
            std::uint32_t code = 0;
            const std::string_view digits = name.substr(hex ? 2 : 1);
            if (digits.empty())
                Fail("an empty character reference");
            for (char d : digits) {
                int v = -1;
                if (d >= '0' && d <= '9')
                    v = d - '0';
                else if (hex && d >= 'a' && d <= 'f')
                    v = d - 'a' + 10;
                else if (hex && d >= 'A' && d <= 'F')
                    v = d - 'A' + 10;
                if (v < 0)
                    Fail("a malformed character reference");
                code = code * (hex ? 16u : 10u) + static_cast<std::uint32_t>(v);
                if (code > 0x10FFFF)
                    Fail("a character reference beyond Unicode");
            }
            if (code == 0 || (code >= 0xD800 && code <= 0xDFFF))
                Fail("a character reference to a character XML forbids");
            AppendUtf8(out, static_cast<char32_t>(code));
        } else {
            Fail("an unknown entity");
        }
        at_ = end + 1;
    }

    XmlElement Element(int depth) {
        if (depth > kMaxDepth)
            Fail("elements nested too deeply");
        ++at_;  // '<'
        const std::string qualified = Name();
        XmlElement element;
        element.name = std::string(LocalName(qualified));
        for (;;) {
            const std::size_t before = at_;
            SkipSpace();
            if (Starts("/>")) {
                at_ += 2;
                return element;
            }
            if (Peek('>')) {
                ++at_;
                break;
            }
            if (at_ == before)
                Fail("blank space must separate attributes");
            const std::string attribute = Name();
            SkipSpace();
            if (!Peek('='))
                Fail("'=' must follow an attribute name");
            ++at_;
            SkipSpace();
            std::string value = AttributeValue();
            std::string local(LocalName(attribute));
            // Namespace declarations only bind prefixes, which the reader drops.
            if (attribute != "xmlns" && attribute.rfind("xmlns:", 0) != 0)
                element.attributes.emplace_back(std::move(local), std::move(value));
        }
        for (;;) {
            if (at_ >= text_.size())
                Fail("the element <" + qualified + "> is not closed");
            if (Starts("</")) {
                at_ += 2;
                if (Name() != qualified)
                    Fail("the closing tag does not match <" + qualified + ">");
                SkipSpace();
                if (!Peek('>'))
                    Fail("a closing tag must end with '>'");
                ++at_;
                return element;
            }
            if (Starts("<!--")) {
                SkipPast("-->", "comment");
            } else if (Starts("<![CDATA[")) {
                SkipPast("]]>", "CDATA section");
            } else if (Starts("<?")) {
                SkipPast("?>", "processing instruction");
            } else if (Starts("<!")) {
                Fail("a markup declaration inside an element");
            } else if (Peek('<')) {
                element.children.push_back(Element(depth + 1));
            } else if (Peek('&')) {
                std::string ignored;
                Entity(ignored);
            } else {
                ++at_;  // character data: a descriptor's values are all attributes
            }
        }
    }

    std::string_view text_;
    std::size_t at_ = 0;
};

}  // namespace

const std::string* XmlElement::Attribute(std::string_view localName) const {
    for (const auto& [key, value] : attributes)
        if (key == localName)
            return &value;
    return nullptr;
}

const XmlElement* XmlElement::Child(std::string_view localName) const {
    for (const XmlElement& child : children)
        if (child.name == localName)
            return &child;
    return nullptr;
}

XmlElement ParseXml(std::string_view text) {
    return Parser(text).Document();
}

std::string EscapeXmlAttribute(std::string_view value) {
    std::string out;
    for (char c : value) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            default:
                out += c;
        }
    }
    return out;
}

}  // namespace accessdb::crypto

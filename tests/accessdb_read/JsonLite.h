#pragma once
// A small JSON reader for the expected-output files of the fixtures (objects, arrays, strings,
// numbers, booleans, null). Numbers keep their text so exact comparisons stay possible.
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace testjson {

struct Value {
    enum class Kind { Null, Bool, Number, String, Array, Object } kind = Kind::Null;
    bool boolean = false;
    std::string text;  // String, or the literal text of a Number
    std::vector<Value> items;
    std::vector<std::pair<std::string, Value>> members;

    const Value* Find(const std::string& key) const {
        for (const auto& m : members)
            if (m.first == key)
                return &m.second;
        return nullptr;
    }
    const Value& operator[](const std::string& key) const {
        const Value* v = Find(key);
        if (!v)
            throw std::runtime_error("missing JSON member " + key);
        return *v;
    }
    double Number() const { return std::stod(text); }
};

class Parser {
  public:
    explicit Parser(const std::string& s) : s_(s) {}
    Value Parse() {
        Value v = ParseValue();
        Skip();
        if (p_ != s_.size())
            throw std::runtime_error("trailing JSON text");
        return v;
    }

  private:
    void Skip() {
        while (p_ < s_.size() &&
               (s_[p_] == ' ' || s_[p_] == '\n' || s_[p_] == '\r' || s_[p_] == '\t'))
            ++p_;
    }
    char Peek() {
        Skip();
        if (p_ >= s_.size())
            throw std::runtime_error("unexpected end of JSON");
        return s_[p_];
    }
    void Expect(char c) {
        if (Peek() != c)
            throw std::runtime_error(std::string("JSON: expected ") + c);
        ++p_;
    }
    static void Utf8(std::string& out, unsigned cp) {
        if (cp < 0x80) {
            out += static_cast<char>(cp);
        } else if (cp < 0x800) {
            out += static_cast<char>(0xC0 | (cp >> 6));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else if (cp < 0x10000) {
            out += static_cast<char>(0xE0 | (cp >> 12));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (cp >> 18));
            out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        }
    }
    unsigned Hex4() {
        unsigned v = std::stoul(s_.substr(p_, 4), nullptr, 16);
        p_ += 4;
        return v;
    }
    std::string ParseString() {
        Expect('"');
        std::string out;
        while (p_ < s_.size() && s_[p_] != '"') {
            char c = s_[p_++];
            if (c != '\\') {
                out += c;
                continue;
            }
            char e = s_[p_++];
            switch (e) {
                case 'n':
                    out += '\n';
                    break;
                case 't':
                    out += '\t';
                    break;
                case 'r':
                    out += '\r';
                    break;
                case 'b':
                    out += '\b';
                    break;
                case 'f':
                    out += '\f';
                    break;
                case 'u': {
                    unsigned cp = Hex4();
                    if (cp >= 0xD800 && cp <= 0xDBFF && s_.compare(p_, 2, "\\u") == 0) {
                        p_ += 2;
                        unsigned lo = Hex4();
                        cp = 0x10000 + ((cp - 0xD800) << 10) + (lo - 0xDC00);
                    }
                    Utf8(out, cp);
                    break;
                }
                default:
                    out += e;
            }
        }
        ++p_;
        return out;
    }
    Value ParseValue() {
        Value v;
        char c = Peek();
        if (c == '{') {
            v.kind = Value::Kind::Object;
            ++p_;
            if (Peek() == '}') {
                ++p_;
                return v;
            }
            for (;;) {
                std::string key = ParseString();
                Expect(':');
                v.members.emplace_back(key, ParseValue());
                if (Peek() == ',') {
                    ++p_;
                    continue;
                }
                Expect('}');
                return v;
            }
        }
        if (c == '[') {
            v.kind = Value::Kind::Array;
            ++p_;
            if (Peek() == ']') {
                ++p_;
                return v;
            }
            for (;;) {
                v.items.push_back(ParseValue());
                if (Peek() == ',') {
                    ++p_;
                    continue;
                }
                Expect(']');
                return v;
            }
        }
        if (c == '"') {
            v.kind = Value::Kind::String;
            v.text = ParseString();
            return v;
        }
        if (s_.compare(p_, 4, "true") == 0) {
            p_ += 4;
            v.kind = Value::Kind::Bool;
            v.boolean = true;
            return v;
        }
        if (s_.compare(p_, 5, "false") == 0) {
            p_ += 5;
            v.kind = Value::Kind::Bool;
            return v;
        }
        if (s_.compare(p_, 4, "null") == 0) {
            p_ += 4;
            return v;
        }
        std::size_t start = p_;
        while (p_ < s_.size() &&
               (std::isdigit(static_cast<unsigned char>(s_[p_])) || s_[p_] == '-' ||
                s_[p_] == '+' || s_[p_] == '.' || s_[p_] == 'e' || s_[p_] == 'E'))
            ++p_;
        if (start == p_)
            throw std::runtime_error("bad JSON value");
        v.kind = Value::Kind::Number;
        v.text = s_.substr(start, p_ - start);
        return v;
    }
    const std::string& s_;
    std::size_t p_ = 0;
};

inline Value Parse(const std::string& text) {
    return Parser(text).Parse();
}

}  // namespace testjson

// A recursive-descent reader of Access expressions into a small tree, and its evaluator with
// Access's Null rules (Null in, Null out; And/Or three-valued).
#include "accessdb/write/rules/Expression.h"

#include <cctype>
#include <cmath>
#include <ctime>
#include <initializer_list>
#include <vector>

#include "accessdb/Value.h"
#include "accessdb/convert/AsciiCase.h"
#include "accessdb/convert/DateText.h"
#include "accessdb/convert/NumberText.h"
#include "accessdb/write/FieldEncoding.h"

namespace accessdb::rules {

struct Expression::Node {
    enum class Op {
        Literal,
        Implicit,  // the value the rule is checked against
        Name,
        Call,
        Negate,
        Not,
        Binary,  // text holds the operator
        Between,
        In,
        Like,
        IsNull,
    } op = Op::Literal;
    ExprValue value;
    std::string text;      // name, function or operator
    bool negated = false;  // Not Between / Not In / Not Like / Is Not Null
    std::vector<std::unique_ptr<Node>> args;
};

namespace {

using convert::EqualsAsciiIgnoringCase;
using Node = Expression::Node;
using Op = Node::Op;
using Kind = ExprValue::Kind;

std::unique_ptr<Node> Make(Op op) {
    auto n = std::make_unique<Node>();
    n->op = op;
    return n;
}

class Parser {
  public:
    Parser(std::string_view text, bool implicit) : text_(text), implicit_(implicit) {}

    std::unique_ptr<Node> ParseAll() {
        auto root = ParseXor();
        Skip();
        if (pos_ < text_.size()) {
            Fail("unexpected '" + std::string(text_.substr(pos_, 10)) + "'");
        }
        return root;
    }

  private:
    [[noreturn]] void Fail(const std::string& what) const {
        throw ExpressionError(what + " at position " + std::to_string(pos_ + 1));
    }

    void Skip() {
        while (pos_ < text_.size() && (text_[pos_] == ' ' || text_[pos_] == '\t' ||
                                       text_[pos_] == '\r' || text_[pos_] == '\n')) {
            ++pos_;
        }
    }

    // A keyword (letters only) at the current position, not followed by a letter or digit.
    bool Keyword(std::string_view word) {
        Skip();
        if (pos_ + word.size() > text_.size() ||
            !EqualsAsciiIgnoringCase(text_.substr(pos_, word.size()), word)) {
            return false;
        }
        const std::size_t after = pos_ + word.size();
        if (after < text_.size() &&
            (std::isalnum(static_cast<unsigned char>(text_[after])) || text_[after] == '_')) {
            return false;
        }
        pos_ = after;
        return true;
    }

    bool Symbol(std::string_view symbol) {
        Skip();
        if (text_.substr(pos_, symbol.size()) != symbol) {
            return false;
        }
        pos_ += symbol.size();
        return true;
    }

    std::unique_ptr<Node> Binary(std::string op, std::unique_ptr<Node> a, std::unique_ptr<Node> b) {
        auto n = Make(Op::Binary);
        n->text = std::move(op);
        n->args.push_back(std::move(a));
        n->args.push_back(std::move(b));
        return n;
    }

    // An operator of a chain: a symbol ("+") or a keyword ("Mod", which must stand alone).
    struct Operator {
        const char* text;
        bool keyword = false;
    };

    // Operands of one precedence level joined left to right by any of its operators:
    // a - b + c is (a - b) + c.
    std::unique_ptr<Node> ParseChain(std::unique_ptr<Node> (Parser::*operand)(),
                                     std::initializer_list<Operator> operators) {
        auto left = (this->*operand)();
        for (;;) {
            const Operator* found = nullptr;
            for (const Operator& op : operators) {
                if (op.keyword ? Keyword(op.text) : Symbol(op.text)) {
                    found = &op;
                    break;
                }
            }
            if (found == nullptr) {
                return left;
            }
            left = Binary(found->text, std::move(left), (this->*operand)());
        }
    }

    // Xor ranks below Or, as in VBA: a Xor b Or c is a Xor (b Or c).
    std::unique_ptr<Node> ParseXor() { return ParseChain(&Parser::ParseOr, {{"Xor", true}}); }

    std::unique_ptr<Node> ParseOr() { return ParseChain(&Parser::ParseAnd, {{"Or", true}}); }

    std::unique_ptr<Node> ParseAnd() { return ParseChain(&Parser::ParseNot, {{"And", true}}); }

    std::unique_ptr<Node> ParseNot() {
        if (Keyword("Not")) {
            auto n = Make(Op::Not);
            n->args.push_back(ParseNot());
            return n;
        }
        return ParseComparison();
    }

    // A comparison operator, Between, In, Like or Is at the current position?
    bool AtComparison() {
        Skip();
        const std::size_t save = pos_;
        const bool yes =
            Symbol("<") || Symbol(">") || Symbol("=") || Keyword("Between") || Keyword("In") ||
            Keyword("Like") || Keyword("Is") ||
            (Keyword("Not") && (Keyword("Between") || Keyword("In") || Keyword("Like")));
        pos_ = save;
        return yes;
    }

    std::unique_ptr<Node> ParseComparison() {
        std::unique_ptr<Node> left;
        if (implicit_ && AtComparison()) {
            left = Make(Op::Implicit);
        } else {
            left = ParseConcat();
        }
        Skip();
        for (const char* op : {"<=", ">=", "<>", "<", ">", "="}) {
            if (Symbol(op)) {
                return Binary(op, std::move(left), ParseConcat());
            }
        }
        const std::size_t save = pos_;
        const bool negated = Keyword("Not");
        // Between, In and Like test the left operand, Not before them turns the test around.
        const auto test = [&](Op op) {
            auto n = Make(op);
            n->negated = negated;
            n->args.push_back(std::move(left));
            return n;
        };
        if (Keyword("Between")) {
            auto n = test(Op::Between);
            n->args.push_back(ParseConcat());
            if (!Keyword("And")) {
                Fail("Between without And");
            }
            n->args.push_back(ParseConcat());
            return n;
        }
        if (Keyword("In")) {
            auto n = test(Op::In);
            if (!Symbol("(")) {
                Fail("In without its list");
            }
            do {
                n->args.push_back(ParseConcat());
            } while (Symbol(","));
            if (!Symbol(")")) {
                Fail("In list without ')'");
            }
            return n;
        }
        if (Keyword("Like")) {
            auto n = test(Op::Like);
            n->args.push_back(ParseConcat());
            return n;
        }
        pos_ = save;
        if (!negated && Keyword("Is")) {
            auto n = Make(Op::IsNull);
            n->negated = Keyword("Not");
            if (!Keyword("Null")) {
                Fail("Is without Null");
            }
            n->args.push_back(std::move(left));
            return n;
        }
        // A column rule that is a bare value ("'M' Or 'F'") means equality with it.
        if (implicit_ && left->op == Op::Literal) {
            return Binary("=", Make(Op::Implicit), std::move(left));
        }
        return left;
    }

    std::unique_ptr<Node> ParseConcat() { return ParseChain(&Parser::ParseAdditive, {{"&"}}); }

    // Below + and -, VBA ranks Mod, then integer division, then * and /: 7 \\ 2 * 3 is
    // 7 \\ (2 * 3), and 8 Mod 5 \\ 2 is 8 Mod (5 \\ 2).
    std::unique_ptr<Node> ParseAdditive() {
        return ParseChain(&Parser::ParseModulo, {{"+"}, {"-"}});
    }

    std::unique_ptr<Node> ParseModulo() {
        return ParseChain(&Parser::ParseIntegerDivision, {{"Mod", true}});
    }

    std::unique_ptr<Node> ParseIntegerDivision() {
        return ParseChain(&Parser::ParseTerm, {{"\\"}});
    }

    std::unique_ptr<Node> ParseTerm() { return ParseChain(&Parser::ParseUnary, {{"*"}, {"/"}}); }

    std::unique_ptr<Node> ParseUnary() {
        if (Symbol("-")) {
            auto n = Make(Op::Negate);
            n->args.push_back(ParseUnary());
            return n;
        }
        if (Symbol("+")) {
            return ParseUnary();
        }
        return ParseChain(&Parser::ParsePrimary, {{"^"}});
    }

    std::unique_ptr<Node> Literal(ExprValue v) {
        auto n = Make(Op::Literal);
        n->value = std::move(v);
        return n;
    }

    std::unique_ptr<Node> ParsePrimary() {
        Skip();
        if (pos_ >= text_.size()) {
            Fail("the expression ends too early");
        }
        const char c = text_[pos_];
        if (c == '(') {
            ++pos_;
            auto inner = ParseXor();
            if (!Symbol(")")) {
                Fail("missing ')'");
            }
            return inner;
        }
        if (c == '"' || c == '\'') {
            std::string value;
            ++pos_;
            for (;;) {
                if (pos_ >= text_.size()) {
                    Fail("a text without its closing quote");
                }
                if (text_[pos_] == c) {
                    if (pos_ + 1 < text_.size() && text_[pos_ + 1] == c) {
                        value.push_back(c);
                        pos_ += 2;
                        continue;
                    }
                    ++pos_;
                    break;
                }
                value.push_back(text_[pos_++]);
            }
            return Literal(ExprValue::OfText(std::move(value)));
        }
        if (c == '#') {
            const std::size_t end = text_.find('#', pos_ + 1);
            if (end == std::string_view::npos) {
                Fail("a date without its closing '#'");
            }
            convert::DateTimeParts parts;
            // Dates between # are written the American way or as ISO, whatever the locale.
            if (!convert::ParseDateTime(text_.substr(pos_ + 1, end - pos_ - 1),
                                        convert::NumberDateLocale::English(), 2000, parts)) {
                Fail("'" + std::string(text_.substr(pos_, end - pos_ + 1)) + "' is no date");
            }
            pos_ = end + 1;
            return Literal(ExprValue::OfDate(convert::ToAccessDays(parts)));
        }
        if (c == '[') {
            const std::size_t end = text_.find(']', pos_ + 1);
            if (end == std::string_view::npos) {
                Fail("a name without its closing ']'");
            }
            auto n = Make(Op::Name);
            n->text = std::string(text_.substr(pos_ + 1, end - pos_ - 1));
            pos_ = end + 1;
            return n;
        }
        if ((c >= '0' && c <= '9') || c == '.') {
            std::size_t end = pos_;
            while (end < text_.size() &&
                   (std::isdigit(static_cast<unsigned char>(text_[end])) || text_[end] == '.')) {
                ++end;
            }
            if (end < text_.size() && (text_[end] == 'e' || text_[end] == 'E')) {
                std::size_t e = end + 1;
                if (e < text_.size() && (text_[e] == '+' || text_[e] == '-')) {
                    ++e;
                }
                if (e < text_.size() && std::isdigit(static_cast<unsigned char>(text_[e]))) {
                    end = e;
                    while (end < text_.size() &&
                           std::isdigit(static_cast<unsigned char>(text_[end]))) {
                        ++end;
                    }
                }
            }
            convert::ExactNumber number;
            if (!convert::ParseNumber(text_.substr(pos_, end - pos_), {".", ""}, number)) {
                Fail("'" + std::string(text_.substr(pos_, end - pos_)) + "' is no number");
            }
            pos_ = end;
            return Literal(ExprValue::Of(convert::ToDouble(number)));
        }
        if (std::isalpha(static_cast<unsigned char>(c)) || c == '_') {
            std::size_t end = pos_;
            while (end < text_.size() &&
                   (std::isalnum(static_cast<unsigned char>(text_[end])) || text_[end] == '_')) {
                ++end;
            }
            const std::string word(text_.substr(pos_, end - pos_));
            pos_ = end;
            if (EqualsAsciiIgnoringCase(word, "True") || EqualsAsciiIgnoringCase(word, "Yes") ||
                EqualsAsciiIgnoringCase(word, "On")) {
                return Literal(ExprValue::OfBool(true));
            }
            if (EqualsAsciiIgnoringCase(word, "False") || EqualsAsciiIgnoringCase(word, "No") ||
                EqualsAsciiIgnoringCase(word, "Off")) {
                return Literal(ExprValue::OfBool(false));
            }
            if (EqualsAsciiIgnoringCase(word, "Null")) {
                return Literal(ExprValue::Null());
            }
            if (Symbol("(")) {
                auto n = Make(Op::Call);
                n->text = word;
                if (!Symbol(")")) {
                    // Arguments are values of their own: no implicit operand inside them.
                    const bool implicit = implicit_;
                    implicit_ = false;
                    do {
                        n->args.push_back(ParseXor());
                    } while (Symbol(","));
                    implicit_ = implicit;
                    if (!Symbol(")")) {
                        Fail("missing ')' after the arguments of " + word);
                    }
                }
                return n;
            }
            if (EqualsAsciiIgnoringCase(word, "Date") || EqualsAsciiIgnoringCase(word, "Now") ||
                EqualsAsciiIgnoringCase(word, "Time")) {
                auto n = Make(Op::Call);
                n->text = word;
                return n;
            }
            auto n = Make(Op::Name);  // a bare field name
            n->text = word;
            return n;
        }
        Fail(std::string("unexpected '") + c + "'");
    }

    std::string_view text_;
    bool implicit_;
    std::size_t pos_ = 0;
};

// --- evaluation ----------------------------------------------------------------------------

std::string AsText(const ExprValue& v) {
    switch (v.kind) {
        case Kind::Text:
            return v.text;
        case Kind::Boolean:
            return v.number != 0 ? "True" : "False";
        case Kind::Date:
            return FormatDateTime(v.number);
        case Kind::Number:
            return FormatDouble(v.number);
        case Kind::Null:
            return "";
    }
    return "";
}

// The number of a value; false for a text that is no number.
bool AsNumber(const ExprValue& v, double& out) {
    if (v.kind == Kind::Text) {
        convert::ExactNumber number;
        if (!convert::ParseNumber(v.text, {".", ""}, number)) {
            return false;
        }
        out = convert::ToDouble(number);
        return true;
    }
    out = v.number;
    return true;
}

int CompareText(const std::string& a, const std::string& b) {
    // Access compares texts without regard to letter case.
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        const int x = std::tolower(static_cast<unsigned char>(a[i]));
        const int y = std::tolower(static_cast<unsigned char>(b[i]));
        if (x != y) {
            return x < y ? -1 : 1;
        }
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

// -1, 0, 1; both not Null.
int Compare(const ExprValue& a, const ExprValue& b) {
    if (a.kind == Kind::Text && b.kind == Kind::Text) {
        return CompareText(a.text, b.text);
    }
    double x = 0;
    double y = 0;
    if (AsNumber(a, x) && AsNumber(b, y)) {
        return x < y ? -1 : (x > y ? 1 : 0);
    }
    return CompareText(AsText(a), AsText(b));
}

// Null, True or False of a value used as a condition.
ExprValue Truth(const ExprValue& v) {
    if (v.kind == Kind::Null) {
        return v;
    }
    double n = 0;
    if (!AsNumber(v, n)) {
        throw ExpressionError("the text '" + v.text + "' is used as a condition");
    }
    return ExprValue::OfBool(n != 0);
}

std::int64_t CivilDays(double days, int& y, int& m, int& d) {
    const auto whole = static_cast<std::int64_t>(std::floor(days < 0 ? std::ceil(days) : days));
    const std::int64_t base = convert::DaysSinceYearOne(1899, 12, 30);
    std::int64_t z = whole + base - 719162 + 719468;  // days since 0000-03-01
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const auto doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    y = static_cast<int>(static_cast<std::int64_t>(yoe) + era * 400 + (m <= 2 ? 1 : 0));
    return whole;
}

double Today(bool withTime) {
    const double now = NowAsDateTime();
    return withTime ? now : std::floor(now);
}

class Evaluator {
  public:
    Evaluator(const NameLookup& names, const ExprValue& implicit)
        : names_(names), implicit_(implicit) {}

    ExprValue Eval(const Node& n) const {
        switch (n.op) {
            case Op::Literal:
                return n.value;
            case Op::Implicit:
                return implicit_;
            case Op::Name:
                return names_(n.text);
            case Op::Call:
                return Call(n);
            case Op::Negate: {
                const ExprValue v = Eval(*n.args[0]);
                double x = 0;
                if (v.kind == Kind::Null) {
                    return v;
                }
                if (!AsNumber(v, x)) {
                    throw ExpressionError("'" + v.text + "' is negated but is no number");
                }
                return v.kind == Kind::Date ? ExprValue::OfDate(-x) : ExprValue::Of(-x);
            }
            case Op::Not: {
                const ExprValue v = Truth(Eval(*n.args[0]));
                return v.kind == Kind::Null ? v : ExprValue::OfBool(v.number == 0);
            }
            case Op::Binary:
                return EvalBinary(n);
            case Op::Between: {
                const ExprValue v = Eval(*n.args[0]);
                const ExprValue low = Eval(*n.args[1]);
                const ExprValue high = Eval(*n.args[2]);
                if (v.kind == Kind::Null || low.kind == Kind::Null || high.kind == Kind::Null) {
                    return ExprValue::Null();
                }
                const bool inside = Compare(v, low) >= 0 && Compare(v, high) <= 0;
                return ExprValue::OfBool(inside != n.negated);
            }
            case Op::In: {
                const ExprValue v = Eval(*n.args[0]);
                if (v.kind == Kind::Null) {
                    return v;
                }
                bool found = false;
                for (std::size_t i = 1; i < n.args.size() && !found; ++i) {
                    const ExprValue item = Eval(*n.args[i]);
                    found = item.kind != Kind::Null && Compare(v, item) == 0;
                }
                return ExprValue::OfBool(found != n.negated);
            }
            case Op::Like: {
                const ExprValue v = Eval(*n.args[0]);
                const ExprValue pattern = Eval(*n.args[1]);
                if (v.kind == Kind::Null || pattern.kind == Kind::Null) {
                    return ExprValue::Null();
                }
                return ExprValue::OfBool(MatchesLike(AsText(v), AsText(pattern)) != n.negated);
            }
            case Op::IsNull: {
                const bool isNull = Eval(*n.args[0]).kind == Kind::Null;
                return ExprValue::OfBool(isNull != n.negated);
            }
        }
        return ExprValue::Null();
    }

  private:
    ExprValue EvalBinary(const Node& n) const {
        const std::string& op = n.text;
        if (op == "And" || op == "Or" || op == "Xor") {
            const ExprValue a = Truth(Eval(*n.args[0]));
            const ExprValue b = Truth(Eval(*n.args[1]));
            const bool aNull = a.kind == Kind::Null;
            const bool bNull = b.kind == Kind::Null;
            if (op == "And") {
                if ((!aNull && a.number == 0) || (!bNull && b.number == 0)) {
                    return ExprValue::OfBool(false);
                }
                return aNull || bNull ? ExprValue::Null() : ExprValue::OfBool(true);
            }
            if (op == "Or") {
                if ((!aNull && a.number != 0) || (!bNull && b.number != 0)) {
                    return ExprValue::OfBool(true);
                }
                return aNull || bNull ? ExprValue::Null() : ExprValue::OfBool(false);
            }
            if (aNull || bNull) {
                return ExprValue::Null();
            }
            return ExprValue::OfBool((a.number != 0) != (b.number != 0));
        }
        const ExprValue a = Eval(*n.args[0]);
        const ExprValue b = Eval(*n.args[1]);
        if (op == "&") {
            if (a.kind == Kind::Null && b.kind == Kind::Null) {
                return ExprValue::Null();
            }
            return ExprValue::OfText(AsText(a) + AsText(b));
        }
        if (a.kind == Kind::Null || b.kind == Kind::Null) {
            return ExprValue::Null();
        }
        if (op == "=" || op == "<>" || op == "<" || op == "<=" || op == ">" || op == ">=") {
            const int c = Compare(a, b);
            const bool r = op == "="    ? c == 0
                           : op == "<>" ? c != 0
                           : op == "<"  ? c < 0
                           : op == "<=" ? c <= 0
                           : op == ">"  ? c > 0
                                        : c >= 0;
            return ExprValue::OfBool(r);
        }
        if (op == "+" && a.kind == Kind::Text && b.kind == Kind::Text) {
            return ExprValue::OfText(a.text + b.text);
        }
        double x = 0;
        double y = 0;
        if (!AsNumber(a, x) || !AsNumber(b, y)) {
            throw ExpressionError("'" + AsText(a) + "' " + op + " '" + AsText(b) +
                                  "' mixes a text with a number");
        }
        const bool date =
            (a.kind == Kind::Date || b.kind == Kind::Date) && (op == "+" || op == "-");
        double r = 0;
        if (op == "+") {
            r = x + y;
        } else if (op == "-") {
            r = x - y;
        } else if (op == "*") {
            r = x * y;
        } else if (op == "/") {
            if (y == 0) {
                throw ExpressionError("division by zero");
            }
            r = x / y;
        } else if (op == "\\" || op == "Mod") {
            const double ix = std::nearbyint(x);
            const double iy = std::nearbyint(y);
            if (iy == 0) {
                throw ExpressionError("division by zero");
            }
            r = op == "Mod" ? std::fmod(ix, iy) : std::trunc(ix / iy);
        } else if (op == "^") {
            r = std::pow(x, y);
        }
        return date ? ExprValue::OfDate(r) : ExprValue::Of(r);
    }

    void Arity(const Node& n, std::size_t low, std::size_t high) const {
        if (n.args.size() < low || n.args.size() > high) {
            throw ExpressionError(n.text + " takes " + std::to_string(low) +
                                  (high != low ? " to " + std::to_string(high) : "") +
                                  " arguments");
        }
    }

    double Number(const Node& n, std::size_t i) const {
        const ExprValue v = Eval(*n.args[i]);
        double x = 0;
        if (v.kind == Kind::Null || !AsNumber(v, x)) {
            throw ExpressionError(n.text + " needs a number");
        }
        return x;
    }

    ExprValue Call(const Node& n) const {
        const std::string& f = n.text;
        auto is = [&](const char* name) { return EqualsAsciiIgnoringCase(f, name); };
        if (is("Date") || is("Now") || is("Time")) {
            Arity(n, 0, 0);
            const double now = Today(true);
            if (is("Date")) {
                return ExprValue::OfDate(std::floor(now));
            }
            return ExprValue::OfDate(is("Now") ? now : now - std::floor(now));
        }
        if (is("IsNull")) {
            Arity(n, 1, 1);
            return ExprValue::OfBool(Eval(*n.args[0]).kind == Kind::Null);
        }
        if (is("Nz")) {
            Arity(n, 1, 2);
            const ExprValue v = Eval(*n.args[0]);
            if (v.kind != Kind::Null) {
                return v;
            }
            return n.args.size() == 2 ? Eval(*n.args[1]) : ExprValue::Of(0);
        }
        if (is("Len") || is("UCase") || is("LCase") || is("Trim") || is("LTrim") || is("RTrim") ||
            is("Year") || is("Month") || is("Day") || is("Abs") || is("Int") || is("Fix")) {
            Arity(n, 1, 1);
            const ExprValue v = Eval(*n.args[0]);
            if (v.kind == Kind::Null) {
                return v;
            }
            if (is("Len")) {
                std::size_t count = 0;
                for (const char c : AsText(v)) {
                    count += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
                }
                return ExprValue::Of(static_cast<double>(count));
            }
            if (is("UCase") || is("LCase")) {
                std::string t = AsText(v);
                for (char& c : t) {
                    c = static_cast<char>(is("UCase")
                                              ? std::toupper(static_cast<unsigned char>(c))
                                              : std::tolower(static_cast<unsigned char>(c)));
                }
                return ExprValue::OfText(t);
            }
            if (is("Trim") || is("LTrim") || is("RTrim")) {
                std::string t = AsText(v);
                if (!is("RTrim")) {
                    t.erase(0, t.find_first_not_of(' ') == std::string::npos
                                   ? t.size()
                                   : t.find_first_not_of(' '));
                }
                if (!is("LTrim")) {
                    while (!t.empty() && t.back() == ' ') {
                        t.pop_back();
                    }
                }
                return ExprValue::OfText(t);
            }
            double x = 0;
            if (!AsNumber(v, x)) {
                throw ExpressionError(f + " needs a number or a date");
            }
            if (is("Year") || is("Month") || is("Day")) {
                int y = 0;
                int m = 0;
                int d = 0;
                CivilDays(x, y, m, d);
                return ExprValue::Of(is("Year") ? y : is("Month") ? m : d);
            }
            if (is("Abs")) {
                return ExprValue::Of(std::fabs(x));
            }
            return ExprValue::Of(is("Int") ? std::floor(x) : std::trunc(x));
        }
        if (is("Left") || is("Right") || is("Mid")) {
            Arity(n, 2, is("Mid") ? 3 : 2);
            const ExprValue v = Eval(*n.args[0]);
            if (v.kind == Kind::Null) {
                return v;
            }
            // Characters, not bytes: split the UTF-8 text first.
            std::vector<std::string> chars;
            for (const char c : AsText(v)) {
                if ((static_cast<unsigned char>(c) & 0xC0) != 0x80 || chars.empty()) {
                    chars.emplace_back();
                }
                chars.back().push_back(c);
            }
            const double a = Number(n, 1);
            std::size_t from = 0;
            std::size_t count = chars.size();
            if (is("Left")) {
                count = static_cast<std::size_t>(std::max(0.0, a));
            } else if (is("Right")) {
                const auto k = static_cast<std::size_t>(std::max(0.0, a));
                from = k >= chars.size() ? 0 : chars.size() - k;
            } else {
                if (a < 1) {
                    throw ExpressionError("Mid starts at 1 or later");
                }
                from = static_cast<std::size_t>(a) - 1;
                if (n.args.size() == 3) {
                    count = static_cast<std::size_t>(std::max(0.0, Number(n, 2)));
                }
            }
            std::string out;
            for (std::size_t i = from; i < chars.size() && i - from < count; ++i) {
                out += chars[i];
            }
            return ExprValue::OfText(out);
        }
        throw ExpressionError("the function " + f + " is not one this engine evaluates");
    }

    const NameLookup& names_;
    const ExprValue& implicit_;
};

// Like matching on characters (UTF-8 sequences kept whole), letter case ignored for ASCII.
bool MatchFrom(std::string_view t, std::size_t ti, std::string_view p, std::size_t pi) {
    auto charLength = [](std::string_view s, std::size_t i) {
        std::size_t n = 1;
        while (i + n < s.size() && (static_cast<unsigned char>(s[i + n]) & 0xC0) == 0x80) {
            ++n;
        }
        return n;
    };
    auto fold = [](char c) {
        return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    };
    while (pi < p.size()) {
        const char pc = p[pi];
        if (pc == '*') {
            while (pi < p.size() && p[pi] == '*') {
                ++pi;
            }
            if (pi == p.size()) {
                return true;
            }
            for (std::size_t k = ti; k <= t.size(); k += k < t.size() ? charLength(t, k) : 1) {
                if (MatchFrom(t, k, p, pi)) {
                    return true;
                }
                if (k == t.size()) {
                    break;
                }
            }
            return false;
        }
        if (ti >= t.size()) {
            return false;
        }
        const std::size_t tl = charLength(t, ti);
        const std::string_view tc = t.substr(ti, tl);
        if (pc == '?') {
            ti += tl;
            ++pi;
            continue;
        }
        if (pc == '#') {
            if (!std::isdigit(static_cast<unsigned char>(t[ti]))) {
                return false;
            }
            ++ti;
            ++pi;
            continue;
        }
        if (pc == '[') {
            const std::size_t close = p.find(']', pi + 1);
            if (close == std::string_view::npos) {
                return false;
            }
            std::string_view set = p.substr(pi + 1, close - pi - 1);
            bool negate = false;
            if (!set.empty() && set[0] == '!') {
                negate = true;
                set.remove_prefix(1);
            }
            bool in = false;
            for (std::size_t k = 0; k < set.size(); ++k) {
                if (k + 2 < set.size() && set[k + 1] == '-' && tl == 1) {
                    const char c = fold(t[ti]);
                    in = in || (c >= fold(set[k]) && c <= fold(set[k + 2]));
                    k += 2;
                } else if (tl == 1) {
                    in = in || fold(set[k]) == fold(t[ti]);
                } else {
                    in = in || set.substr(k, tl) == tc;
                }
            }
            if (in == negate) {
                return false;
            }
            ti += tl;
            pi = close + 1;
            continue;
        }
        const std::size_t pl = charLength(p, pi);
        if (pl != tl || (tl == 1 ? fold(pc) != fold(t[ti]) : p.substr(pi, pl) != tc)) {
            return false;
        }
        ti += tl;
        pi += pl;
    }
    return ti == t.size();
}

}  // namespace

bool MatchesLike(std::string_view text, std::string_view pattern) {
    return MatchFrom(text, 0, pattern, 0);
}

Expression::Expression(std::unique_ptr<Node> root) : root_(std::move(root)) {}
Expression::Expression(Expression&&) noexcept = default;
Expression& Expression::operator=(Expression&&) noexcept = default;
Expression::~Expression() = default;

Expression Expression::Parse(std::string_view text, bool implicitOperand) {
    Parser parser(text, implicitOperand);
    return Expression(parser.ParseAll());
}

ExprValue Expression::Evaluate(const NameLookup& names, const ExprValue& implicit) const {
    return Evaluator(names, implicit).Eval(*root_);
}

}  // namespace accessdb::rules

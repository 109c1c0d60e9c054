#include "accessdb/sql/SqlParser.h"

#include <cstring>

#include "textcodec/ByteSearch.h"

namespace accessdb::sql {

const char* ColumnKindName(ColumnKind kind) {
    switch (kind) {
        case ColumnKind::Text:
            return "TEXT";
        case ColumnKind::Memo:
            return "MEMO";
        case ColumnKind::Byte:
            return "BYTE";
        case ColumnKind::Integer:
            return "SHORT";
        case ColumnKind::Long:
            return "LONG";
        case ColumnKind::Single:
            return "SINGLE";
        case ColumnKind::Double:
            return "DOUBLE";
        case ColumnKind::Currency:
            return "CURRENCY";
        case ColumnKind::DateTime:
            return "DATETIME";
        case ColumnKind::Bit:
            return "BIT";
        case ColumnKind::Counter:
            return "COUNTER";
        case ColumnKind::Guid:
            return "GUID";
    }
    return "?";
}

namespace {

// Jet's numbers for syntax errors by statement kind.
constexpr long kInvalidStatement = 3129;
constexpr long kCreateTableSyntax = 3290;
constexpr long kCreateIndexSyntax = 3291;
constexpr long kInsertSyntax = 3134;
constexpr long kSelectSyntax = 3141;

struct TypeName {
    const char* name;
    ColumnKind kind;
};

constexpr TypeName kTypeNames[] = {
    {"VARCHAR", ColumnKind::Text},       {"TEXT", ColumnKind::Text},
    {"CHAR", ColumnKind::Text},          {"CHARACTER", ColumnKind::Text},
    {"NVARCHAR", ColumnKind::Text},      {"STRING", ColumnKind::Text},
    {"MEMO", ColumnKind::Memo},          {"LONGTEXT", ColumnKind::Memo},
    {"LONGCHAR", ColumnKind::Memo},      {"NOTE", ColumnKind::Memo},
    {"BYTE", ColumnKind::Byte},          {"TINYINT", ColumnKind::Byte},
    {"INTEGER1", ColumnKind::Byte},      {"SHORT", ColumnKind::Integer},
    {"SMALLINT", ColumnKind::Integer},   {"INTEGER2", ColumnKind::Integer},
    {"LONG", ColumnKind::Long},          {"INTEGER", ColumnKind::Long},
    {"INT", ColumnKind::Long},           {"INTEGER4", ColumnKind::Long},
    {"SINGLE", ColumnKind::Single},      {"REAL", ColumnKind::Single},
    {"FLOAT4", ColumnKind::Single},      {"IEEESINGLE", ColumnKind::Single},
    {"DOUBLE", ColumnKind::Double},      {"FLOAT", ColumnKind::Double},
    {"FLOAT8", ColumnKind::Double},      {"IEEEDOUBLE", ColumnKind::Double},
    {"NUMBER", ColumnKind::Double},      {"CURRENCY", ColumnKind::Currency},
    {"MONEY", ColumnKind::Currency},     {"DATETIME", ColumnKind::DateTime},
    {"DATE", ColumnKind::DateTime},      {"TIME", ColumnKind::DateTime},
    {"TIMESTAMP", ColumnKind::DateTime}, {"BIT", ColumnKind::Bit},
    {"YESNO", ColumnKind::Bit},          {"LOGICAL", ColumnKind::Bit},
    {"LOGICAL1", ColumnKind::Bit},       {"BOOLEAN", ColumnKind::Bit},
    {"COUNTER", ColumnKind::Counter},    {"AUTOINCREMENT", ColumnKind::Counter},
    {"GUID", ColumnKind::Guid},          {"UNIQUEIDENTIFIER", ColumnKind::Guid},
};

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f';
}
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}
bool IsWordChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || IsDigit(c) || c == '_' ||
           static_cast<unsigned char>(c) >= 0x80;
}
char Upper(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

bool EqualsIgnoreCase(std::string_view word, const char* keyword) {
    const std::size_t n = std::strlen(keyword);
    if (word.size() != n) {
        return false;
    }
    for (std::size_t i = 0; i < n; ++i) {
        if (Upper(word[i]) != keyword[i]) {
            return false;
        }
    }
    return true;
}

class Parser {
  public:
    explicit Parser(std::string_view text) : text_(text) {}

    void Parse(Statement& out) {
        SkipSpace();
        const std::string_view verb = PeekWord();
        if (EqualsIgnoreCase(verb, "INSERT")) {
            errorNumber_ = kInsertSyntax;
            if (!std::holds_alternative<InsertInto>(out)) {
                out = InsertInto{};
            }
            ParseInsert(std::get<InsertInto>(out));
        } else if (EqualsIgnoreCase(verb, "CREATE")) {
            if (IsCreateIndex()) {
                errorNumber_ = kCreateIndexSyntax;
                out = CreateIndex{};
                ParseCreateIndex(std::get<CreateIndex>(out));
            } else {
                errorNumber_ = kCreateTableSyntax;
                out = CreateTable{};
                ParseCreate(std::get<CreateTable>(out));
            }
        } else if (EqualsIgnoreCase(verb, "SELECT")) {
            errorNumber_ = kSelectSyntax;
            out = SelectAll{};
            ParseSelect(std::get<SelectAll>(out));
        } else {
            errorNumber_ = kInvalidStatement;
            Fail(
                "Invalid SQL statement; expected 'CREATE TABLE', 'CREATE INDEX', 'INSERT INTO' or "
                "'SELECT'");
        }
        SkipSpace();
        if (pos_ < text_.size() && text_[pos_] == ';') {
            ++pos_;
            SkipSpace();
        }
        if (pos_ != text_.size()) {
            Fail("unexpected text after the end of the statement");
        }
    }

  private:
    void ParseCreate(CreateTable& out) {
        ExpectKeyword("CREATE");
        ExpectKeyword("TABLE");
        ParseName(out.table, "a table name");
        Expect('(');
        do {
            if (AtTableConstraint()) {
                ParseTableConstraint(out.indexes.emplace_back());
                continue;
            }
            ColumnDefinition& column = out.columns.emplace_back();
            ParseName(column.name, "a column name");
            ParseType(column);
            ParseColumnConstraints(column, out.indexes);
        } while (Accept(','));
        Expect(')');
    }

    // CREATE INDEX or CREATE UNIQUE INDEX, without moving.
    bool IsCreateIndex() {
        const std::size_t start = pos_;
        ReadWord();  // CREATE
        SkipSpace();
        std::string_view word = ReadWord();
        if (EqualsIgnoreCase(word, "UNIQUE")) {
            SkipSpace();
            word = ReadWord();
        }
        pos_ = start;
        return EqualsIgnoreCase(word, "INDEX");
    }

    bool AcceptKeyword(const char* keyword) {
        SkipSpace();
        if (!EqualsIgnoreCase(PeekWord(), keyword)) {
            return false;
        }
        pos_ += std::strlen(keyword);
        return true;
    }

    // A table constraint starts with CONSTRAINT, PRIMARY KEY or UNIQUE followed by '('.
    bool AtTableConstraint() {
        SkipSpace();
        const std::size_t start = pos_;
        bool yes = false;
        if (AcceptKeyword("CONSTRAINT")) {
            yes = true;
        } else if (AcceptKeyword("PRIMARY")) {
            yes = AcceptKeyword("KEY");
        } else if (AcceptKeyword("UNIQUE")) {
            yes = Accept('(');
        }
        pos_ = start;
        return yes;
    }

    // [CONSTRAINT name] PRIMARY KEY | UNIQUE; false when neither follows.
    bool ParseKeyKind(IndexClause& index) {
        if (AcceptKeyword("PRIMARY")) {
            ExpectKeyword("KEY");
            index.primaryKey = true;
            return true;
        }
        if (AcceptKeyword("UNIQUE")) {
            index.unique = true;
            return true;
        }
        return false;
    }

    void ParseTableConstraint(IndexClause& index) {
        if (AcceptKeyword("CONSTRAINT")) {
            ParseName(index.name, "a constraint name");
        }
        if (!ParseKeyKind(index)) {
            if (AcceptKeyword("FOREIGN")) {
                Fail("FOREIGN KEY constraints are not supported");
            }
            Fail("expected PRIMARY KEY or UNIQUE");
        }
        ParseIndexColumns(index, false);
    }

    void ParseColumnConstraints(ColumnDefinition& column, std::vector<IndexClause>& indexes) {
        for (;;) {
            SkipSpace();
            if (AcceptKeyword("NOT")) {
                ExpectKeyword("NULL");
                column.notNull = true;
                continue;
            }
            if (AcceptKeyword("NULL")) {
                continue;
            }
            IndexClause index;
            const bool named = AcceptKeyword("CONSTRAINT");
            if (named) {
                ParseName(index.name, "a constraint name");
            }
            if (ParseKeyKind(index)) {
                index.columns.push_back({column.name, true});
                indexes.push_back(std::move(index));
                continue;
            }
            if (named) {
                if (AcceptKeyword("REFERENCES")) {
                    Fail("REFERENCES constraints are not supported");
                }
                Fail("expected PRIMARY KEY or UNIQUE");
            }
            if (EqualsIgnoreCase(PeekWord(), "REFERENCES")) {
                Fail("REFERENCES constraints are not supported");
            }
            return;
        }
    }

    // (col [ASC|DESC], ...): ASC and DESC only where `withOrder`.
    void ParseIndexColumns(IndexClause& index, bool withOrder) {
        Expect('(');
        do {
            IndexColumnName& column = index.columns.emplace_back();
            ParseName(column.name, "a column name");
            if (withOrder) {
                if (AcceptKeyword("DESC")) {
                    column.ascending = false;
                } else {
                    AcceptKeyword("ASC");
                }
            }
        } while (Accept(','));
        Expect(')');
    }

    void ParseCreateIndex(CreateIndex& out) {
        ExpectKeyword("CREATE");
        out.index.unique = AcceptKeyword("UNIQUE");
        ExpectKeyword("INDEX");
        ParseName(out.index.name, "an index name");
        ExpectKeyword("ON");
        ParseName(out.table, "a table name");
        ParseIndexColumns(out.index, true);
        if (AcceptKeyword("WITH")) {
            bool any = false;
            for (;;) {
                if (AcceptKeyword("PRIMARY")) {
                    out.index.primaryKey = true;
                } else if (AcceptKeyword("DISALLOW")) {
                    ExpectKeyword("NULL");
                    out.index.disallowNull = true;
                } else if (AcceptKeyword("IGNORE")) {
                    ExpectKeyword("NULL");
                    out.index.ignoreNull = true;
                } else {
                    break;
                }
                any = true;
            }
            if (!any) {
                Fail("expected PRIMARY, DISALLOW NULL or IGNORE NULL after WITH");
            }
        }
    }

    void ParseType(ColumnDefinition& column) {
        SkipSpace();
        const std::size_t start = pos_;
        const std::string_view word = ReadWord();
        if (word.empty()) {
            Fail("expected a data type");
        }
        bool known = false;
        for (const TypeName& type : kTypeNames) {
            if (EqualsIgnoreCase(word, type.name)) {
                column.kind = type.kind;
                known = true;
                break;
            }
        }
        if (!known) {
            pos_ = start;
            Fail("unknown data type '" + std::string(word) + "'");
        }
        if (Accept('(')) {
            SkipSpace();
            const std::size_t sizeStart = pos_;
            long size = 0;
            while (pos_ < text_.size() && IsDigit(text_[pos_]) && size <= 100000) {
                size = size * 10 + (text_[pos_++] - '0');
            }
            if (pos_ == sizeStart) {
                Fail("expected a field size");
            }
            if (column.kind != ColumnKind::Text) {
                pos_ = sizeStart;
                Fail("a field size is allowed only for text columns");
            }
            if (size < 1 || size > 255) {
                pos_ = sizeStart;
                Fail("a text field size must be between 1 and 255");
            }
            column.size = static_cast<int>(size);
            Expect(')');
        }
        // Unicode compression is what we write anyway; accept Jet's way of asking for it.
        SkipSpace();
        if (EqualsIgnoreCase(PeekWord(), "WITH")) {
            ReadWord();
            SkipSpace();
            const std::string_view what = ReadWord();
            if (!EqualsIgnoreCase(what, "COMPRESSION") && !EqualsIgnoreCase(what, "COMP")) {
                Fail("expected COMPRESSION after WITH");
            }
        }
    }

    void ParseInsert(InsertInto& out) {
        ExpectKeyword("INSERT");
        ExpectKeyword("INTO");
        ParseName(out.table, "a table name");
        std::size_t columnCount = 0;
        if (Accept('(')) {
            do {
                if (columnCount == out.columns.size()) {
                    out.columns.emplace_back();
                }
                ParseName(out.columns[columnCount++], "a column name");
            } while (Accept(','));
            Expect(')');
        }
        out.columns.resize(columnCount);
        ExpectKeyword("VALUES");
        Expect('(');
        std::size_t valueCount = 0;
        do {
            if (valueCount == out.values.size()) {
                out.values.emplace_back();
            }
            ParseLiteral(out.values[valueCount++]);
        } while (Accept(','));
        out.values.resize(valueCount);
        Expect(')');
    }

    void ParseSelect(SelectAll& out) {
        ExpectKeyword("SELECT");
        Expect('*');
        ExpectKeyword("FROM");
        ParseName(out.table, "a table name");
    }

    void ParseLiteral(Literal& out) {
        SkipSpace();
        if (pos_ >= text_.size()) {
            Fail("expected a value");
        }
        const char c = text_[pos_];
        if (c == '\'' || c == '"') {
            out.kind = Literal::Kind::String;
            ReadQuoted(c, out.text);
            return;
        }
        if (IsDigit(c) || c == '-' || c == '+' || c == '.') {
            out.kind = Literal::Kind::Number;
            ReadNumber(out.text);
            return;
        }
        const std::string_view word = PeekWord();
        if (EqualsIgnoreCase(word, "NULL")) {
            pos_ += word.size();
            out.kind = Literal::Kind::Null;
            out.text.clear();
            return;
        }
        Fail("expected a value (a quoted string, a number or NULL)");
    }

    // A string between `quote`s; a doubled quote inside stands for one.
    void ReadQuoted(char quote, std::string& out) {
        const std::size_t start = pos_++;
        out.clear();
        for (;;) {
            const std::size_t close = text_.find(quote, pos_);
            if (close == std::string_view::npos) {
                pos_ = start;
                Fail("a string is not closed");
            }
            out.append(text_.data() + pos_, close - pos_);
            pos_ = close + 1;
            if (pos_ < text_.size() && text_[pos_] == quote) {
                out.push_back(quote);
                ++pos_;
                continue;
            }
            return;
        }
    }

    void ReadNumber(std::string& out) {
        const std::size_t start = pos_;
        if (text_[pos_] == '-' || text_[pos_] == '+') {
            ++pos_;
        }
        std::size_t digits = 0;
        while (pos_ < text_.size() && IsDigit(text_[pos_])) {
            ++pos_;
            ++digits;
        }
        if (pos_ < text_.size() && text_[pos_] == '.') {
            ++pos_;
            while (pos_ < text_.size() && IsDigit(text_[pos_])) {
                ++pos_;
                ++digits;
            }
        }
        if (digits == 0) {
            pos_ = start;
            Fail("expected a number");
        }
        if (pos_ < text_.size() && (text_[pos_] == 'e' || text_[pos_] == 'E')) {
            ++pos_;
            if (pos_ < text_.size() && (text_[pos_] == '-' || text_[pos_] == '+')) {
                ++pos_;
            }
            const std::size_t exponentStart = pos_;
            while (pos_ < text_.size() && IsDigit(text_[pos_])) {
                ++pos_;
            }
            if (pos_ == exponentStart) {
                Fail("expected the exponent of a number");
            }
        }
        if (pos_ < text_.size() && IsWordChar(text_[pos_])) {
            Fail("unexpected character after a number");
        }
        out.assign(text_.data() + start, pos_ - start);
    }

    // A name in backticks, in square brackets, or a bare word.
    void ParseName(std::string& out, const char* what) {
        SkipSpace();
        if (pos_ >= text_.size()) {
            Fail(std::string("expected ") + what);
        }
        const char open = text_[pos_];
        if (open == '`' || open == '[') {
            const char close = open == '`' ? '`' : ']';
            const std::size_t end = text_.find(close, pos_ + 1);
            if (end == std::string_view::npos) {
                Fail(std::string(what) + " is not closed");
            }
            out.assign(text_.data() + pos_ + 1, end - pos_ - 1);
            pos_ = end + 1;
            return;
        }
        const std::string_view word = ReadWord();
        if (word.empty()) {
            Fail(std::string("expected ") + what);
        }
        out.assign(word);
    }

    void SkipSpace() {
        while (pos_ < text_.size() && IsSpace(text_[pos_])) {
            ++pos_;
        }
    }

    std::string_view PeekWord() const {
        std::size_t end = pos_;
        while (end < text_.size() && IsWordChar(text_[end])) {
            ++end;
        }
        return text_.substr(pos_, end - pos_);
    }

    std::string_view ReadWord() {
        const std::string_view word = PeekWord();
        pos_ += word.size();
        return word;
    }

    void ExpectKeyword(const char* keyword) {
        SkipSpace();
        const std::size_t start = pos_;
        if (!EqualsIgnoreCase(ReadWord(), keyword)) {
            pos_ = start;
            Fail(std::string("expected ") + keyword);
        }
    }

    bool Accept(char c) {
        SkipSpace();
        if (pos_ < text_.size() && text_[pos_] == c) {
            ++pos_;
            return true;
        }
        return false;
    }

    void Expect(char c) {
        if (!Accept(c)) {
            Fail(std::string("expected '") + c + "'");
        }
    }

    // Characters (not bytes) before pos_, plus one.
    std::size_t CharacterPosition() const {
        std::size_t characters = 0;
        for (std::size_t i = 0; i < pos_ && i < text_.size(); ++i) {
            if ((static_cast<unsigned char>(text_[i]) & 0xC0) != 0x80) {
                ++characters;
            }
        }
        return characters + 1;
    }

    [[noreturn]] void Fail(const std::string& what) const {
        const char* statement = errorNumber_ == kCreateTableSyntax   ? "CREATE TABLE"
                                : errorNumber_ == kCreateIndexSyntax ? "CREATE INDEX"
                                : errorNumber_ == kInsertSyntax      ? "INSERT INTO"
                                : errorNumber_ == kSelectSyntax      ? "SELECT"
                                                                     : "";
        const std::size_t position = CharacterPosition();
        std::string message;
        if (*statement != '\0') {
            message = std::string("Syntax error in ") + statement + " statement at position " +
                      std::to_string(position) + ": " + what + ".";
        } else {
            message = what + " (at position " + std::to_string(position) + ").";
        }
        throw SqlSyntaxError(errorNumber_, position, message);
    }

    std::string_view text_;
    std::size_t pos_ = 0;
    long errorNumber_ = kInvalidStatement;
};

}  // namespace

// The one spelling the import sends for each data line, read in one pass:
//   INSERT INTO `T` VALUES('a','it''s',NULL);
// Anything else (spaces, other quotes, numbers, a column list, a mistake) returns false and
// the full parser reads it afresh. What this accepts, the full parser reads the same way.
bool ReadImportInsert(std::string_view text, Statement& into) {
    constexpr std::string_view kStart = "INSERT INTO `";
    constexpr std::string_view kValues = "` VALUES(";
    if (text.size() < kStart.size() || text.compare(0, kStart.size(), kStart) != 0) {
        return false;
    }
    const char* const end = text.data() + text.size();
    const char* p = text.data() + kStart.size();
    const auto* tableEnd = static_cast<const char*>(std::memchr(p, '`', end - p));
    if (tableEnd == nullptr || static_cast<std::size_t>(end - tableEnd) < kValues.size() ||
        std::string_view(tableEnd, kValues.size()) != kValues) {
        return false;
    }
    const std::string_view table(p, static_cast<std::size_t>(tableEnd - p));
    p = tableEnd + kValues.size();

    if (!std::holds_alternative<InsertInto>(into)) {
        into = InsertInto{};
    }
    InsertInto& out = std::get<InsertInto>(into);
    std::size_t count = 0;
    for (;;) {
        if (count == out.values.size()) {
            out.values.emplace_back();
        }
        Literal& value = out.values[count++];
        if (p < end && *p == '\'') {
            value.kind = Literal::Kind::String;
            value.text.clear();
            ++p;
            for (;;) {
                const char* quote = textcodec::FindByte(p, end, '\'');
                if (quote == end) {
                    return false;  // not closed: the full parser says where
                }
                value.text.append(p, static_cast<std::size_t>(quote - p));
                p = quote + 1;
                if (p < end && *p == '\'') {
                    value.text.push_back('\'');
                    ++p;
                    continue;
                }
                break;
            }
        } else if (end - p >= 4 && std::string_view(p, 4) == "NULL") {
            value.kind = Literal::Kind::Null;
            value.text.clear();
            p += 4;
        } else {
            return false;
        }
        if (p < end && *p == ',') {
            ++p;
            continue;
        }
        if (end - p == 2 && p[0] == ')' && p[1] == ';') {
            break;
        }
        return false;
    }
    out.values.resize(count);
    out.table.assign(table);
    out.columns.clear();
    return true;
}

Statement ParseStatement(std::string_view text) {
    Statement statement;
    ParseStatementInto(text, statement);
    return statement;
}

void ParseStatementInto(std::string_view text, Statement& into) {
    if (!ReadImportInsert(text, into)) {
        Parser(text).Parse(into);
    }
}

void ParseStatementFully(std::string_view text, Statement& into) {
    Parser(text).Parse(into);
}

}  // namespace accessdb::sql

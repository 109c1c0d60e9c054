// The one query shape the reader answers: SELECT * FROM <table>.
#include <cctype>

#include "accessdb/Database.h"

namespace accessdb {

namespace {

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

bool TakeKeyword(const std::string& s, std::size_t& pos, const char* word) {
    while (pos < s.size() && IsSpace(s[pos]))
        ++pos;
    std::size_t n = std::char_traits<char>::length(word);
    if (s.size() - pos < n)
        return false;
    for (std::size_t i = 0; i < n; ++i)
        if (std::toupper(static_cast<unsigned char>(s[pos + i])) != word[i])
            return false;
    if (pos + n < s.size() &&
        (std::isalnum(static_cast<unsigned char>(s[pos + n])) || s[pos + n] == '_') &&
        word[0] != '*')
        return false;
    pos += n;
    return true;
}

[[noreturn]] void SyntaxError(const std::string& sql, std::size_t pos, const std::string& what) {
    throw Error(ErrorKind::Syntax, "Syntax error in query at position " + std::to_string(pos + 1) +
                                       ": " + what + " (in \"" + sql + "\").");
}

}  // namespace

std::string ParseSelectAll(const std::string& sql) {
    std::size_t pos = 0;
    if (!TakeKeyword(sql, pos, "SELECT"))
        throw Error(ErrorKind::NotSupported,
                    "Only SELECT * FROM <table> can be read: \"" + sql + "\".");
    if (!TakeKeyword(sql, pos, "*"))
        SyntaxError(sql, pos, "only SELECT * is supported");
    if (!TakeKeyword(sql, pos, "FROM"))
        SyntaxError(sql, pos, "FROM expected");
    while (pos < sql.size() && IsSpace(sql[pos]))
        ++pos;
    std::string name;
    if (pos < sql.size() && (sql[pos] == '`' || sql[pos] == '[')) {
        char close = sql[pos] == '`' ? '`' : ']';
        std::size_t end = sql.find(close, pos + 1);
        if (end == std::string::npos)
            SyntaxError(sql, pos, "the table name is not closed");
        name = sql.substr(pos + 1, end - pos - 1);
        pos = end + 1;
    } else {
        std::size_t start = pos;
        while (pos < sql.size() && !IsSpace(sql[pos]) && sql[pos] != ';')
            ++pos;
        name = sql.substr(start, pos - start);
    }
    if (name.empty())
        SyntaxError(sql, pos, "table name expected");
    while (pos < sql.size() && (IsSpace(sql[pos]) || sql[pos] == ';'))
        ++pos;
    if (pos != sql.size())
        SyntaxError(sql, pos, "unexpected text after the table name");
    return name;
}

}  // namespace accessdb

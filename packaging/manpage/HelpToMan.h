#pragma once
// Turns a program's --help text into a manual page (roff, man macros), so the page says exactly
// what the program says and never drifts from it. The help text follows the layout our tools
// print: a "Usage:" line (continued on indented lines), prose paragraphs at the left margin,
// "Heading:" lines, and lists whose entries are indented: a term, then its description after a
// gap of two or more spaces or on the more deeply indented lines below.
#include <string>
#include <vector>

namespace quillmere::manpage {

struct PageInfo {
    std::string program;  // "quillmere-import"
    std::string summary;  // the NAME line's text after the dash
    std::string version;  // "Quillmere 0.1.0", shown in the page's footer
    std::string section = "1";
    std::vector<std::string> seeAlso;  // "accessdb(1)"
};

std::string HelpToMan(const std::string& help, const PageInfo& info);

// Text made safe for roff: backslashes, minus signs and lines that would read as requests.
std::string EscapeRoff(const std::string& text);

}  // namespace quillmere::manpage

#include "packaging/manpage/HelpToMan.h"

#include <cctype>
#include <sstream>

namespace quillmere::manpage {
namespace {

size_t Indent(const std::string& line) {
    const size_t first = line.find_first_not_of(' ');
    return first == std::string::npos ? line.size() : first;
}

std::string Trim(const std::string& text) {
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(" \t") + 1 - first);
}

std::string Upper(std::string text) {
    for (char& c : text) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return text;
}

// "Commands:" alone on a line at the left margin names a section.
bool IsHeading(const std::string& line) {
    return Indent(line) == 0 && line.size() > 1 && line.size() < 40 && line.back() == ':' &&
           line.find(". ") == std::string::npos;
}

// The first word in bold, the rest (arguments) in roman.
std::string BoldFirstWord(const std::string& text) {
    const size_t space = text.find(' ');
    if (space == std::string::npos) {
        return "\\fB" + EscapeRoff(text) + "\\fR";
    }
    return "\\fB" + EscapeRoff(text.substr(0, space)) + "\\fR" + EscapeRoff(text.substr(space));
}

class PageWriter {
  public:
    explicit PageWriter(std::ostringstream& out) : out_(out) {}

    void Section(const std::string& name) {
        Flush();
        out_ << ".SH " << name << "\n";
        section_ = name;
        sectionHasList_ = false;
    }

    void Prose(const std::string& line) {
        if (entryOpen_ || sectionHasList_) {
            // Prose after a list is no part of the list's section.
            Section("NOTES");
        } else if (section_.empty() || section_ == "SYNOPSIS") {
            Section("DESCRIPTION");
        }
        Append(paragraph_, Trim(line));
    }

    void Entry(const std::string& term, const std::string& description, size_t indent) {
        if (section_.empty() || section_ == "SYNOPSIS" || section_ == "DESCRIPTION" ||
            section_ == "NOTES") {
            Section(term.rfind("-", 0) == 0 ? "OPTIONS" : "COMMANDS");
        }
        Flush();
        term_ = term;
        description_ = description;
        entryIndent_ = indent;
        entryOpen_ = true;
        sectionHasList_ = true;
    }

    // An indented line: more of the open entry's description when deeper than its term.
    bool Continues(size_t indent) const { return entryOpen_ && indent > entryIndent_; }
    void Continue(const std::string& line) { Append(description_, Trim(line)); }

    void EndParagraph() {
        if (!paragraph_.empty()) {
            out_ << ".PP\n" << EscapeRoff(paragraph_) << "\n";
            paragraph_.clear();
        }
    }

    void Flush() {
        EndParagraph();
        if (entryOpen_) {
            out_ << ".TP\n" << BoldFirstWord(term_) << "\n";
            if (!description_.empty()) {
                out_ << EscapeRoff(description_) << "\n";
            }
            entryOpen_ = false;
        }
    }

  private:
    static void Append(std::string& text, const std::string& more) {
        if (!text.empty() && !more.empty()) {
            text += ' ';
        }
        text += more;
    }

    std::ostringstream& out_;
    std::string section_;
    bool sectionHasList_ = false;
    std::string paragraph_;
    bool entryOpen_ = false;
    std::string term_;
    std::string description_;
    size_t entryIndent_ = 0;
};

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        for (auto tab = line.find('\t'); tab != std::string::npos; tab = line.find('\t')) {
            line.replace(tab, 1, 8 - tab % 8, ' ');
        }
        lines.push_back(line);
    }
    return lines;
}

}  // namespace

std::string EscapeRoff(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\\') {
            out += "\\e";
        } else if (c == '-') {
            out += "\\-";
        } else {
            out += c;
        }
    }
    // A line starting with a dot or an apostrophe would be read as a request.
    if (!out.empty() && (out[0] == '.' || out[0] == '\'')) {
        out.insert(0, "\\&");
    }
    return out;
}

std::string HelpToMan(const std::string& help, const PageInfo& info) {
    std::ostringstream out;
    out << ".TH " << Upper(EscapeRoff(info.program)) << ' ' << info.section << " \"\" \""
        << info.version << "\" \"User Commands\"\n";
    out << ".SH NAME\n" << EscapeRoff(info.program) << " \\- " << EscapeRoff(info.summary) << "\n";

    PageWriter page(out);
    const auto lines = Lines(help);
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        if (Trim(line).empty()) {
            page.EndParagraph();
            continue;
        }
        if (line.rfind("Usage: ", 0) == 0) {
            std::string synopsis = Trim(line.substr(7));
            while (i + 1 < lines.size() && Indent(lines[i + 1]) > 0 &&
                   !Trim(lines[i + 1]).empty()) {
                synopsis += ' ' + Trim(lines[++i]);
            }
            page.Section("SYNOPSIS");
            out << BoldFirstWord(synopsis) << "\n";
            continue;
        }
        const size_t indent = Indent(line);
        if (indent == 0) {
            if (IsHeading(line)) {
                page.Section(Upper(line.substr(0, line.size() - 1)));
            } else {
                page.Prose(line);
            }
            continue;
        }
        if (page.Continues(indent)) {
            page.Continue(line);
            continue;
        }
        const std::string text = line.substr(indent);
        const size_t gap = text.find("  ");
        if (gap == std::string::npos) {
            page.Entry(text, "", indent);
        } else {
            page.Entry(text.substr(0, gap), Trim(text.substr(gap)), indent);
        }
    }
    page.Flush();

    if (!info.seeAlso.empty()) {
        out << ".SH \"SEE ALSO\"\n";
        for (size_t i = 0; i < info.seeAlso.size(); ++i) {
            const std::string& ref = info.seeAlso[i];
            const size_t paren = ref.find('(');
            out << ".BR " << EscapeRoff(ref.substr(0, paren)) << ' '
                << (paren == std::string::npos ? "" : ref.substr(paren))
                << (i + 1 < info.seeAlso.size() ? "," : "") << "\n";
        }
    }
    return out.str();
}

}  // namespace quillmere::manpage

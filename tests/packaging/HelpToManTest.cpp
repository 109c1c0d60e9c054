#include <gtest/gtest.h>

#include "packaging/manpage/HelpToMan.h"

namespace quillmere::manpage {
namespace {

PageInfo Info(const std::string& program) {
    return {program, "does things", "Quillmere 9.9", "1", {}};
}

// The page's text from its first ".SH NAME" on, to keep expectations short.
std::string Body(const std::string& page) {
    return page.substr(page.find(".SH NAME"));
}

TEST(HelpToMan, OptionsWithWrappedUsageAndDescriptions) {
    const std::string help =
        "Usage: tool --database PATH [--password TEXT]\n"
        "         [--dry-run] FILE...\n"
        "\n"
        "Imports files into a database,\n"
        "in the order given.\n"
        "\n"
        "  --database PATH     the database file; a new\n"
        "                      one is made\n"
        "  --dry-run           print instead\n"
        "\n"
        "Exit status: 0 when done.\n";
    const std::string page = HelpToMan(help, Info("tool"));
    EXPECT_EQ(page.substr(0, page.find('\n')),
              ".TH TOOL 1 \"\" \"Quillmere 9.9\" \"User Commands\"");
    EXPECT_EQ(Body(page),
              ".SH NAME\n"
              "tool \\- does things\n"
              ".SH SYNOPSIS\n"
              "\\fBtool\\fR \\-\\-database PATH [\\-\\-password TEXT] [\\-\\-dry\\-run] FILE...\n"
              ".SH DESCRIPTION\n"
              ".PP\n"
              "Imports files into a database, in the order given.\n"
              ".SH OPTIONS\n"
              ".TP\n"
              "\\fB\\-\\-database\\fR PATH\n"
              "the database file; a new one is made\n"
              ".TP\n"
              "\\fB\\-\\-dry\\-run\\fR\n"
              "print instead\n"
              ".SH NOTES\n"
              ".PP\n"
              "Exit status: 0 when done.\n");
}

TEST(HelpToMan, HeadingWithCommandsWhoseDescriptionsSitBelowThem) {
    const std::string help =
        "Usage: db COMMAND ARGUMENTS\n"
        "\n"
        "Commands:\n"
        "  check FILE\n"
        "      Checks the file.\n"
        "  create [--format VALUE] FILE\n"
        "      Writes a new file;\n"
        "      --format picks the version.\n";
    EXPECT_EQ(Body(HelpToMan(help, Info("db"))),
              ".SH NAME\n"
              "db \\- does things\n"
              ".SH SYNOPSIS\n"
              "\\fBdb\\fR COMMAND ARGUMENTS\n"
              ".SH COMMANDS\n"
              ".TP\n"
              "\\fBcheck\\fR FILE\n"
              "Checks the file.\n"
              ".TP\n"
              "\\fBcreate\\fR [\\-\\-format VALUE] FILE\n"
              "Writes a new file; \\-\\-format picks the version.\n");
}

TEST(HelpToMan, EntriesWithoutAHeadingOrAUsageLineStillFormAList) {
    // A list right after the description is an OPTIONS list when its terms are options, and a
    // COMMANDS list otherwise; a lone term whose description follows on deeper lines is one
    // entry, not two.
    const std::string help =
        "Starts the wizard.\n"
        "  ~/.config/x.ini\n"
        "                      the settings\n"
        "  /usr/lib/x  the program folder\n";
    EXPECT_EQ(Body(HelpToMan(help, Info("x"))),
              ".SH NAME\n"
              "x \\- does things\n"
              ".SH DESCRIPTION\n"
              ".PP\n"
              "Starts the wizard.\n"
              ".SH COMMANDS\n"
              ".TP\n"
              "\\fB~/.config/x.ini\\fR\n"
              "the settings\n"
              ".TP\n"
              "\\fB/usr/lib/x\\fR\n"
              "the program folder\n");
}

TEST(HelpToMan, TextThatRoffWouldReadAsRequestsOrEscapesIsEscaped) {
    EXPECT_EQ(EscapeRoff("C:\\data\\x.csv"), "C:\\edata\\ex.csv");
    EXPECT_EQ(EscapeRoff(".accdb files"), "\\&.accdb files");
    EXPECT_EQ(EscapeRoff("'quoted'"), "\\&'quoted'");
    EXPECT_EQ(EscapeRoff("a-b"), "a\\-b");
    // A prose line that starts with a dot would vanish as an unknown request.
    const std::string page = HelpToMan("Usage: t\n\n.mdb or .accdb\n", Info("t"));
    EXPECT_NE(page.find("\n\\&.mdb or .accdb\n"), std::string::npos) << page;
}

TEST(HelpToMan, TabsCarriageReturnsAndSeeAlso) {
    PageInfo info = Info("t");
    info.seeAlso = {"accessdb(1)", "quillmere(1)"};
    // Windows line ends and a tab between term and description, as a help text may have.
    const std::string page = HelpToMan("Usage: t [-v]\r\n\r\n  -v\tverbose\r\n", info);
    EXPECT_EQ(Body(page),
              ".SH NAME\n"
              "t \\- does things\n"
              ".SH SYNOPSIS\n"
              "\\fBt\\fR [\\-v]\n"
              ".SH OPTIONS\n"
              ".TP\n"
              "\\fB\\-v\\fR\n"
              "verbose\n"
              ".SH \"SEE ALSO\"\n"
              ".BR accessdb (1),\n"
              ".BR quillmere (1)\n");
}

}  // namespace
}  // namespace quillmere::manpage

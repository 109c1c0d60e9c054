#include "CommandLine.h"

#include <map>

#include "import/NamedEncoding.h"

namespace quillmere::tool {
namespace {

const std::map<std::string, std::string> kNamedDelimiters = {
    {"comma", ","}, {"comma-space", ", "}, {"semicolon", ";"}, {"tab", "\t"}};

const std::map<std::string, ColumnNaming> kColumnNamings = {
    {"first-line", ColumnNaming::FromFirstLine},
    {"ask", ColumnNaming::AskUser},
    {"automatic", ColumnNaming::Automatic}};

bool TakesValue(const std::string& option) {
    return option == "--database" || option == "--password" || option == "--delimiter" ||
           option == "--table-name" || option == "--columns" || option == "--field-name" ||
           option == "--append" || option == "--encoding";
}

}  // namespace

std::string UsageText() {
    return "Usage: quillmere-import --database PATH [--password TEXT]\n"
           "         [--delimiter comma|comma-space|semicolon|tab|TEXT]\n"
           "         [--table-name PATTERN] [--columns first-line|ask|automatic]\n"
           "         [--field-name PATTERN] [--append TABLE [--skip-header]]\n"
           "         [--encoding NAME] [--dry-run]\n"
           "         FILE...\n"
           "\n"
           "Imports CSV files into a Microsoft Access database (.mdb or .accdb), in the order\n"
           "given: each file becomes a new table, or with --append its rows go into TABLE.\n"
           "\n"
           "  --database PATH     the Access database file; when there is none (and no\n"
           "                      --append), a new empty one is made (Access 2003 .mdb,\n"
           "                      Access 2010 .accdb)\n"
           "  --password TEXT     its database password (default none)\n"
           "  --delimiter D       comma (default), comma-space, semicolon, tab, or any other\n"
           "                      text taken literally\n"
           "  --table-name P      the new tables' names; [counter] becomes the file's number\n"
           "                      (default NewTable[counter])\n"
           "  --columns HOW       column names from the first line (first-line, default),\n"
           "                      asked on the terminal (ask), or made from --field-name\n"
           "                      (automatic)\n"
           "  --field-name P      the pattern of automatic column names (default\n"
           "                      NewField[counter])\n"
           "  --append TABLE      append every file's rows to the existing TABLE\n"
           "  --skip-header       with --append: the first line of each file is a header\n"
           "  --encoding NAME     read every file in this encoding (any name iconv knows:\n"
           "                      windows-1251, shift_jis, iso-8859-15, ...) instead of\n"
           "                      telling it from the bytes (UTF-8, UTF-16, Windows-1252)\n"
           "  --dry-run           print every statement and execute it against the database\n"
           "                      (or, when there is none yet, a new one in memory), then\n"
           "                      discard every change: the messages and exit status are the\n"
           "                      real run's, and nothing is written to the database\n"
           "\n"
           "Messages go to standard output; a one-line summary of the run (files imported,\n"
           "rows stored, files and lines skipped, time taken) goes to standard error.\n"
           "Exit status: 0 when the import ends with \"Done.\" or \"Table(s) already exist.\"\n"
           "and no other message, 1 after any other message or an error, 2 for a usage error.\n";
}

ParseResult ParseCommandLine(const std::vector<std::string>& arguments) {
    CommandLine line;
    bool databaseGiven = false;
    bool skipHeader = false;
    bool optionsEnded = false;
    for (size_t i = 0; i < arguments.size(); ++i) {
        std::string argument = arguments[i];
        if (optionsEnded || argument.size() < 2 || argument.rfind("-", 0) != 0) {
            line.files.push_back(argument);
            continue;
        }
        if (argument == "--") {
            optionsEnded = true;
            continue;
        }
        if (argument == "-h" || argument == "--help") {
            line.help = true;
            continue;
        }
        std::optional<std::string> value;
        if (const auto equals = argument.find('='); equals != std::string::npos) {
            value = argument.substr(equals + 1);
            argument.resize(equals);
        }
        if (TakesValue(argument)) {
            if (!value) {
                if (i + 1 >= arguments.size()) {
                    return {std::nullopt, argument + " needs a value"};
                }
                value = arguments[++i];
            }
        } else if (value) {
            return {std::nullopt, argument + " takes no value"};
        }

        if (argument == "--database") {
            line.database = *value;
            databaseGiven = true;
        } else if (argument == "--password") {
            line.password = *value;
        } else if (argument == "--delimiter") {
            if (value->empty()) {
                // An empty delimiter would split nothing: every line one field, every line skipped.
                return {std::nullopt, "--delimiter needs a non-empty value"};
            }
            const auto named = kNamedDelimiters.find(*value);
            line.options.delimiter = named == kNamedDelimiters.end() ? *value : named->second;
        } else if (argument == "--table-name") {
            line.options.tableNamePattern = *value;
        } else if (argument == "--columns") {
            const auto naming = kColumnNamings.find(*value);
            if (naming == kColumnNamings.end()) {
                return {std::nullopt,
                        "--columns takes first-line, ask or automatic, not " + *value};
            }
            line.options.columnNaming = naming->second;
        } else if (argument == "--field-name") {
            line.options.fieldNamePattern = *value;
        } else if (argument == "--append") {
            line.options.mode = ImportMode::AppendToTable;
            line.options.appendTable = *value;
        } else if (argument == "--skip-header") {
            skipHeader = true;
        } else if (argument == "--encoding") {
            if (!IsKnownEncoding(*value)) {
                return {std::nullopt, "--encoding: " + *value +
                                          " is not an encoding this system knows (iconv -l "
                                          "lists them)"};
            }
            line.options.encoding = *value;
        } else if (argument == "--dry-run") {
            line.dryRun = true;
        } else {
            return {std::nullopt, "unknown option " + argument};
        }
    }
    if (line.help) {
        return {line, {}};
    }
    if (skipHeader && line.options.mode != ImportMode::AppendToTable) {
        return {std::nullopt, "--skip-header works only with --append"};
    }
    line.options.skipFirstLine = skipHeader;
    if (!databaseGiven || line.database.empty()) {
        return {std::nullopt, "--database is required"};
    }
    if (line.files.empty()) {
        return {std::nullopt, "no FILE given"};
    }
    return {line, {}};
}

}  // namespace quillmere::tool

#!/usr/bin/env python3
"""Writes the CSV corpus and, for each file, the cells an import must store.

The files reproduce what real exports look like (spreadsheet exports with a byte-order mark,
open-data files with a trailing delimiter, UTF-16 dumps without a mark, a UTF-8 file with one
Windows-1252 line pasted in, old Mac files with CR line ends, ragged rows, long descriptions).

The expected cells do not come from our reader: each file is decoded with the encoding it was
written in and parsed with Python's csv module; then the import's row rules are applied (the
first line names the columns, the column count is fixed by it, other lines are padded or cut,
lines that are empty or hold fewer than two fields are skipped unless the file has one column,
columns with a value beyond 255 UTF-16 units are Memo).

Run it from this folder after changing a file; commit the .csv and .json files it writes.
"""
import codecs
import csv
import io
import json
import string

CRLF = "\r\n"


def cp1252_fallback(error):
    """UTF-8 decoding that takes each invalid byte as its Windows-1252 character."""
    bad = error.object[error.start:error.end]
    return "".join(bytes([b]).decode("cp1252", errors="ignore") or chr(b) for b in bad), error.end


codecs.register_error("cp1252-fallback", cp1252_fallback)

LONG_300 = "Hand-made " + "oak " * 72 + "shelf \U0001F333"  # beyond 255 UTF-16 units
LONG_1000 = ("Stainless steel kettle, 1.7 l, with a limescale filter; "
             "the base turns through 360 degrees. ") * 11

CORPUS = [
    {
        "name": "opendata-semicolon-trailing",
        "why": "German open-data export: Windows-1252, semicolons, a trailing delimiter on "
               "every line (the header too), decimal commas",
        "delimiter": ";",
        "written": "cp1252",
        "text": CRLF.join([
            "Gemeinde;Einwohner;Fläche km²;",
            "Düsseldorf;620523;217,41;",
            "Köln;1084831;405,02;",
            "Mönchengladbach;261001;170,47;",
            "",
        ]),
    },
    {
        "name": "spreadsheet-utf8-bom",
        "why": "spreadsheet 'CSV UTF-8' export: a byte-order mark, quoted header, a comma and "
               "doubled quotes inside quotes, a line break inside a quoted cell, empty cells",
        "delimiter": ",",
        "written": "utf-8-sig",
        "text": CRLF.join([
            '"Order ID","Customer","Note","Amount (€)"',
            '1001,"Smith, John","Said ""call me"" twice",12.50',
            '1002,"Ørsted A/S","Two-line' + CRLF + 'note",7',
            "1003,Zoë,,0",
            "",
        ]),
    },
    {
        "name": "mailing-list-one-column",
        "why": "a list of e-mail addresses: one column, blank lines, a quoted local part",
        "delimiter": ",",
        "written": "utf-8",
        "text": "\n".join([
            "email",
            "ann@example.org",
            "",
            "bob@example.net",
            '"carol, the admin"@example.com',
            "",
            "dave@example.org",
            "",
            "",
        ]),
    },
    {
        "name": "utf8-with-a-windows-1252-line",
        "why": "UTF-8 file into which one line from a Windows-1252 source was pasted",
        "delimiter": ",",
        "bytes": "\n".join([
            "city,country,dish",
            "München,Deutschland,Weißwurst",
            "Zürich,Schweiz,Rösti",
            "São Paulo,Brasil,Pão de queijo",
        ]).encode("utf-8") + b"\nMalm\xc3\xb6,Sverige,Sm\xf6rg\xe5sbord \x96 12 \x80\n",
        "read": "cp1252-fallback",
    },
    {
        "name": "database-dump-utf16le-no-bom",
        "why": "tab-separated UTF-16 LE dump without a byte-order mark",
        "delimiter": "\t",
        "written": "utf-16-le",
        "text": CRLF.join([
            "id\tname\tcity",
            "1\tÆgir\tReykjavík",
            "2\tÞóra\tAkureyri",
            "3\tJón\tÍsafjörður",
            "",
        ]),
    },
    {
        "name": "utf16be-no-bom",
        "why": "UTF-16 BE without a mark, Greek and German letters",
        "delimiter": ",",
        "written": "utf-16-be",
        "text": "code,label\nA1,Straße\nB2,Ελλάδα\n",
    },
    {
        "name": "catalogue-long-descriptions",
        "why": "a product catalogue whose descriptions run past 255 characters in some rows",
        "delimiter": ",",
        "written": "utf-8",
        "text": CRLF.join([
            "sku,description,price",
            "K-17,\"" + LONG_1000 + "\",39.90",
            "S-02,Short text,4.50",
            "W-88," + LONG_300 + ",120",
            "",
        ]),
    },
    {
        "name": "cyrillic-windows-1251",
        "why": "Russian statistics export in Windows-1251 (read with a named encoding): the "
               "header keeps no Latin letter",
        "delimiter": ";",
        "written": "cp1251",
        "encoding": "windows-1251",
        "text": CRLF.join([
            "Город;Население;Регион",
            "Москва;13010112;Центральный",
            "Казань;1308660;Приволжский",
            "",
        ]),
    },
    {
        "name": "classic-mac-cr",
        "why": "an old Mac spreadsheet export: Mac Roman letters and CR alone as line end",
        "delimiter": ",",
        "written": "mac_roman",
        "encoding": "macintosh",
        "text": "\r".join(["dessert,price", "Crème brûlée,5", "Café liégeois,4", ""]),
    },
    {
        "name": "shift-jis-price-list",
        "why": "a Japanese price list in Shift_JIS (named encoding), Japanese header",
        "delimiter": ",",
        "written": "shift_jis",
        "encoding": "shift_jis",
        "text": CRLF.join(["商品,価格", "りんご,120", "みかん,80", ""]),
    },
    {
        "name": "ragged-rows",
        "why": "hand-edited file: an unnamed and a '#' header, short and long rows, a line "
               "without the delimiter, no line break at the end",
        "delimiter": ",",
        "written": "ascii",
        "text": "\n".join([
            "#,Name,,Zip Code",
            "1,Ann,x,0150",
            "2,Bob",
            "3,Cy,y,0190,extra,more",
            "just-one-field",
            '4,"Dee ""D""",z,',
        ]),
    },
]

LETTERS_AND_DIGITS = set(string.ascii_letters + string.digits)


def column_name(field, position):
    kept = "".join(c for c in field if c in LETTERS_AND_DIGITS)
    return kept if kept else "Field" + str(position)


def utf16_units(text):
    return len(text.encode("utf-16-le")) // 2


def expected_table(text, delimiter):
    records = list(csv.reader(io.StringIO(text, newline=""), delimiter=delimiter))
    header = records[0]
    count = len(header)
    rows = []
    for record in records[1:]:
        one_value = count == 1 and len(record) == 1 and record[0] != ""
        if len(record) < 2 and not one_value:
            continue
        rows.append((record + [""] * count)[:count])
    columns = [column_name(field, i + 1) for i, field in enumerate(header)]
    types = ["memo" if any(utf16_units(row[j]) > 255 for row in rows) else "text"
             for j in range(count)]
    return columns, types, rows


def main():
    for entry in CORPUS:
        if "bytes" in entry:
            data = entry["bytes"]
            text = data.decode("utf-8", errors=entry["read"])
        else:
            data = entry["text"].encode(entry["written"])
            text = entry["text"]
        extension = ".tsv" if entry["delimiter"] == "\t" else ".csv"
        with open(entry["name"] + extension, "wb") as out:
            out.write(data)
        columns, types, rows = expected_table(text, entry["delimiter"])
        expected = {
            "file": entry["name"] + extension,
            "why": entry["why"],
            "delimiter": entry["delimiter"],
            "encoding": entry.get("encoding", ""),
            "table": entry["name"],
            "columns": columns,
            "types": types,
            "rows": rows,
        }
        with open(entry["name"] + ".json", "w", encoding="utf-8") as out:
            json.dump(expected, out, ensure_ascii=False, indent=1)
            out.write("\n")


if __name__ == "__main__":
    main()

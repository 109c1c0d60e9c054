#pragma once
// The upper case of one UTF-16 code unit, as the upcase table of an NTFS volume gives it: the
// case-insensitive names of Windows folders are compared through this table.
namespace quillmere {

// Unicode's simple upper-case mapping within the Basic Multilingual Plane (one code unit to one
// code unit; "ß" stays "ß"), without the few mappings an NTFS upcase table leaves out (the micro
// sign, dotless i, long s and the Georgian letters that gained capitals only recently).
// Surrogate code units map to themselves.
char16_t UpperCaseCodeUnit(char16_t unit);

}  // namespace quillmere

#pragma once
// The order in which Windows lists the names of one folder on NTFS: the names upper-cased code
// unit by code unit and compared as UTF-16 code units. Listing a folder in this order on Linux
// gives the same file list, and so the same table numbers, as the same folder on Windows.
#include <string>
#include <vector>

#include "filelist/DirectoryReader.h"

namespace quillmere {

// The name (UTF-8, as the file system holds it) as NTFS compares it: UTF-16, every code unit
// upper-cased. A byte that is not part of valid UTF-8 becomes the lone surrogate 0xDC00 + byte,
// so such names still get a place of their own.
std::u16string NtfsCollationKey(const std::string& name);

// True when `a` comes before `b`. Names that NTFS counts as equal (they differ in case only,
// which a Linux folder allows) keep the order of their bytes, so the order is total.
bool NtfsNameLess(const std::string& a, const std::string& b);

// Sorts one folder's entries into that order.
void SortInNtfsOrder(std::vector<DirectoryEntry>& entries);

}  // namespace quillmere

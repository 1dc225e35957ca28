#pragma once
#include <cstdint>

#include "config/ini_entry.h"

namespace tn {

// One file record line, parsed. Fixed-size, text inline, so whole records
// are zero-filled and copied in one piece.
struct FileRecord {
    wchar_t Name[260];
    wchar_t SourceDir[260];
    wchar_t DestDir[260];
    int32_t Num3, Num4, Num5, Num6;
    int32_t Int7, Int8, Int9, Int10;
    wchar_t Text11[256];
    wchar_t Text12[256];
    uint32_t Hex13;
    wchar_t Text14[260];
    int32_t Num15;
    uint32_t OsMask;
};

// Two option values attached to a file; a slot whose Second is empty is free.
struct OptionPair {
    wchar_t First[42];
    wchar_t Second[42];
};

constexpr size_t kOptionSlots = 10;

// A file record with its place: section, component and component path.
struct FileEntry {
    FileRecord Record;
    wchar_t Section[130];
    wchar_t Component[128];
    wchar_t ComponentPath[654];
    OptionPair Options[kOptionSlots];
};

// Items a record line needs; the scratch of the parser has 20 slots of 256.
constexpr int kRecordItemsRequired = 16;
constexpr int kRecordScratchSlots = 20;
constexpr int kRecordScratchChars = 256;

// Fills `record` from a line (key = file name, value = comma-separated
// items). Returns 1 when the line has at least 16 items; otherwise writes the
// item-count message to standard output, keeps what it filled and returns 0.
// `itemCount`, when given, receives the number of items found, as the
// message counts them (up to kRecordScratchSlots). Null entry or record: 0,
// nothing written, `itemCount` untouched.
int ParseFileRecord(const CIniEntry* entry, FileRecord* record, int* itemCount = nullptr);

}  // namespace tn

#pragma once
#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "config/ini_entry.h"

namespace tn {

// One [section] of an INI document: its name and its entries in file order.
class CIniSection {
public:
    static constexpr size_t kMaxNameChars = 127;

    explicit CIniSection(const wchar_t* name);
    const wchar_t* GetName() const { return name_.c_str(); }
    size_t GetNameLength() const { return name_.size(); }
    size_t GetEntryCount() const { return entries_.size(); }
    // Null when the index is not below the count.
    const CIniEntry* GetEntryAt(size_t index) const;
    CIniEntry* GetEntryAt(size_t index);
    // The first entry whose key equals `key` (case rule of text_utils.h); null if none.
    const CIniEntry* FindEntry(const wchar_t* key) const;
    CIniEntry* FindEntry(const wchar_t* key);
    void AddEntry(CIniEntry entry);

private:
    std::wstring name_;
    std::vector<CIniEntry> entries_;
};

// The in-memory form of one UTF-16LE INI file of the installation.
class CIniReader {
public:
    static constexpr size_t kMaxPathChars = 259;
    // A line holds at most this many characters when read; the rest is cut.
    // A saved "key=value" line longer than this does not read back whole.
    static constexpr size_t kMaxLineChars = 2047;

    CIniReader() = default;
    CIniReader(const CIniReader&) = delete;
    CIniReader& operator=(const CIniReader&) = delete;

    // Records the path, then reads and parses the file. True if the file was
    // opened and is not empty.
    bool Load(const wchar_t* path);
    // Parses UTF-16LE bytes as Load does after reading a file.
    void Parse(const void* bytes, size_t size);
    bool Save();
    // Writes the whole document atomically; false (old file kept) on any failure.
    bool SaveAs(const wchar_t* path);
    void Clear();

    CIniSection* FindSection(const wchar_t* name);
    const CIniSection* FindSection(const wchar_t* name) const;
    // The value of the first matching entry, or "" (never null). Valid until
    // the document changes.
    const wchar_t* GetString(const wchar_t* section, const wchar_t* key) const;
    int GetInt(const wchar_t* section, const wchar_t* key, int defaultValue) const;
    bool SetString(const wchar_t* section, const wchar_t* key, const wchar_t* value);

    const wchar_t* GetPath() const { return path_.c_str(); }
    size_t GetSectionCount() const { return sections_.size(); }
    const CIniSection* GetSectionAt(size_t index) const;

private:
    std::vector<std::unique_ptr<CIniSection>> sections_;
    std::wstring path_;
};

}  // namespace tn

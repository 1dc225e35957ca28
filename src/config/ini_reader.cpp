#include "config/ini_reader.h"

#include <windows.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstring>
#include <cwchar>
#include <new>

#include "config/ini_line_parser.h"
#include "config/ini_writer.h"
#include "config/text_utils.h"
#include "platform/file_io.h"

namespace tn {
namespace {

// The window of a partial load, in code units (64 KiB): larger than any
// line, small enough to be ordinary working storage rather than a block the
// size of the file.
constexpr size_t kWindowUnits = 32 * 1024;
size_t g_windowUnits = kWindowUnits;

const wchar_t kEmptyText[] = L"";
// Sections a document makes room for when it gets its first one.
constexpr size_t kFirstSectionRoom = 8;

FileReadFunction g_testFileRead = nullptr;

// A section name as stored: cut to its field, then trimmed of blanks.
void TrimSectionName(const wchar_t*& name, size_t& length)
{
    length = std::min(length, CIniSection::kMaxNameChars);
    TrimBlanks(name, length);
}

}  // namespace

bool CIniReader::Load(const wchar_t* path) { return LoadFile(path, nullptr); }

bool CIniReader::Load(const wchar_t* path, const CIniKeyFilter& keys)
{
    return LoadFile(path, &keys);
}

bool CIniReader::LoadFile(const wchar_t* path, const CIniKeyFilter* keys)
{
    Clear();
    partial_ = keys != nullptr;
    path_.clear();
    fileUnread_ = false;
    if (!path || wcslen(path) > kMaxPathChars)
        return false;  // a path the field cannot hold is refused, not cut
    path_ = path;

    // A file being replaced at this moment is waited for briefly rather
    // than read as missing. A missing file is created by the next Save; one
    // that is there but cannot be opened is not replaced by a document that
    // never held its content. The error is the failed open's.
    FileHandle file = OpenForReading(path);
    if (!file.IsValid()) {
        const DWORD error = GetLastError();
        fileUnread_ = error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND;
        return false;
    }
    // The low 32 bits alone would make a file of 4 GiB and more look small
    // and have only its first part read: such a file does not load, like
    // one that cannot be read (INVALID_FILE_SIZE), and a search goes on with
    // the next file. An empty file loads nothing and holds nothing to lose.
    DWORD high = 0;
    const DWORD size = GetFileSize(file.Get(), &high);
    if (high == 0 && size == 0)
        return false;
    if (high != 0 || size == INVALID_FILE_SIZE) {
        fileUnread_ = true;
        return false;
    }

    // One read into one buffer of whole code units, which the document then
    // keeps; an odd last byte is ignored. A file that does not fit in memory
    // ends the load with std::bad_alloc: an empty document would read as a
    // file without the keys asked for, and answers built on it as real ones.
    const size_t units = (static_cast<size_t>(size) + 1) / sizeof(wchar_t);
    if (units >= SIZE_MAX / sizeof(wchar_t) - 1)
        throw std::bad_alloc();
    if (!ReserveFileText(keys ? std::min(units, g_windowUnits) : units))
        throw std::bad_alloc();
    // A failed read (an I/O error, a byte range another process locked)
    // leaves the document empty: it is not the file's content, so the load
    // fails rather than answer as a file without the keys asked for.
    const FileReadFunction readFile = g_testFileRead ? g_testFileRead : &ReadFile;
    if (keys && units > g_windowUnits) {
        // A partial load of a file larger than its window reads it through
        // the window, keeping copies of its few lines: no block the size of
        // the file is made and freed for each load, and a file larger than
        // memory can be searched.
        FileText text(file.Get(), readFile, size);
        ParseIniFileText(text, text_.get(), std::min(units, g_windowUnits), *this, keys);
        if (text.Failed()) {
            Clear();
            partial_ = true;
            fileUnread_ = true;
            return false;
        }
        return true;
    }
    DWORD read = 0;
    if (!readFile(file.Get(), text_.get(), size, &read, nullptr)) {
        fileUnread_ = true;
        return false;
    }
    ParseIniText(text_.get(), read / sizeof(wchar_t), *this, keys);
    return true;
}

void CIniReader::Parse(const void* bytes, size_t size) { ParseBytes(bytes, size, nullptr); }

void CIniReader::Parse(const void* bytes, size_t size, const CIniKeyFilter& keys)
{
    ParseBytes(bytes, size, &keys);
}

void CIniReader::ParseBytes(const void* bytes, size_t size, const CIniKeyFilter* keys)
{
    Clear();
    partial_ = keys != nullptr;
    const size_t units = size / sizeof(wchar_t);
    if (!bytes || units == 0)
        return;
    if (!ReserveFileText(units))
        throw std::bad_alloc();
    std::memcpy(text_.get(), bytes, units * sizeof(wchar_t));
    ParseIniText(text_.get(), units, *this, keys);
}

bool CIniReader::ReserveFileText(size_t units)
{
    if (textCapacity_ >= units + 1)
        return true;
    text_.reset();
    textCapacity_ = 0;
    text_.reset(new (std::nothrow) wchar_t[units + 1]);
    if (!text_)
        return false;
    textCapacity_ = units + 1;
    return true;
}

bool CIniReader::Save() { return !fileUnread_ && SaveAs(path_.c_str()); }

bool CIniReader::SaveAs(const wchar_t* path)
{
    // A partial document lacks lines of the file it came from.
    if (!path || *path == L'\0' || partial_)
        return false;
    return WriteIniFile(path, sections_);
}

void CIniReader::Clear()
{
    // The sections go first (their entries point into the text) and are
    // kept, emptied, for the next parse.
    sections_.clear();
    sectionPool_.ReleaseAll();
    partial_ = false;
    sectionIndex_.Forget();
    texts_.Reset();
}

CIniSection* CIniReader::FindSection(const wchar_t* name)
{
    return const_cast<CIniSection*>(static_cast<const CIniReader*>(this)->FindSection(name));
}

const CIniSection* CIniReader::FindSection(const wchar_t* name) const
{
    if (!name)
        return nullptr;
    return FindSection(name, wcsnlen(name, CIniSection::kMaxNameChars));
}

const CIniSection* CIniReader::FindSection(const wchar_t* name, size_t length) const
{
    if (!name)
        return nullptr;
    // A name is looked up as it would be stored: cut to its field.
    length = std::min(length, CIniSection::kMaxNameChars);
    return sectionIndex_.Find(sections_, name, length);
}

const wchar_t* CIniReader::GetString(const wchar_t* section, const wchar_t* key) const
{
    const CIniSection* found = FindSection(section);
    const CIniEntry* entry = found ? found->FindEntry(key) : nullptr;
    return entry ? entry->GetValue() : kEmptyText;
}

int CIniReader::GetInt(const wchar_t* section, const wchar_t* key, int defaultValue) const
{
    return ParseIniInt(GetString(section, key), defaultValue);
}

bool CIniReader::SetString(const wchar_t* section, const wchar_t* key, const wchar_t* value)
{
    if (!section || !key || !value)
        return false;
    try {
        if (CIniSection* found = FindSection(section)) {
            if (CIniEntry* entry = found->FindEntry(key))
                return entry->SetValue(value);
            found->AddEntry(CIniEntry::FromKeyValue(key, value));
            return true;
        }
        // The entry is made first, so a failure leaves no empty section.
        CIniEntry entry = CIniEntry::FromKeyValue(key, value);
        AddSection(section, wcslen(section), false).AddEntry(std::move(entry));
        return true;
    } catch (const std::bad_alloc&) {
        return false;  // the document is as it was
    }
}

CIniSection& CIniReader::AddSection(const wchar_t* name, size_t length, bool nameInPlace)
{
    TrimSectionName(name, length);
    // Room first, so that running out of memory changes nothing.
    if (sections_.size() == sections_.capacity())
        sections_.reserve(std::max<size_t>(kFirstSectionRoom, 2 * sections_.size()));
    sectionPool_.MakeRoom();
    if (nameInPlace) {
        // The name ends at or before the end of its line: on the closing
        // bracket, a blank, a comment, the line feed already read, or the
        // spare unit after the text.
        const_cast<wchar_t*>(name)[length] = L'\0';
    } else {
        name = StoreText(name, length);
    }
    CIniSection& section = sectionPool_.Take();
    section.name_ = name;
    section.nameLength_ = length;
    sections_.push_back(&section);
    return section;
}

const CIniSection* CIniReader::GetSectionAt(size_t index) const
{
    return index < sections_.size() ? sections_[index] : nullptr;
}

void SetFileReadForTesting(FileReadFunction read) { g_testFileRead = read; }

void SetPartialLoadWindowForTesting(size_t extra)
{
    g_windowUnits = extra == 0 ? kWindowUnits : kLineLookahead + extra;
}

}  // namespace tn

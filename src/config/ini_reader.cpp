#include "config/ini_reader.h"

#include <windows.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstring>
#include <cwchar>
#include <memory>
#include <new>

#include "config/text_utils.h"
#include "platform/file_io.h"

namespace tn {
namespace {

// A physical line is read in pieces of at most this many characters ...
constexpr size_t kPieceMaxChars = 1023;
// ... into a line of at most this many characters; the rest is cut.
constexpr size_t kLineMaxChars = CIniReader::kMaxLineChars;

constexpr wchar_t kByteOrderMark = 0xFEFF;
constexpr wchar_t kSwappedMark = 0xFFFE;
constexpr wchar_t kLF = L'\n';
constexpr wchar_t kCR = L'\r';
constexpr wchar_t kTab = L'\t';
constexpr wchar_t kBlank = L' ';
constexpr wchar_t kComment = L';';
constexpr wchar_t kOpenBracket = L'[';
constexpr wchar_t kCloseBracket = L']';
constexpr wchar_t kKeySeparator = L'=';

const wchar_t kEmptyText[] = L"";

// A section name as stored: cut to its field, then trimmed.
std::wstring MakeSectionName(const wchar_t* text, size_t length)
{
    std::wstring name(text, std::min(length, CIniSection::kMaxNameChars));
    Trim(name);
    return name;
}

// Reads the INI lines of a text of UTF-16 code units into a document.
class LineParser {
public:
    LineParser(const wchar_t* text, size_t count, std::vector<std::unique_ptr<CIniSection>>& sections)
        : text_(text), end_(text + count), sections_(sections)
    {
    }

    void Run()
    {
        if (text_ != end_ && (*text_ == kByteOrderMark || *text_ == kSwappedMark))
            ++text_;
        for (;;) {
            const bool overflowed = ReadLine();
            HandleLine();
            if (overflowed || text_ == end_)
                return;
        }
    }

private:
    // Assembles one line from pieces into line_/length_. Returns whether the
    // last piece overflowed (which ends the parse after this line).
    bool ReadLine()
    {
        length_ = 0;
        for (;;) {
            const wchar_t* pieceStart = text_;
            const size_t available = static_cast<size_t>(end_ - text_);
            const wchar_t* stop = std::find(text_, text_ + std::min(available, kPieceMaxChars), kLF);
            const size_t pieceLength = static_cast<size_t>(stop - pieceStart);
            text_ = stop;
            bool overflowed = false;
            if (text_ != end_ && *text_ == kLF)
                ++text_;
            else if (pieceLength == kPieceMaxChars && text_ != end_)
                overflowed = true;

            const size_t room = kLineMaxChars - length_;
            if (room <= pieceLength) {
                AppendPiece(pieceStart, room);
                return overflowed;
            }
            const size_t before = length_;
            AppendPiece(pieceStart, pieceLength);
            const bool grew = length_ > before;
            const bool goesOn = grew && length_ % kPieceMaxChars == 0 &&
                                pieceLength == kPieceMaxChars && pieceStart[kPieceMaxChars - 1] != kCR;
            if (!goesOn)
                return overflowed;
        }
    }

    void AppendPiece(const wchar_t* piece, size_t count)
    {
        for (size_t i = 0; i < count; ++i)
            line_[length_ + i] = piece[i] == kTab ? kBlank : piece[i];
        length_ += count;
    }

    void HandleLine()
    {
        // The text of a line ends at its first NUL, and a comment starts at
        // its first semicolon.
        const wchar_t* line = line_;
        size_t length = static_cast<size_t>(std::find(line, line + length_, L'\0') - line);
        length = static_cast<size_t>(std::find(line, line + length, kComment) - line);
        while (length > 0 && (line[length - 1] == kBlank || line[length - 1] == kCR ||
                              line[length - 1] == kLF))
            --length;
        if (length == 0 || line[0] == kCR)
            return;
        if (line[0] == kOpenBracket) {
            StartSection(line + 1, length - 1);
        } else if (current_) {
            current_->AddEntry(CIniEntry(line, length, kKeySeparator));
        }
    }

    void StartSection(const wchar_t* name, size_t length)
    {
        length = std::min(length, CIniSection::kMaxNameChars);
        const size_t n = length;
        if (n >= 1 && (name[n - 1] == kCloseBracket || name[n - 1] == kCR))
            length = n - 1;
        if (n >= 2 && (name[n - 2] == kCloseBracket || name[n - 2] == kCR))
            length = n - 2;
        auto section = std::make_unique<CIniSection>(MakeSectionName(name, length).c_str());
        current_ = section.get();
        sections_.push_back(std::move(section));
    }

    const wchar_t* text_;
    const wchar_t* const end_;
    std::vector<std::unique_ptr<CIniSection>>& sections_;
    CIniSection* current_ = nullptr;
    wchar_t line_[kLineMaxChars + 1];
    size_t length_ = 0;
};

// Lines as written by SaveAs: code units followed by CR LF.
void AppendLine(std::wstring& out, const wchar_t* text)
{
    out += text;
    out += L"\r\n";
}

}  // namespace

// ---------------------------------------------------------------------------
// CIniSection

CIniSection::CIniSection(const wchar_t* name)
    : name_(name ? MakeSectionName(name, wcslen(name)) : std::wstring())
{
}

const CIniEntry* CIniSection::GetEntryAt(size_t index) const
{
    return index < entries_.size() ? &entries_[index] : nullptr;
}

CIniEntry* CIniSection::GetEntryAt(size_t index)
{
    return index < entries_.size() ? &entries_[index] : nullptr;
}

const CIniEntry* CIniSection::FindEntry(const wchar_t* key) const
{
    if (!key)
        return nullptr;
    // A key is looked up as it would be stored: cut to its field.
    const size_t length = wcsnlen(key, CIniEntry::kMaxKeyChars);
    for (const CIniEntry& entry : entries_) {
        if (EqualsNoCase(entry.GetKey(), entry.GetKeyLength(), key, length))
            return &entry;
    }
    return nullptr;
}

CIniEntry* CIniSection::FindEntry(const wchar_t* key)
{
    return const_cast<CIniEntry*>(static_cast<const CIniSection*>(this)->FindEntry(key));
}

void CIniSection::AddEntry(CIniEntry entry) { entries_.push_back(std::move(entry)); }

// ---------------------------------------------------------------------------
// CIniReader

bool CIniReader::Load(const wchar_t* path)
{
    Clear();
    path_.clear();
    if (!path || wcslen(path) > kMaxPathChars)
        return false;  // a path the field cannot hold is refused, not cut
    path_ = path;

    FileHandle file(CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                                nullptr));
    if (!file.IsValid())
        return false;
    const DWORD size = GetFileSize(file.Get(), nullptr);
    if (size == 0 || size == INVALID_FILE_SIZE)
        return false;

    // One read into one buffer of whole code units; an odd last byte is ignored.
    const size_t units = (static_cast<size_t>(size) + 1) / sizeof(wchar_t);
    std::unique_ptr<wchar_t[]> buffer(new (std::nothrow) wchar_t[units]);
    if (!buffer)
        return true;
    DWORD read = 0;
    if (ReadFile(file.Get(), buffer.get(), size, &read, nullptr))
        Parse(buffer.get(), read);
    return true;
}

void CIniReader::Parse(const void* bytes, size_t size)
{
    Clear();
    const size_t units = size / sizeof(wchar_t);
    if (!bytes || units == 0)
        return;
    std::unique_ptr<wchar_t[]> aligned;
    const wchar_t* text = static_cast<const wchar_t*>(bytes);
    if (reinterpret_cast<uintptr_t>(bytes) % alignof(wchar_t) != 0) {
        aligned.reset(new wchar_t[units]);
        std::memcpy(aligned.get(), bytes, units * sizeof(wchar_t));
        text = aligned.get();
    }
    // The line buffer lives on the heap so a deep caller stack is not charged 4 KiB.
    auto parser = std::make_unique<LineParser>(text, units, sections_);
    parser->Run();
}

bool CIniReader::Save() { return SaveAs(path_.c_str()); }

bool CIniReader::SaveAs(const wchar_t* path)
{
    if (!path || *path == L'\0')
        return false;
    SetFileAttributesW(path, FILE_ATTRIBUTE_NORMAL);
    try {
        std::wstring out(1, kByteOrderMark);
        std::wstring line;
        for (const auto& section : sections_) {
            line.assign(1, kOpenBracket).append(section->GetName()).append(1, kCloseBracket);
            AppendLine(out, line.c_str());
            for (size_t i = 0; i < section->GetEntryCount(); ++i) {
                const CIniEntry* entry = section->GetEntryAt(i);
                line.assign(entry->GetKey()).append(1, kKeySeparator).append(entry->GetValue());
                AppendLine(out, line.c_str());
            }
            AppendLine(out, L"");
        }
        return ReplaceFileContent(path, out.data(), out.size() * sizeof(wchar_t));
    } catch (const std::bad_alloc&) {
        return false;
    }
}

void CIniReader::Clear() { sections_.clear(); }

CIniSection* CIniReader::FindSection(const wchar_t* name)
{
    return const_cast<CIniSection*>(static_cast<const CIniReader*>(this)->FindSection(name));
}

const CIniSection* CIniReader::FindSection(const wchar_t* name) const
{
    if (!name)
        return nullptr;
    // A name is looked up as it would be stored: cut to its field.
    const size_t length = wcsnlen(name, CIniSection::kMaxNameChars);
    for (const auto& section : sections_) {
        if (EqualsNoCase(section->GetName(), section->GetNameLength(), name, length))
            return section.get();
    }
    return nullptr;
}

const wchar_t* CIniReader::GetString(const wchar_t* section, const wchar_t* key) const
{
    const CIniSection* found = FindSection(section);
    const CIniEntry* entry = found ? found->FindEntry(key) : nullptr;
    return entry ? entry->GetValue() : kEmptyText;
}

int CIniReader::GetInt(const wchar_t* section, const wchar_t* key, int defaultValue) const
{
    const wchar_t* p = GetString(section, key);
    if (*p == L'\0')
        return defaultValue;
    while (*p == L' ' || (*p >= L'\t' && *p <= L'\r'))
        ++p;
    const bool negative = *p == L'-';
    if (*p == L'-' || *p == L'+')
        ++p;
    // Accumulate the magnitude, clamped one past INT_MAX so -2147483648 fits.
    constexpr long long kClamp = static_cast<long long>(INT_MAX) + 1;
    long long magnitude = 0;
    for (; *p >= L'0' && *p <= L'9'; ++p)
        magnitude = std::min(magnitude * 10 + (*p - L'0'), kClamp);
    if (negative)
        return static_cast<int>(-magnitude);
    return static_cast<int>(std::min(magnitude, static_cast<long long>(INT_MAX)));
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
        auto added = std::make_unique<CIniSection>(section);
        added->AddEntry(CIniEntry::FromKeyValue(key, value));
        sections_.push_back(std::move(added));
        return true;
    } catch (const std::bad_alloc&) {
        return false;  // the document is as it was
    }
}

const CIniSection* CIniReader::GetSectionAt(size_t index) const
{
    return index < sections_.size() ? sections_[index].get() : nullptr;
}

}  // namespace tn

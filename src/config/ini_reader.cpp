#include "config/ini_reader.h"

#include <windows.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstring>
#include <cwchar>
#include <memory>
#include <new>

#include "win32/wide_text.h"
#include "config/char_search.h"
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

// A line examines at most three pieces, each up to the character after it
// (a line feed there is taken with the piece, and after a piece of full
// length the line goes on with the next physical line): a parser that
// reads its text in windows keeps this much ahead of the line it starts.
constexpr size_t kLineLookahead = 3 * (kPieceMaxChars + 1);
// The window of a partial load, in code units (64 KiB): larger than any
// line, small enough to be ordinary working storage rather than a block the
// size of the file.
constexpr size_t kWindowUnits = 32 * 1024;
size_t g_windowUnits = kWindowUnits;

const wchar_t kEmptyText[] = L"";
// Sections a document makes room for when it gets its first one.
constexpr size_t kFirstSectionRoom = 8;
// Entries a section makes room for when it gets its first one.
constexpr size_t kFirstEntryRoom = 16;
// ... and in a partial load, which keeps few of them.
constexpr size_t kPartialEntryRoom = 4;
// Entry texts are kept in blocks of at least this many characters.
constexpr size_t kTextBlockMinChars = 4096;

FileReadFunction g_testFileRead = nullptr;

// A section name as stored: cut to its field, then trimmed of blanks.
void TrimSectionName(const wchar_t*& name, size_t& length)
{
    length = std::min(length, CIniSection::kMaxNameChars);
    TrimBlanks(name, length);
}

// Lines as written by SaveAs: code units followed by CR LF.
void AppendLine(std::wstring& out, const wchar_t* text)
{
    out += text;
    out += L"\r\n";
}

// The rest of an open file, read in whole code units into a parser's window
// as the parse moves along: at most the size the file had when opened; an
// odd last byte is ignored.
class FileText {
public:
    FileText(HANDLE file, FileReadFunction read, DWORD size)
        : file_(file), read_(read), bytesLeft_(size)
    {
    }

    // Reads up to `units` code units into `dest`; 0 at the end and after a
    // failed read.
    size_t Read(wchar_t* dest, size_t units)
    {
        const DWORD want = static_cast<DWORD>(
            std::min<uint64_t>(uint64_t(units) * sizeof(wchar_t), bytesLeft_ & ~DWORD(1)));
        if (failed_ || want == 0)
            return 0;
        DWORD got = 0;
        if (!read_(file_, dest, want, &got, nullptr)) {
            failed_ = true;
            return 0;
        }
        // A file that shrank ends here, and so does one that gave half a unit.
        bytesLeft_ = (got == 0 || got % sizeof(wchar_t) != 0) ? 0 : bytesLeft_ - got;
        return got / sizeof(wchar_t);
    }
    bool Failed() const { return failed_; }

private:
    HANDLE file_;
    FileReadFunction read_;
    DWORD bytesLeft_;
    bool failed_ = false;
};

}  // namespace

// Reads the INI lines of a text of UTF-16 code units into a document.
//
// The text belongs to the document: TABs are turned into blanks in place,
// and the key and value of a line that is one piece are terminated in place,
// so its entry points into the text without a copy. A line joined from
// several pieces is assembled in a line buffer and its texts are stored apart.
//
// A parser may also read its text through a window of the document's text
// buffer that moves along a file (a partial load, which keeps few lines):
// then every text it keeps is stored apart.
class IniLineParser {
public:
    // `text` holds `count` code units followed by one spare unit.
    // With `keys`, entries are kept only where the filter holds their key.
    IniLineParser(wchar_t* text, size_t count, CIniReader& document, const CIniKeyFilter* keys)
        : base_(text), next_(text), end_(text + count), document_(document), keys_(keys)
    {
    }
    // The text of `file` read through a window of `capacity` code units at `window`.
    IniLineParser(FileText& file, wchar_t* window, size_t capacity, CIniReader& document,
                  const CIniKeyFilter* keys)
        : base_(window),
          capacity_(capacity),
          windowed_(true),
          file_(&file),
          next_(window),
          end_(window),
          document_(document),
          keys_(keys)
    {
    }

    void Run()
    {
        Refill();
        if (next_ != end_ && (*next_ == kByteOrderMark || *next_ == kSwappedMark))
            ++next_;
        for (;;) {
            Refill();
            if (SkipsLine())
                continue;
            wchar_t* line = nullptr;
            size_t length = 0;
            const bool overflowed = ReadLine(line, length);
            HandleLine(line, length, !windowed_ && line != document_.lineBuffer_.get());
            if (overflowed || (next_ == end_ && !file_))
                return;
        }
    }

private:
    // Moves the window along the file when less than a line's worth of text
    // is left ahead: what is left goes to its start and the rest of the
    // window is filled. At the end of the file the parser reads on to the
    // end of the window as it does in a whole text.
    void Refill()
    {
        if (!file_ || static_cast<size_t>(end_ - next_) >= kLineLookahead)
            return;
        const size_t left = static_cast<size_t>(end_ - next_);
        std::copy(next_, end_, base_);
        next_ = base_;
        end_ = base_ + left;
        while (end_ != base_ + capacity_) {
            const size_t read = file_->Read(end_, static_cast<size_t>(base_ + capacity_ - end_));
            if (read == 0) {
                file_ = nullptr;  // the end of the file: the window holds the rest
                return;
            }
            end_ += read;
        }
    }

    // Steps over the next line without reading it when it is a line of one
    // piece that would be dropped anyway: an entry line before the first
    // section, or in a partial load one whose key cannot be the filter's
    // (see HandleLine). False, nothing consumed, for any other line and at
    // the end of the text; the text is then read as usual.
    bool SkipsLine()
    {
        if (next_ == end_ || *next_ == kOpenBracket || (current_ && !keys_))
            return false;
        // Only a line of one piece is stepped over: nothing past the piece
        // is looked at, so a long run without line feeds costs one pass.
        wchar_t* const limit = next_ + std::min(static_cast<size_t>(end_ - next_), kPieceMaxChars);
        if (current_) {
            const wchar_t* first = next_;
            while (first != limit && (*first == kBlank || *first == kTab))
                ++first;
            if (first == limit || keys_->MayBegin(*first))
                return false;
        }
        wchar_t* const lineFeed = FindEither(next_, limit, kLF, kLF);
        if (lineFeed == limit || lineFeed + 1 == end_)
            return false;  // a longer line, or the last one: read as usual
        next_ = lineFeed + 1;
        return true;
    }

    struct Piece {
        wchar_t* start;
        size_t length;
        bool overflowed;  // a full piece not followed by LF or the end of the text
    };

    // Characters up to the next LF (consumed, not kept), at most a piece;
    // its TABs become blanks.
    Piece ReadPiece()
    {
        Piece piece{next_, 0, false};
        wchar_t* const limit = next_ + std::min(static_cast<size_t>(end_ - next_), kPieceMaxChars);
        wchar_t* stop = next_;
        for (;;) {
            stop = FindEither(stop, limit, kLF, kTab);
            if (stop == limit || *stop == kLF)
                break;
            *stop++ = kBlank;
        }
        piece.length = static_cast<size_t>(stop - next_);
        next_ = stop;
        if (next_ != end_ && *next_ == kLF)
            ++next_;
        else if (piece.length == kPieceMaxChars && next_ != end_)
            piece.overflowed = true;
        return piece;
    }

    // A line that has just grown by a full piece not ending in CR, to a
    // multiple of the piece size, goes on with the next piece.
    static bool GoesOn(const Piece& piece, size_t lineLength)
    {
        return piece.length == kPieceMaxChars && lineLength % kPieceMaxChars == 0 &&
               piece.start[kPieceMaxChars - 1] != kCR;
    }

    // Reads one line; returns whether its last piece overflowed, which ends
    // the parse after this line. A one-piece line stays in the text.
    bool ReadLine(wchar_t*& line, size_t& length)
    {
        Piece piece = ReadPiece();
        if (!GoesOn(piece, piece.length)) {
            line = piece.start;
            length = piece.length;
            return piece.overflowed;
        }
        // Only a line of several pieces needs the line buffer; it lives on
        // the heap so a deep caller stack is not charged 4 KiB.
        if (!document_.lineBuffer_)
            document_.lineBuffer_.reset(new wchar_t[kLineMaxChars]);
        wchar_t* const buffer = document_.lineBuffer_.get();
        std::copy(piece.start, piece.start + piece.length, buffer);
        length = piece.length;
        line = buffer;
        for (;;) {
            piece = ReadPiece();
            const size_t room = kLineMaxChars - length;
            if (room <= piece.length) {
                // The line is full: what fits is kept, the rest of the piece is lost.
                std::copy(piece.start, piece.start + room, buffer + length);
                length += room;
                return piece.overflowed;
            }
            std::copy(piece.start, piece.start + piece.length, buffer + length);
            length += piece.length;
            if (piece.length == 0 || !GoesOn(piece, length))
                return piece.overflowed;
        }
    }

    // The first unit of a line that is not a blank (TABs are blanks by
    // now), or NUL.
    static wchar_t FirstNonBlank(const wchar_t* line, size_t length)
    {
        for (size_t i = 0; i < length; ++i)
            if (line[i] != kBlank)
                return line[i];
        return L'\0';
    }

    void HandleLine(wchar_t* line, size_t fullLength, bool inPlace)
    {
        // An entry line is dropped before the first section, and in a
        // partial load when its key (the line's first characters after
        // blanks) cannot be one the filter holds: a comment, a NUL or an
        // equals sign there leaves an empty key, which no filter holds.
        if (fullLength > 0 && line[0] != kOpenBracket &&
            (!current_ || (keys_ && !keys_->MayBegin(FirstNonBlank(line, fullLength)))))
            return;
        // The text of a line ends at its first NUL, and a comment starts at
        // its first semicolon.
        size_t length = static_cast<size_t>(FindEither(line, line + fullLength, L'\0', kComment) - line);
        while (length > 0 && (line[length - 1] == kBlank || line[length - 1] == kCR ||
                              line[length - 1] == kLF))
            --length;
        if (length == 0 || line[0] == kCR)
            return;
        if (line[0] == kOpenBracket)
            StartSection(line + 1, length - 1, inPlace);
        else if (current_)
            AddEntry(line, length, inPlace);
    }

    void StartSection(const wchar_t* name, size_t length, bool inPlace)
    {
        length = std::min(length, CIniSection::kMaxNameChars);
        const size_t n = length;
        if (n >= 1 && (name[n - 1] == kCloseBracket || name[n - 1] == kCR))
            length = n - 1;
        if (n >= 2 && (name[n - 2] == kCloseBracket || name[n - 2] == kCR))
            length = n - 2;
        current_ = &document_.AddSection(name, length, inPlace);
    }

    void AddEntry(wchar_t* line, size_t length, bool inPlace)
    {
        CIniEntry::LineParts parts;
        if (!CIniEntry::SplitLine(line, length, kKeySeparator, parts)) {
            // No separator: an entry with an empty key and value.
            if (!keys_ || keys_->Holds(kEmptyText, 0))
                current_->AddEntry(CIniEntry());
            return;
        }
        if (keys_ && !keys_->Holds(parts.key, parts.keyLength))
            return;
        const wchar_t* key;
        const wchar_t* value;
        if (inPlace) {
            // The key ends at or before the separator and the value at or
            // before the line's LF (or the spare unit after the text), so
            // both terminators land on characters already read.
            wchar_t* keyStart = line + (parts.key - line);
            wchar_t* valueStart = line + (parts.value - line);
            keyStart[parts.keyLength] = L'\0';
            valueStart[parts.valueLength] = L'\0';
            key = keyStart;
            value = valueStart;
        } else {
            key = document_.StoreText(parts.key, parts.keyLength);
            value = document_.StoreText(parts.value, parts.valueLength);
        }
        // A section of a partial load keeps a few of its lines.
        if (keys_ && current_->entries_.capacity() == 0)
            current_->entries_.reserve(kPartialEntryRoom);
        current_->AddEntry(CIniEntry::Borrowing(key, parts.keyLength, value, parts.valueLength));
    }

    wchar_t* const base_;
    const size_t capacity_ = 0;
    const bool windowed_ = false;  // the text moves: nothing is kept in place
    FileText* file_ = nullptr;     // the file still to read through the window
    wchar_t* next_;
    wchar_t* end_;
    CIniReader& document_;
    CIniSection* current_ = nullptr;
    const CIniKeyFilter* const keys_;
};

// ---------------------------------------------------------------------------
// CIniSection

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

void CIniSection::AddEntry(CIniEntry entry)
{
    // The first entry makes room for several: sections of the installation's
    // files hold about twenty lines, and each doubling is another block.
    if (entries_.capacity() == 0)
        entries_.reserve(kFirstEntryRoom);
    entries_.push_back(std::move(entry));
}

void CIniSection::Empty()
{
    name_ = kEmptyText;
    nameLength_ = 0;
    entries_.clear();
}

// ---------------------------------------------------------------------------
// CIniReader

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
        IniLineParser parser(text, text_.get(), std::min(units, g_windowUnits), *this, keys);
        parser.Run();
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
    ParseFileText(read / sizeof(wchar_t), keys);
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
    ParseFileText(units, keys);
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

void CIniReader::ParseFileText(size_t units, const CIniKeyFilter* keys)
{
    IniLineParser parser(text_.get(), units, *this, keys);
    parser.Run();
}

bool CIniReader::Save() { return !fileUnread_ && SaveAs(path_.c_str()); }

bool CIniReader::SaveAs(const wchar_t* path)
{
    // A partial document lacks lines of the file it came from.
    if (!path || *path == L'\0' || partial_)
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

void CIniReader::Clear()
{
    // The sections go first (their entries point into the text) and are
    // kept, emptied, for the next parse.
    sections_.clear();
    for (size_t i = 0; i < sectionsUsed_; ++i)
        SectionObject(i).Empty();
    sectionsUsed_ = 0;
    partial_ = false;
    indexedSections_ = 0;
    lastFound_ = nullptr;
    // The first block of stored texts is kept for the next load.
    if (textBlocks_.size() > 1)
        textBlocks_.resize(1);
    textNext_ = textBlocks_.empty() ? nullptr : textBlocks_[0].get();
    textRoom_ = textBlocks_.empty() ? 0 : firstBlockChars_;
}

void CIniReader::ReserveText(size_t chars)
{
    std::unique_ptr<wchar_t[]> block(new wchar_t[chars]);
    if (textBlocks_.empty())
        firstBlockChars_ = chars;
    textBlocks_.push_back(std::move(block));
    textNext_ = textBlocks_.back().get();
    textRoom_ = chars;
}

const wchar_t* CIniReader::StoreText(const wchar_t* text, size_t length)
{
    if (textRoom_ < length + 1)
        ReserveText(std::max(length + 1, kTextBlockMinChars));
    wchar_t* stored = textNext_;
    if (length > 0)
        std::memcpy(stored, text, length * sizeof(wchar_t));
    stored[length] = L'\0';
    textNext_ += length + 1;
    textRoom_ -= length + 1;
    return stored;
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
    if (sections_.size() >= kIndexMinSections)
        return FindIndexed(name, length);
    for (const CIniSection* section : sections_) {
        if (EqualsNoCase(section->GetName(), section->GetNameLength(), name, length))
            return section;
    }
    return nullptr;
}

void CIniReader::IndexSections() const
{
    // Sections are only ever appended (or all cleared), so the index grows
    // by the new ones while it has room, and is made afresh otherwise.
    size_t first = indexedSections_;
    if (first == 0 || !sectionIndex_.HasRoomFor(sections_.size())) {
        sectionIndex_.Reset(sections_.size());
        first = 0;
    }
    for (size_t i = first; i < sections_.size(); ++i)
        sectionIndex_.Insert(i, SectionNameAt());
    indexedSections_ = sections_.size();
}

const CIniSection* CIniReader::FindIndexed(const wchar_t* name, size_t length) const
{
    // Readers tend to ask one section for several keys in a row.
    if (lastFound_ &&
        EqualsNoCase(lastFound_->GetName(), lastFound_->GetNameLength(), name, length))
        return lastFound_;
    if (indexedSections_ != sections_.size())
        IndexSections();
    const size_t found = sectionIndex_.Find(name, length, SectionNameAt());
    if (found == FoldedNameIndex::npos)
        return nullptr;
    return lastFound_ = sections_[found];
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
    if (sectionsUsed_ == sectionBlocks_.size() * kSectionBlock) {
        if (sectionBlocks_.size() == sectionBlocks_.capacity())
            sectionBlocks_.reserve(std::max<size_t>(4, 2 * sectionBlocks_.size()));
        sectionBlocks_.emplace_back(new CIniSection[kSectionBlock]);
    }
    if (nameInPlace) {
        // The name ends at or before the end of its line: on the closing
        // bracket, a blank, a comment, the line feed already read, or the
        // spare unit after the text.
        const_cast<wchar_t*>(name)[length] = L'\0';
    } else {
        name = StoreText(name, length);
    }
    CIniSection& section = SectionObject(sectionsUsed_++);
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

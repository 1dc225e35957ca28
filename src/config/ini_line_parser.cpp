#include "config/ini_line_parser.h"

#include <algorithm>

#include "config/char_search.h"
#include "config/ini_entry.h"
#include "config/ini_file_text.h"
#include "config/ini_key_filter.h"
#include "config/ini_reader.h"
#include "config/ini_syntax.h"

namespace tn {
namespace {

// A line holds at most this many characters; the rest is cut.
constexpr size_t kLineMaxChars = CIniReader::kMaxLineChars;

constexpr wchar_t kSwappedMark = 0xFFFE;
constexpr wchar_t kLF = L'\n';
constexpr wchar_t kCR = L'\r';
constexpr wchar_t kTab = L'\t';
constexpr wchar_t kBlank = L' ';
constexpr wchar_t kComment = L';';

// Entries a section of a partial load makes room for when it gets its first
// one: it keeps few of them.
constexpr size_t kPartialEntryRoom = 4;

}  // namespace

// One parse of one text, as ParseIniText and ParseIniFileText describe it.
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
            // A line without a separator is an entry of empty key and
            // value, which a filter keeps only where it holds the empty key.
            if (!keys_ || keys_->Holds(L"", 0))
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

void ParseIniText(wchar_t* text, size_t count, CIniReader& document, const CIniKeyFilter* keys)
{
    IniLineParser parser(text, count, document, keys);
    parser.Run();
}

void ParseIniFileText(FileText& file, wchar_t* window, size_t capacity, CIniReader& document,
                      const CIniKeyFilter* keys)
{
    IniLineParser parser(file, window, capacity, document, keys);
    parser.Run();
}

}  // namespace tn

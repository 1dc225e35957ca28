#pragma once
#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "config/ini_entry.h"
#include "config/ini_file_text.h"
#include "config/ini_key_filter.h"
#include "config/ini_section.h"
#include "config/ini_section_index.h"
#include "config/ini_section_pool.h"
#include "config/ini_text_arena.h"

namespace tn {

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

    // Replaces the document: records the path (also when the file is missing,
    // so Save creates it), then reads and parses the file. True if the file
    // was opened, is not empty, is smaller than 4 GiB and was read. A null
    // path or one longer than kMaxPathChars is refused: false, empty
    // document, no path recorded. A file that is there but cannot be read (it
    // cannot be opened, is 4 GiB or larger, or the read fails: an I/O error,
    // a byte range another process locked) gives false, an empty document,
    // and a document that IsFileUnread.
    // Running out of memory throws std::bad_alloc (the document is then
    // empty or partly parsed, the path recorded).
    bool Load(const wchar_t* path);
    // A partial load, for readers that ask a large file for a few keys: the
    // same result and the same sections, but each section keeps only the
    // entries whose key `keys` holds, so a lookup of one of those keys
    // answers as on the whole document. Lines of other keys are not split.
    // A partial document is never saved.
    bool Load(const wchar_t* path, const CIniKeyFilter& keys);
    // True after a Load that found its file but could not read it: the
    // document does not hold the file's content, so Save refuses to replace
    // the file with it.
    bool IsFileUnread() const { return fileUnread_; }
    // Parses UTF-16LE bytes as Load does after reading a file.
    void Parse(const void* bytes, size_t size);
    void Parse(const void* bytes, size_t size, const CIniKeyFilter& keys);
    // SaveAs the recorded path; false, nothing written, when IsFileUnread.
    bool Save();
    // Writes the whole document atomically; false (old file kept) on any
    // failure, and for a partial document.
    bool SaveAs(const wchar_t* path);
    void Clear();

    // The first section whose name equals `name` (case rule of text_utils.h)
    // as it would be stored, cut to kMaxNameChars; null if none or null.
    // Documents of many sections answer from a name index.
    CIniSection* FindSection(const wchar_t* name);
    const CIniSection* FindSection(const wchar_t* name) const;
    // The same for the first `length` units of `name`.
    const CIniSection* FindSection(const wchar_t* name, size_t length) const;
    // The value of the first matching entry, or "" (never null). Valid until
    // the document changes.
    const wchar_t* GetString(const wchar_t* section, const wchar_t* key) const;
    // The value as a decimal number (leading digits, clamped to the int
    // range; 0 without digits), or the default when it is empty or missing.
    int GetInt(const wchar_t* section, const wchar_t* key, int defaultValue) const;
    // Changes the first matching entry, or appends the entry (to the first
    // matching section, or to a new section at the end). Memory only; names
    // are trimmed and cut as parsed ones are. False, nothing changed, for a
    // null argument or when memory runs out.
    bool SetString(const wchar_t* section, const wchar_t* key, const wchar_t* value);

    const wchar_t* GetPath() const { return path_.c_str(); }
    size_t GetSectionCount() const { return sections_.size(); }
    // Null when the index is not below the count.
    const CIniSection* GetSectionAt(size_t index) const;

private:
    friend class IniLineParser;

    bool LoadFile(const wchar_t* path, const CIniKeyFilter* keys);
    void ParseBytes(const void* bytes, size_t size, const CIniKeyFilter* keys);
    // Appends a section named by the first `length` units of `name`, cut to
    // a section name's length and trimmed. With `nameInPlace` the name lies
    // in the document's own text and is terminated and kept there;
    // otherwise it is copied into the document's storage.
    CIniSection& AddSection(const wchar_t* name, size_t length, bool nameInPlace);

    // Makes text_ hold at least `units` code units and one spare unit,
    // keeping the buffer when it is large enough. False when memory runs out.
    bool ReserveFileText(size_t units);
    // Keeps a NUL-terminated copy of `length` characters for as long as the
    // document lives (until Clear); parsed entries point into these copies.
    const wchar_t* StoreText(const wchar_t* text, size_t length)
    {
        return texts_.Store(text, length);
    }

    // The sections in file order; their objects come from sectionPool_.
    std::vector<CIniSection*> sections_;
    IniSectionPool sectionPool_;
    mutable IniSectionIndex sectionIndex_;
    std::wstring path_;
    bool partial_ = false;  // loaded with a key filter
    bool fileUnread_ = false;
    // The file text, and how many code units its buffer holds. A document
    // that is loaded again (a search loads one file after another into one
    // reader) keeps the buffer, the section objects, the first block of
    // stored texts and the parser's line buffer, so a load allocates only
    // where a file is larger than every one before it.
    std::unique_ptr<wchar_t[]> text_;
    size_t textCapacity_ = 0;
    // Where a line of several pieces is joined; made at the first such line.
    std::unique_ptr<wchar_t[]> lineBuffer_;
    IniTextArena texts_;
};

// Tests replace the system's ReadFile used by CIniReader::Load, to make a
// read fail after the open as a locked byte range or an I/O error does;
// null restores it.
void SetFileReadForTesting(FileReadFunction read);
// Tests make the window through which a partial load reads its file as
// small as a line's worth and `extra` code units, so that a small file
// moves it often; 0 restores it.
void SetPartialLoadWindowForTesting(size_t extra);

}  // namespace tn

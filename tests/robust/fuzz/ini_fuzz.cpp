// INI documents from mutated real files: the parser keeps its limits, the
// section name index finds what a scan of the sections finds, a partial
// load answers its keys as the whole document does, a file read from disk
// parses as the same bytes in memory, and saving and loading again settles:
// after some rounds the saved file no longer changes.
#include <cwchar>
#include <string>

#include "config/ini_reader.h"
#include "config/text_utils.h"
#include "demo_files.h"
#include "fuzz_targets.h"
#include "mutator.h"
#include "test_support.h"

namespace tnrobust {
namespace {

using tn::CIniEntry;
using tn::CIniReader;
using tn::CIniSection;
using tn::CIniKeyFilter;

// A default iteration count that keeps the test suite's run to seconds.
constexpr uint64_t kCiIterations = 250;

bool HasAny(const wchar_t* text, size_t length, const wchar_t* banned, size_t bannedCount)
{
    for (size_t i = 0; i < length; ++i)
        for (size_t b = 0; b < bannedCount; ++b)
            if (text[i] == banned[b])
                return true;
    return false;
}

// What any parsed document holds: names and keys of at most 127 characters,
// values of at most 2047, none holding a line feed, a comment or a NUL, and
// no key holding the equals sign.
std::string CheckShape(const CIniReader& doc)
{
    static const wchar_t kNever[] = {L'\n', L';', L'\0'};
    static const wchar_t kNeverInKey[] = {L'\n', L';', L'\0', L'='};
    for (size_t s = 0; s < doc.GetSectionCount(); ++s) {
        const CIniSection* section = doc.GetSectionAt(s);
        const size_t nameLength = section->GetNameLength();
        if (nameLength > CIniSection::kMaxNameChars || wcslen(section->GetName()) != nameLength ||
            HasAny(section->GetName(), nameLength, kNever, 3))
            return "section name out of shape";
        for (size_t e = 0; e < section->GetEntryCount(); ++e) {
            const CIniEntry* entry = section->GetEntryAt(e);
            if (entry->GetKeyLength() > CIniEntry::kMaxKeyChars ||
                wcslen(entry->GetKey()) != entry->GetKeyLength() ||
                HasAny(entry->GetKey(), entry->GetKeyLength(), kNeverInKey, 4))
                return "key out of shape";
            if (entry->GetValueLength() > CIniEntry::kMaxValueChars ||
                wcslen(entry->GetValue()) != entry->GetValueLength() ||
                HasAny(entry->GetValue(), entry->GetValueLength(), kNever, 3))
                return "value out of shape";
        }
        if (section->GetEntryAt(section->GetEntryCount()) != nullptr)
            return "an entry past the count";
    }
    return doc.GetSectionAt(doc.GetSectionCount()) == nullptr ? "" : "a section past the count";
}

// The first section of a name, found by walking the sections.
const CIniSection* ScanForSection(const CIniReader& doc, const wchar_t* name)
{
    const size_t length = wcsnlen(name, CIniSection::kMaxNameChars);
    for (size_t s = 0; s < doc.GetSectionCount(); ++s) {
        const CIniSection* section = doc.GetSectionAt(s);
        if (tn::EqualsNoCase(section->GetName(), section->GetNameLength(), name, length))
            return section;
    }
    return nullptr;
}

// FindSection (from its name index in a document of many sections) finds
// what a scan finds, and a partial load of the same bytes with keys of the
// document (and a key it may lack) answers each of them, in every section,
// as the whole document does.
std::string CheckLookups(const CIniReader& doc, const std::string& bytes, Rng& rng)
{
    CIniKeyFilter keys;
    keys.Add(L"Path");
    for (size_t s = 0; s < doc.GetSectionCount(); ++s) {
        const CIniSection* section = doc.GetSectionAt(s);
        if (doc.FindSection(section->GetName()) != ScanForSection(doc, section->GetName()))
            return "the section index finds another section";
        if (section->GetEntryCount() > 0 && rng.OneIn(3))
            keys.Add(section->GetEntryAt(rng.Below(uint32_t(section->GetEntryCount())))->GetKey());
    }
    CIniReader partial;
    partial.Parse(bytes.data(), bytes.size(), keys);
    if (partial.GetSectionCount() != doc.GetSectionCount())
        return "a partial load holds other sections";
    for (size_t s = 0; s < doc.GetSectionCount(); ++s) {
        const wchar_t* name = doc.GetSectionAt(s)->GetName();
        for (size_t e = 0; e < doc.GetSectionAt(s)->GetEntryCount(); ++e) {
            const wchar_t* key = doc.GetSectionAt(s)->GetEntryAt(e)->GetKey();
            if (!keys.Holds(key, wcslen(key)))
                continue;
            if (wcscmp(partial.GetString(name, key), doc.GetString(name, key)) != 0)
                return "a partial load reads another value";
        }
        if (wcscmp(partial.GetString(name, L"Path"), doc.GetString(name, L"Path")) != 0)
            return "a partial load reads another value";
    }
    return "";
}

// Sections and entries of a document, in order, as one text.
std::wstring Listing(const CIniReader& doc)
{
    std::wstring out;
    for (size_t s = 0; s < doc.GetSectionCount(); ++s) {
        const CIniSection* section = doc.GetSectionAt(s);
        out += L"[" + std::wstring(section->GetName()) + L"]";
        for (size_t e = 0; e < section->GetEntryCount(); ++e)
            out += std::wstring(L"{") + section->GetEntryAt(e)->GetKey() + L"=" +
                   section->GetEntryAt(e)->GetValue() + L"}";
    }
    return out;
}

std::string Generate(uint64_t seed)
{
    Rng rng(seed);
    const auto& demo = DemoFiles();
    std::wstring text;
    if (!demo.empty() && !rng.OneIn(5)) {
        text = demo[rng.Below(uint32_t(demo.size()))].text;
    } else {
        // A small document made of the special tokens.
        const auto& tokens = SpecialTokens();
        const uint32_t pieces = rng.Between(1, 60);
        for (uint32_t i = 0; i < pieces; ++i)
            text += tokens[rng.Below(uint32_t(tokens.size()))];
    }
    MutateText(text, rng, int(rng.Between(1, 8)));
    std::string bytes = Utf16Bytes(text, !rng.OneIn(8), !rng.OneIn(4));
    if (rng.OneIn(4))
        MutateBytes(bytes, rng, int(rng.Between(1, 3)));
    return bytes;
}

class IniCheck {
public:
    explicit IniCheck(const std::wstring& work) : work_(work) {}

    std::string operator()(const std::string& bytes) const
    {
        CIniReader doc;
        doc.Parse(bytes.data(), bytes.size());
        Rng rng(bytes.size());
        std::string message = CheckShape(doc);
        if (message.empty())
            message = CheckLookups(doc, bytes, rng);
        if (!message.empty())
            return message;

        // The same bytes read from a file give the same document, also
        // when a partial load reads it through a window that moves along it.
        WriteFileBytes(input_, bytes);
        CIniReader read;
        const bool loaded = read.Load(input_.c_str());
        if (loaded != (bytes.size() != 0))
            return "Load answers for a file of " + std::to_string(bytes.size()) + " bytes";
        const tn::CIniKeyFilter keys{L"Path", L"Title0409", L"tnmain.exe", L"ComposeList"};
        tn::SetPartialLoadWindowForTesting(1 + rng.Below(64));
        CIniReader windowed, parsed;
        windowed.Load(input_.c_str(), keys);
        tn::SetPartialLoadWindowForTesting(0);
        parsed.Parse(bytes.data(), bytes.size(), keys);
        if (Listing(windowed) != Listing(parsed))
            return "a partial load of the file differs from one of its bytes";
        if (!doc.SaveAs(saved_.c_str()) || !read.SaveAs(reread_.c_str()))
            return "SaveAs failed";
        std::string previous = ReadFileBytes(saved_);
        if (previous != ReadFileBytes(reread_))
            return "the file parses differently from the same bytes in memory";

        // Load and save until the file stays as it is. Every round that
        // changes it drops characters (quotes, cut names, a comment), except
        // that a key beginning with "[" becomes a header once.
        const size_t bound = previous.size() / 2 + 3;
        for (size_t round = 0; round < bound; ++round) {
            message = CheckSaved(previous);
            if (!message.empty())
                return message;
            CIniReader next;
            if (!next.Load(saved_.c_str()))
                return "a saved file does not load";
            message = CheckShape(next);
            if (!message.empty())
                return "after saving: " + message;
            if (!next.SaveAs(saved_.c_str()))
                return "SaveAs failed";
            std::string current = ReadFileBytes(saved_);
            if (current == previous)
                return "";
            previous.swap(current);
        }
        return "load and save do not settle";
    }

private:
    // A saved file: the byte-order mark, whole code units, CR LF line ends.
    static std::string CheckSaved(const std::string& file)
    {
        if (file.size() < 2 || file[0] != '\xFF' || file[1] != '\xFE' || file.size() % 2 != 0)
            return "a saved file without its mark or with half a code unit";
        const std::wstring text = TextOfUtf16(file);
        for (size_t i = 0; i < text.size(); ++i)
            if (text[i] == L'\n' && (i == 0 || text[i - 1] != L'\r'))
                return "a saved line without CR LF";
        if (!text.empty() && (text.size() < 4 || text.compare(text.size() - 4, 4, L"\r\n\r\n") != 0))
            return "a saved file that does not end with an empty line";
        return "";
    }

    std::wstring work_;
    std::wstring input_ = work_ + L"input.ini";
    std::wstring saved_ = work_ + L"saved.ini";
    std::wstring reread_ = work_ + L"reread.ini";
};

}  // namespace

int FuzzIni(const FuzzOptions& options)
{
    const std::wstring work = MakeWorkDir(options.workDir, L"tnfuzz-ini");
    const int code = RunFuzz(options, kCiIterations, L"ini", L".ini", Generate, IniCheck(work));
    tntest::RemoveTree(work);
    return code;
}

}  // namespace tnrobust

// The fixed buffers of the configuration readers at their limits, each at
// one below, at and one above: INI keys, values, section names, lines and
// pieces; record items, scratch slots and fields; list items; the fields of
// components and the catalog. The core under test is built with the stack
// protector and the heap ends every block at a guard page, so a write past
// any buffer stops the test where it happens.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "config/component.h"
#include "config/file_record.h"
#include "config/ini_entry.h"
#include "config/ini_reader.h"
#include "config/text_utils.h"
#include "install/local_install.h"
#include "install/product.h"
#include "limits_support.h"
#include "mutator.h"
#include "test_support.h"

namespace tnrobust {
namespace {

using tn::CIniEntry;
using tn::CIniReader;

// Limit - 1, limit, limit + 1.
const int kAround[] = {-1, 0, 1};

size_t Cut(size_t length, size_t limit) { return length < limit ? length : limit; }

std::unique_ptr<CIniReader> Parsed(const std::wstring& text)
{
    auto ini = std::make_unique<CIniReader>();
    const std::string bytes = Utf16Bytes(text, true, false);
    ini->Parse(bytes.data(), bytes.size());
    return ini;
}

TEST(TextLimits, KeysOf127Characters)
{
    for (int d : kAround) {
        const size_t length = CIniEntry::kMaxKeyChars + d;
        const std::wstring key(length, L'k');
        const CIniEntry parsed((key + L"=v").c_str(), L'=');
        EXPECT_EQ(Cut(length, 127), wcslen(parsed.GetKey())) << length;
        const CIniEntry made = CIniEntry::FromKeyValue(key.c_str(), L"v");
        EXPECT_EQ(Cut(length, 127), made.GetKeyLength()) << length;
        // The record's Name (260 units) takes the key: never past 127.
        tn::FileRecord record;
        tn::ParseFileRecord(&parsed, &record);
        EXPECT_EQ(Cut(length, 127), wcslen(record.Name)) << length;
    }
}

TEST(TextLimits, ValuesOf2047Characters)
{
    for (int d : kAround) {
        const size_t length = CIniEntry::kMaxValueChars + d;
        const std::wstring value(length, L'v');
        CIniEntry entry = CIniEntry::FromKeyValue(L"k", value.c_str());
        EXPECT_EQ(Cut(length, 2047), entry.GetValueLength()) << length;
        ASSERT_TRUE(entry.SetValue(value.c_str()));
        EXPECT_EQ(Cut(length, 2047), wcslen(entry.GetValue())) << length;
        // A line holds 2047 characters: "=" and a value of 2046 at most.
        const auto ini = Parsed(L"[s]\n=" + std::wstring(length - 1, L'v') + L"\n");
        EXPECT_EQ(Cut(length - 1, 2046), wcslen(ini->GetString(L"s", L""))) << length;
    }
}

TEST(TextLimits, SectionNamesOf127Characters)
{
    for (int d : kAround) {
        const size_t length = tn::CIniSection::kMaxNameChars + d;
        const std::wstring name(length, L's');
        const auto ini = Parsed(L"[" + name + L"]\nk=1\n");
        ASSERT_EQ(1u, ini->GetSectionCount()) << length;
        // The text after "[" is cut to 127 first, so a name of 127 loses its "]" with the cut.
        EXPECT_EQ(Cut(length, 127), ini->GetSectionAt(0)->GetNameLength()) << length;
        EXPECT_STREQ(L"1", ini->GetString(name.c_str(), L"k")) << "found under the full name";
        CIniReader set;
        ASSERT_TRUE(set.SetString(name.c_str(), L"k", L"2"));
        EXPECT_EQ(Cut(length, 127), set.GetSectionAt(0)->GetNameLength()) << length;
    }
}

// A line is read in pieces of 1023; it goes on after a full piece that does
// not end in CR, is cut at 2047, and a third full piece ends the parse.
TEST(TextLimits, LinesAndPieces)
{
    struct Case {
        size_t length;
        size_t valueLength;  // of the first line's value
        bool joined;         // the next line joined it (a full piece, no CR)
        bool parseEnds;      // a third full piece ends the parse
    } const cases[] = {
        {1022, 1020, false, false}, {1023, 1021 + 3, true, false}, {1024, 1022, false, false},
        // Two full pieces without CR go on as well: the next line joins and
        // is cut at 2047 (files the library writes end their lines in CR LF).
        {2046, 2045, true, false},  {2047, 2045, false, false},    {2048, 2045, false, false},
        {3068, 2045, false, false}, {3069, 2045, false, false},    {3070, 2045, false, true},
    };
    for (const Case& c : cases) {
        // "k=" and a value make a line of `length` characters, LF ends.
        const std::wstring text = L"[s]\nk=" + std::wstring(c.length - 2, L'v') + L"\nn=1\n[t]\nz=2\n";
        const auto ini = Parsed(text);
        EXPECT_EQ(c.valueLength, wcslen(ini->GetString(L"s", L"k"))) << c.length;
        EXPECT_STREQ(c.joined || c.parseEnds ? L"" : L"1", ini->GetString(L"s", L"n")) << c.length;
        EXPECT_STREQ(c.parseEnds ? L"" : L"2", ini->GetString(L"t", L"z")) << c.length;
    }
}

// Items: 256 characters fill a slot and end the split; text fields of 256
// units hold 255; the scratch has 20 slots.
TEST(TextLimits, RecordItemsAndFields)
{
    const std::wstring tail = L",1,2,3,4,5,6,7,8,a,b,1F,c,9,400";
    for (int d : kAround) {
        const size_t length = tn::kRecordScratchChars + d;
        const std::wstring dest(length, L'd');
        const CIniEntry line((L"f=src," + dest + tail).c_str(), L'=');
        tn::FileRecord record;
        const int result = tn::ParseFileRecord(&line, &record);
        const bool full = length >= 256;
        EXPECT_EQ(full ? 0 : 1, result) << length;
        EXPECT_EQ(Cut(length, 256), wcslen(record.DestDir)) << length;
        EXPECT_EQ(full ? 0u : 0x400u, record.OsMask) << length;

        const std::wstring text(tn::kRecordScratchChars - 1 + d, L't');
        const CIniEntry withText((L"f=s,d,1,2,3,4,5,6,7,8," + text + L",b,1F," + text + L",9,0").c_str(), L'=');
        ASSERT_EQ(text.size() < 256 ? 1 : 0, tn::ParseFileRecord(&withText, &record)) << text.size();
        EXPECT_EQ(Cut(text.size(), 255), wcslen(record.Text11)) << text.size();
    }
    // 19, 20 and 21 commas: the walk ends at the 20th.
    for (int d : kAround) {
        const int commas = tn::kRecordScratchSlots + d;
        std::wstring value = L"s,d";
        for (int i = 2; i <= commas; ++i)
            value += L",1";
        const CIniEntry line((L"f=" + value).c_str(), L'=');
        tn::FileRecord record;
        EXPECT_EQ(1, tn::ParseFileRecord(&line, &record)) << commas;
        EXPECT_STREQ(L"d", record.DestDir);
    }
}

TEST(TextLimits, ListItemsOf511Characters)
{
    for (int d : kAround) {
        const size_t length = tn::kListItemMaxChars + d;
        const std::wstring item(length, L'i');
        tn::StringList list;
        const size_t count = tn::SplitList((L"a," + item + L",b").c_str(), list, L',', false);
        EXPECT_EQ(length <= 511 ? 3u : 1u, count) << length;
        EXPECT_EQ(length <= 511, tn::IsInList((L"a," + item).c_str(), item.c_str(), L',')) << length;
    }
}

// Component and catalog fields cut to their capacity less the terminator.
TEST(TextLimits, ComponentAndCatalogFields)
{
    LimitsInstall install;
    struct Field {
        const wchar_t* key;
        size_t capacity;
        size_t (*length)(const tn::CComponent&);
    } const fields[] = {
        {L"Depends", 256, [](const tn::CComponent& c) { return wcslen(c.Depends); }},
        {L"Resource", 260, [](const tn::CComponent& c) { return wcslen(c.Resource); }},
        {L"Parent", 64, [](const tn::CComponent& c) { return wcslen(c.Parent); }},
        {L"Title0409", 256, [](const tn::CComponent& c) { return wcslen(c.Texts[1].Title); }},
        {L"Detail0409", 512, [](const tn::CComponent& c) { return wcslen(c.Texts[1].Detail); }},
    };
    for (const Field& field : fields) {
        for (int d : kAround) {
            const size_t length = field.capacity - 1 + d;
            install.WriteProduct(L"P", L"[HaveCompose]\nAll=A\n[A]\n" + std::wstring(field.key) +
                                           L"=" + std::wstring(length, L'w') + L"\n");
            tn::CProduct product;
            ASSERT_EQ(0, product.LoadByName(L"P", 0));
            ASSERT_FALSE(product.Components.empty());
            EXPECT_EQ(Cut(length, field.capacity - 1), field.length(*product.Components[0]))
                << tntest::ToUtf8(field.key) << " " << length;
        }
    }
    // CatalogName holds 63 of a component name; the name itself is kept whole.
    for (int d : kAround) {
        const std::wstring name(63 + d, L'c');
        install.WriteProduct(L"P", L"[HaveCompose]\nAll=" + name + L"\n");
        tn::CProduct product;
        ASSERT_EQ(0, product.LoadByName(L"P", 0));
        EXPECT_EQ(Cut(name.size(), 63), wcslen(product.Components[0]->CatalogName));
        EXPECT_EQ(name, product.Components[0]->Name);
    }
}

// Option values (42 units), the section (130), component (128) and
// component path (654) of a file entry.
TEST(TextLimits, FileEntryFields)
{
    LimitsInstall install;
    for (int d : kAround) {
        const std::wstring option(41 + d, L'o');
        const std::wstring path(653 + d, L'p');
        install.WriteCompose(L"C", L"[Version]\nPath=" + path + L"\n[HaveSection]\nC=Files\n[Files]\nf.dll=" +
                                       RecordLine(L"bin") + L"\n[OptionPlugin]\nf.dll=" + option +
                                       L"," + option + L"\n");
        tn::CComponent component(install.ComposeFile(L"C").c_str());
        ASSERT_EQ(0, component.Load()) << d;
        const tn::FileEntry* entry = component.FindFileEntry(L"f.dll", nullptr);
        ASSERT_NE(nullptr, entry);
        EXPECT_EQ(Cut(option.size(), 41), wcslen(entry->Options[0].First)) << d;
        EXPECT_EQ(Cut(option.size(), 41), wcslen(entry->Options[0].Second)) << d;
        EXPECT_EQ(Cut(path.size(), 653), wcslen(entry->ComponentPath)) << d;
        EXPECT_STREQ(L"Files", entry->Section);
    }
}

// A list written to install.ini must read back whole: "ProductList=" and the
// list fit a line of 2047.
TEST(TextLimits, ListsWrittenToInstallIni)
{
    LimitsInstall install;
    const size_t limit = tn::CIniReader::kMaxLineChars - wcslen(L"ProductList=");
    // Items of ten characters (a list item holds at most 511), the last one
    // making the list limit - 3 long.
    std::wstring list;
    while (list.size() + 11 < limit - 3)
        list += (list.empty() ? L"" : L",") + std::wstring(10, L'p');
    list += L"," + std::wstring(limit - 3 - list.size() - 1, L'q');
    ASSERT_EQ(limit - 3, list.size());
    for (int d : kAround) {
        install.WriteInstallIni(L"[InstallProduct]\nProductList=" + list + L"\n");
        tn::LocalInstallPtr local;
        ASSERT_TRUE(local);
        // Appending "," and a name of 2 + d characters makes the list limit + d long.
        const std::wstring name(2 + d, L'x');
        EXPECT_EQ(d <= 0 ? 1 : 0, local->AddProduct(name.c_str())) << d;
        tn::LocalInstallPtr again;
        EXPECT_EQ(d <= 0, tn::IsInList(again->GetProductList(), name.c_str(), L',')) << d;
    }
}

}  // namespace
}  // namespace tnrobust

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "config/ini_reader.h"
#include "test_support.h"

namespace {

using tn::CIniReader;

// Parses `text` as the code units of a file (no byte-order mark added).
void ParseText(CIniReader& ini, const std::wstring& text)
{
    ini.Parse(text.data(), text.size() * sizeof(wchar_t));
}

// The document as "[name]{key=value}..." for compact comparisons.
std::wstring Dump(const CIniReader& ini)
{
    std::wstring out;
    for (size_t s = 0; s < ini.GetSectionCount(); ++s) {
        const tn::CIniSection* section = ini.GetSectionAt(s);
        out += L"[" + std::wstring(section->GetName()) + L"]";
        for (size_t e = 0; e < section->GetEntryCount(); ++e) {
            const tn::CIniEntry* entry = section->GetEntryAt(e);
            out += L"{" + std::wstring(entry->GetKey()) + L"=" + entry->GetValue() + L"}";
        }
    }
    return out;
}

TEST(IniParse, LineRules)
{
    struct Case {
        const wchar_t* name;
        std::wstring text;
        const wchar_t* document;
    };
    const Case cases[] = {
        {L"mark skipped", L"\uFEFF[A]\r\nk=v\r\n", L"[A]{k=v}"},
        {L"swapped mark skipped", L"\uFFFE[A]\r\nk=v", L"[A]{k=v}"},
        {L"no mark, header first", L"[A]\r\nk=v", L"[A]{k=v}"},
        {L"LF only", L"[A]\nk=v\n", L"[A]{k=v}"},
        {L"before first header", L"x=1\r\n[A]\r\ny=2", L"[A]{y=2}"},
        {L"comment cuts value", L"[A]\r\nKey=value ; note\r\n", L"[A]{Key=value}"},
        {L"comment inside value", L"[A]\r\nCmd=a;b", L"[A]{Cmd=a}"},
        {L"comment line", L"[A]\r\n; all\r\n;k=v\r\n", L"[A]"},
        {L"tab before sign", L"[A]\r\nKey\t=v", L"[A]{Key=v}"},
        {L"tab inside value", L"[A]\r\nKey=a\tb", L"[A]{Key=a b}"},
        {L"trailing blanks and CRs", L"[A]\r\nk=v \r \r\n", L"[A]{k=v}"},
        {L"line starting with CR", L"[A]\r\n\rk=v\r\n", L"[A]"},
        {L"no sign", L"[A]\r\nplain\r\n", L"[A]{=}"},
        {L"indented header", L"[A]\r\n [B]\r\n", L"[A]{=}"},
        {L"header with comment", L"[Main] ; note\r\nk=v", L"[Main]{k=v}"},
        {L"header with blanks", L"[ Main ]\r\n", L"[Main]"},
        {L"text after bracket", L"[Main]x\r\n", L"[Main]"},
        {L"unclosed header", L"[Main\r\n", L"[Main]"},
        {L"two characters after bracket", L"[Main]xy\r\n", L"[Main]xy]"},
        {L"empty header", L"[]\r\nk=v", L"[]{k=v}"},
        {L"duplicates kept", L"[A]\r\nk=1\r\nK=2\r\n[a]\r\nk=3", L"[A]{k=1}{K=2}[a]{k=3}"},
        {L"quoted value", L"[A]\r\nPath=\"C:\\a b\"\r\n", L"[A]{Path=C:\\a b}"},
        {L"NUL ends the line", std::wstring(L"[A]\r\nk=v", 8) + L'\0' + L"x\r\nn=m",
         L"[A]{k=v}{n=m}"},
        {L"empty", L"", L""},
        {L"mark only", L"\uFEFF", L""},
        {L"blank lines", L"\r\n\r\n[A]\r\n\r\n", L"[A]"},
    };
    for (const Case& c : cases) {
        CIniReader ini;
        ParseText(ini, c.text);
        EXPECT_EQ(c.document, Dump(ini)) << c.name;
    }
}

TEST(IniParse, LongLines)
{
    // A line of n characters 'x' after "k=", then the next line "n=m".
    struct Case {
        size_t length;        // characters of the whole first line, "k=" included
        const wchar_t* ending;
        size_t valueLength;   // expected value length of k
        bool nextLineSeen;    // whether n=m is still read
        bool joined;          // whether the next line was appended to k's value
    };
    const Case cases[] = {
        {1022, L"\n", 1020, true, false},
        {1023, L"\n", 1023 - 2 + 3, false, true},  // joined with the following line
        {1023, L"\r\n", 1021, true, false},
        {1024, L"\n", 1022, true, false},
        {2046, L"\n", 2047 - 2, false, true},      // joined with "n" only: cut at 2047
        {2046, L"\r\n", 2044, true, false},
        {2047, L"\n", 2045, true, false},
        {2047, L"\r\n", 2045, true, false},
        {2048, L"\n", 2045, true, false},
        {2048, L"\r\n", 2045, true, false},
        {3069, L"\n", 2045, true, false},
        {3069, L"\r\n", 2045, false, false},       // the third piece overflows: parse ends
        {3070, L"\n", 2045, false, false},
        {3070, L"\r\n", 2045, false, false},
        {100000, L"\r\n", 2045, false, false},
    };
    for (const Case& c : cases) {
        std::wstring text = L"[A]\r\nk=" + std::wstring(c.length - 2, L'x') + c.ending + L"n=m\r\n";
        CIniReader ini;
        ParseText(ini, text);
        const std::wstring value = ini.GetString(L"A", L"k");
        EXPECT_EQ(c.valueLength, value.size()) << c.length << (c.ending[0] == L'\r' ? " CR LF" : " LF");
        EXPECT_EQ(c.nextLineSeen, std::wstring(ini.GetString(L"A", L"n")) == L"m") << c.length;
        EXPECT_EQ(c.joined, !value.empty() && value.back() != L'x') << c.length;
    }
}

TEST(IniParse, EntriesAndInputStayIndependent)
{
    // The caller's bytes are not touched (TABs are turned into blanks in the
    // document's own copy), and a copied entry outlives its document.
    const std::wstring text = L"[A]\r\nk\t=\"v\"\r\n";
    const std::wstring before = text;
    tn::CIniEntry copy;
    {
        CIniReader ini;
        ParseText(ini, text);
        copy = *ini.FindSection(L"A")->FindEntry(L"k");
        tn::CIniEntry second(copy);
        EXPECT_TRUE(second.SetValue(L"w"));
        EXPECT_STREQ(L"v", ini.GetString(L"A", L"k"));
    }
    EXPECT_EQ(before, text);
    EXPECT_STREQ(L"k", copy.GetKey());
    EXPECT_STREQ(L"v", copy.GetValue());
    tn::CIniEntry moved(std::move(copy));
    EXPECT_STREQ(L"v", moved.GetValue());
}

// One reader loads file after file (the search does): each document is the
// one a fresh reader makes of that file, whatever the reader held before.
TEST(IniParse, AReusedReaderHoldsOnlyTheLastDocument)
{
    const std::wstring longLine = L"[L]\r\nk=" + std::wstring(1500, L'v') + L"\r\n";
    const std::wstring texts[] = {
        L"[Big]\r\na\t=1\r\nb=\"2\"\r\n[Second section name]\r\nc=3\r\nd=4\r\n[Third]\r\ne=5\r\n",
        L"[x]\r\ny=z\r\n",
        L"no header at all\r\n",
        longLine,
        L"[Big]\r\n",
        L"[A]\r\nk=v;comment\r\n[a]\r\nk=w\r\n",
        L"",
    };
    CIniReader reused;
    for (const std::wstring& before : texts) {
        for (const std::wstring& text : texts) {
            ParseText(reused, before);
            ParseText(reused, text);
            CIniReader fresh;
            ParseText(fresh, text);
            EXPECT_EQ(Dump(fresh), Dump(reused)) << text.substr(0, 40).c_str();
        }
    }
    reused.Clear();
    EXPECT_EQ(0u, reused.GetSectionCount());
    EXPECT_STREQ(L"", reused.GetString(L"Big", L"b"));
}

TEST(IniParse, HeaderNameIsCutTo127)
{
    const std::wstring longName(300, L'S');
    CIniReader ini;
    ParseText(ini, L"[" + longName + L"]\r\nk=v\r\n");
    ASSERT_EQ(1u, ini.GetSectionCount());
    EXPECT_EQ(std::wstring(127, L'S'), ini.GetSectionAt(0)->GetName());
    // 126 characters and the bracket: the bracket goes.
    ParseText(ini, L"[" + std::wstring(126, L'T') + L"]\r\n");
    EXPECT_EQ(std::wstring(126, L'T'), ini.GetSectionAt(0)->GetName());
}

TEST(IniLookup, FirstMatchWins)
{
    CIniReader ini;
    ParseText(ini, L"[A]\r\nk=1\r\nk=2\r\n[a]\r\nk=3\r\nonly=4\r\n");
    EXPECT_STREQ(L"1", ini.GetString(L"a", L"K"));
    EXPECT_STREQ(L"", ini.GetString(L"A", L"only"));  // the first [A] does not hold it
    EXPECT_STREQ(L"", ini.GetString(L"B", L"k"));
    EXPECT_STREQ(L"", ini.GetString(nullptr, L"k"));
    EXPECT_STREQ(L"", ini.GetString(L"A", nullptr));
    EXPECT_EQ(ini.GetSectionAt(0), ini.FindSection(L"A"));
    EXPECT_EQ(nullptr, ini.FindSection(nullptr));
    const tn::CIniSection* first = ini.FindSection(L"A");
    EXPECT_EQ(first->GetEntryAt(0), first->FindEntry(L"K"));
    EXPECT_EQ(nullptr, first->FindEntry(nullptr));
    EXPECT_EQ(nullptr, first->GetEntryAt(2));

    CIniReader empty;
    EXPECT_STREQ(L"", empty.GetString(L"A", L"k"));
    EXPECT_EQ(7, empty.GetInt(L"A", L"k", 7));
}

TEST(IniLookup, GetInt)
{
    struct Case {
        const wchar_t* value;  // null: the key is missing
        int result;
    };
    const Case cases[] = {
        {L"12abc", 12},
        {L"", -5},  // the default
        {nullptr, -5},
        {L"abc", 0},
        {L"0x10", 0},
        {L" 42", 42},
        {L"-17", -17},
        {L"+8", 8},
        {L"2147483647", INT_MAX},
        {L"2147483648", INT_MAX},
        {L"99999999999999999999", INT_MAX},
        {L"-2147483648", INT_MIN},
        {L"-2147483649", INT_MIN},
        {L"-", 0},
        {L"007", 7},
    };
    for (const Case& c : cases) {
        CIniReader ini;
        ini.SetString(L"S", L"other", L"1");
        if (c.value)
            ini.SetString(L"S", L"k", c.value);
        EXPECT_EQ(c.result, ini.GetInt(L"S", L"k", -5)) << (c.value ? c.value : L"(missing)");
    }
}

TEST(IniSetString, ChangesFirstOrAppends)
{
    CIniReader ini;
    ParseText(ini, L"[A]\r\nk=1\r\nk=2\r\n[a]\r\nk=3\r\n");
    EXPECT_TRUE(ini.SetString(L"a", L"K", L"new"));
    EXPECT_TRUE(ini.SetString(L"A", L"  added ", L" v;x"));
    EXPECT_TRUE(ini.SetString(L" New ", L"n", L""));
    EXPECT_EQ(L"[A]{k=new}{k=2}{added= v;x}[a]{k=3}[New]{n=}", Dump(ini));
    EXPECT_FALSE(ini.SetString(nullptr, L"k", L"v"));
    EXPECT_FALSE(ini.SetString(L"A", nullptr, L"v"));
    EXPECT_FALSE(ini.SetString(L"A", L"k", nullptr));
    EXPECT_STREQ(L"new", ini.GetString(L"A", L"k"));

    // Over-long names are cut as stored, and found again under the long name.
    const std::wstring longSection(200, L's');
    const std::wstring longKey(200, L'k');
    EXPECT_TRUE(ini.SetString(longSection.c_str(), longKey.c_str(), L"1"));
    EXPECT_TRUE(ini.SetString(longSection.c_str(), longKey.c_str(), L"2"));
    const tn::CIniSection* section = ini.FindSection(std::wstring(127, L's').c_str());
    ASSERT_NE(nullptr, section);
    EXPECT_EQ(1u, section->GetEntryCount());
    EXPECT_STREQ(L"2", ini.GetString(longSection.c_str(), longKey.c_str()));
    EXPECT_EQ(4u, ini.GetSectionCount());
}

TEST(IniLoad, FilesAndPaths)
{
    tntest::TempDir dir;
    const std::wstring path = dir / L"a.ini";
    CIniReader ini;

    tntest::WriteUtf16(path, L"[A]\nk=v\n");
    EXPECT_TRUE(ini.Load(path.c_str()));
    EXPECT_STREQ(L"v", ini.GetString(L"A", L"k"));
    EXPECT_EQ(path, ini.GetPath());

    // Missing and empty files: false, empty document, path recorded.
    EXPECT_FALSE(ini.Load((dir / L"missing.ini").c_str()));
    EXPECT_EQ(0u, ini.GetSectionCount());
    EXPECT_EQ(dir / L"missing.ini", ini.GetPath());
    tntest::WriteBytes(dir / L"empty.ini", "");
    EXPECT_FALSE(ini.Load((dir / L"empty.ini").c_str()));
    EXPECT_EQ(dir / L"empty.ini", ini.GetPath());

    // A file that opens but cannot be read (a byte range locked by another
    // process): false and an empty document, and Save does not replace the
    // file.
    const std::string bytes = tntest::ReadBytes(path);
    tn::SetFileReadForTesting(&tntest::LockViolationRead);
    const bool loaded = ini.Load(path.c_str());
    tn::SetFileReadForTesting(nullptr);
    EXPECT_FALSE(loaded);
    EXPECT_EQ(0u, ini.GetSectionCount());
    EXPECT_TRUE(ini.IsFileUnread());
    EXPECT_TRUE(ini.SetString(L"B", L"x", L"y"));
    EXPECT_FALSE(ini.Save());
    EXPECT_EQ(bytes, tntest::ReadBytes(path));

    // A path the 259-character field cannot hold is refused and not recorded.
    const std::wstring longPath = dir.Path() + std::wstring(260 - dir.Path().size(), L'p');
    ASSERT_EQ(260u, longPath.size());
    EXPECT_TRUE(ini.Load(path.c_str()));
    EXPECT_FALSE(ini.Load(longPath.c_str()));
    EXPECT_EQ(0u, ini.GetSectionCount());
    EXPECT_STREQ(L"", ini.GetPath());
    EXPECT_FALSE(ini.Save());
    EXPECT_FALSE(ini.Load(nullptr));
}

// A partial load reads its file through a window that moves along it; the
// document must be the one a parse of the same bytes gives, wherever lines
// of every length (one piece, several, cut, ending with CR or without)
// fall against the window's edges. With the empty key the filter keeps
// every line, so the whole document is compared too.
TEST(IniLoad, APartialLoadOfAFileAsLargeAsManyWindows)
{
    // With its CR, a line holds at most 3069 characters: one more ends the reading.
    const size_t lengths[] = {0, 1, 5, 40, 1021, 1022, 1023, 1024, 1500, 2045, 2046, 2047, 2048, 3067, 3068};
    const wchar_t* const keys[] = {L"k", L"Key", L"other", L" k", L"\tKEY", L"[no", L"x"};
    std::wstring text(1, L'\uFEFF');
    unsigned step = 0;
    while (text.size() < 200000) {
        if (step % 7 == 0)
            text += L"[S" + std::to_wstring(step % 13) + L"]\n";
        const std::wstring key = keys[step % 7];
        const size_t length = lengths[(step * 4) % 15];
        std::wstring line = key + L"=";
        while (line.size() < length)
            line += wchar_t(L'a' + (line.size() + step) % 26);
        line.resize(length);
        // A line of a multiple of 1023 characters before LF goes on with
        // the next line (which could then end the reading): these take CR LF.
        const bool crlf = step % 3 == 0 || length == 1023 || length == 2046;
        text += line + (crlf ? L"\r\n" : L"\n");
        // Now and then three lines of 1023 characters and LF: one line of
        // three pieces, the longest stretch of text a line takes.
        if (step % 11 == 5)
            for (int piece = 0; piece < 3; ++piece)
                text += L"k=" + std::wstring(1021, wchar_t(L'A' + piece)) + L"\n";
        ++step;
    }
    // A line of 3070 characters ends the reading: what follows is not read.
    text += L"[Last]\nk=" + std::wstring(3068, L'z') + L"\n[After]\nk=never\n";
    const std::string bytes(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
    tntest::TempDir dir;
    const std::wstring path = dir / L"big.ini";
    tntest::WriteBytes(path, bytes);

    CIniReader whole;
    whole.Parse(bytes.data(), bytes.size());
    ASSERT_NE(nullptr, whole.FindSection(L"Last"));  // the text is read to its end
    // The window as shipped, and windows of a line's worth and a little
    // more, which move every few lines and meet every kind of line at
    // their edges.
    for (size_t window : {0, 1, 2, 3, 5, 8, 13, 500, 2000}) {
        tn::SetPartialLoadWindowForTesting(window);
        for (const tn::CIniKeyFilter& filter : {tn::CIniKeyFilter{L"k", L"other"}, tn::CIniKeyFilter{L""}}) {
            CIniReader loaded, parsed;
            ASSERT_TRUE(loaded.Load(path.c_str(), filter));
            parsed.Parse(bytes.data(), bytes.size(), filter);
            EXPECT_TRUE(Dump(parsed) == Dump(loaded)) << window;  // (megabytes: not printed)
            EXPECT_EQ(nullptr, loaded.FindSection(L"After"));
        }
        CIniReader all;
        ASSERT_TRUE(all.Load(path.c_str(), tn::CIniKeyFilter{L""}));
        EXPECT_TRUE(Dump(whole) == Dump(all)) << window;
    }
    tn::SetPartialLoadWindowForTesting(0);
}

}  // namespace

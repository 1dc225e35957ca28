#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "config/ini_reader.h"
#include "test_support.h"

namespace {

using tn::CIniReader;

// The bytes of UTF-16LE text: a byte-order mark, then each line and CR LF.
std::string Utf16Lines(std::initializer_list<const wchar_t*> lines)
{
    std::wstring text(1, L'\uFEFF');
    for (const wchar_t* line : lines)
        text += std::wstring(line) + L"\r\n";
    return std::string(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
}

// Names of the files in a folder (no "." and "..").
std::vector<std::wstring> FolderContent(const std::wstring& dir)
{
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((dir + L"*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE)
        return names;
    do {
        const std::wstring name = data.cFileName;
        if (name != L"." && name != L"..")
            names.push_back(name);
    } while (FindNextFileW(find, &data));
    FindClose(find);
    return names;
}

TEST(IniSave, ExactBytes)
{
    tntest::TempDir dir;
    struct Case {
        const wchar_t* name;
        std::wstring source;  // file text ("\n" becomes CR LF)
        std::string bytes;
    };
    const Case cases[] = {
        {L"two sections", L"[Update]\nComposes=a,b\n[Other]\nX=1\n",
         Utf16Lines({L"[Update]", L"Composes=a,b", L"", L"[Other]", L"X=1", L""})},
        {L"quotes and comments dropped", L"[A]\n; c\nP=\"x y\" ; c\n",
         Utf16Lines({L"[A]", L"P=x y", L""})},
        {L"lines before the first header dropped", L"lost=1\n[A]\n",
         Utf16Lines({L"[A]", L""})},
        {L"line without a sign", L"[A]\nplain\n", Utf16Lines({L"[A]", L"=", L""})},
        {L"empty section", L"[A]\n[B]\nk=\n", Utf16Lines({L"[A]", L"", L"[B]", L"k=", L""})},
        {L"duplicates written", L"[A]\nk=1\nk=2\n[a]\n",
         Utf16Lines({L"[A]", L"k=1", L"k=2", L"", L"[a]", L""})},
        {L"nothing", L"; only a comment\n", std::string("\xFF\xFE", 2)},
    };
    for (const Case& c : cases) {
        const std::wstring source = dir / L"in.ini";
        const std::wstring target = dir / L"out.ini";
        tntest::WriteUtf16(source, c.source);
        CIniReader ini;
        ini.Load(source.c_str());
        ASSERT_TRUE(ini.SaveAs(target.c_str())) << c.name;
        EXPECT_EQ(c.bytes, tntest::ReadBytes(target)) << c.name;
    }
}

TEST(IniSave, RoundTrips)
{
    tntest::TempDir dir;
    const std::wstring first = dir / L"1.ini";
    const std::wstring second = dir / L"2.ini";
    tntest::WriteUtf16(first,
                       L"junk\n[InstallProduct]\nProductList=P1,P2\n\n[InstallCompose]\n"
                       L"ComposeList = C1,C2\n\tLangGroup=\"G1\"\n[installcompose]\nx=y;z\n"
                       L"noSign\n[Empty]\n");
    CIniReader a;
    ASSERT_TRUE(a.Load(first.c_str()));
    ASSERT_TRUE(a.SaveAs(second.c_str()));
    CIniReader b;
    ASSERT_TRUE(b.Load(second.c_str()));
    ASSERT_EQ(a.GetSectionCount(), b.GetSectionCount());
    for (size_t s = 0; s < a.GetSectionCount(); ++s) {
        const tn::CIniSection* x = a.GetSectionAt(s);
        const tn::CIniSection* y = b.GetSectionAt(s);
        EXPECT_STREQ(x->GetName(), y->GetName());
        ASSERT_EQ(x->GetEntryCount(), y->GetEntryCount());
        for (size_t e = 0; e < x->GetEntryCount(); ++e) {
            EXPECT_STREQ(x->GetEntryAt(e)->GetKey(), y->GetEntryAt(e)->GetKey());
            EXPECT_STREQ(x->GetEntryAt(e)->GetValue(), y->GetEntryAt(e)->GetValue());
        }
    }
    EXPECT_STREQ(L" C1,C2", b.GetString(L"InstallCompose", L"ComposeList"));
    EXPECT_STREQ(L"G1", b.GetString(L"InstallCompose", L"LangGroup"));

    // save -> load -> save gives the same bytes.
    const std::wstring third = dir / L"3.ini";
    ASSERT_TRUE(b.SaveAs(third.c_str()));
    EXPECT_EQ(tntest::ReadBytes(second), tntest::ReadBytes(third));
}

TEST(IniSave, FailedLoadStillRecordsPath)
{
    tntest::TempDir dir;
    const std::wstring path = dir / L"new.ini";
    for (bool emptyFile : {false, true}) {
        if (emptyFile)
            tntest::WriteBytes(path, "");
        CIniReader ini;
        EXPECT_FALSE(ini.Load(path.c_str()));
        EXPECT_TRUE(ini.SetString(L"InstallProduct", L"ProductList", L"P1"));
        EXPECT_TRUE(ini.Save());
        EXPECT_EQ(Utf16Lines({L"[InstallProduct]", L"ProductList=P1", L""}), tntest::ReadBytes(path));
        DeleteFileW(path.c_str());
    }
    CIniReader never;
    EXPECT_FALSE(never.Save());
    EXPECT_FALSE(never.SaveAs(L""));
    EXPECT_FALSE(never.SaveAs(nullptr));
}

TEST(IniSave, ReplacesReadOnlyFile)
{
    tntest::TempDir dir;
    const std::wstring path = dir / L"ro.ini";
    tntest::WriteUtf16(path, L"[Old]\nk=v\n");
    ASSERT_TRUE(SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN));
    CIniReader ini;
    ASSERT_TRUE(ini.Load(path.c_str()));
    ini.SetString(L"Old", L"k", L"w");
    EXPECT_TRUE(ini.Save());
    EXPECT_EQ(Utf16Lines({L"[Old]", L"k=w", L""}), tntest::ReadBytes(path));
    EXPECT_EQ(std::vector<std::wstring>{L"ro.ini"}, FolderContent(dir.Path()));
}

// A save that cannot complete reports false, keeps what was there and
// leaves no temporary file behind.
TEST(IniSave, FailureKeepsTarget)
{
    tntest::TempDir dir;
    CIniReader ini;
    ini.SetString(L"A", L"k", L"v");

    // The target is a folder.
    const std::wstring folder = dir / L"folder.ini";
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    EXPECT_FALSE(ini.SaveAs(folder.c_str()));
    EXPECT_EQ(std::vector<std::wstring>{L"folder.ini"}, FolderContent(dir.Path()));
    EXPECT_TRUE(GetFileAttributesW(folder.c_str()) & FILE_ATTRIBUTE_DIRECTORY);

    // The target's folder does not exist.
    EXPECT_FALSE(ini.SaveAs((dir / L"missing\\x.ini").c_str()));

    // The target is held open by someone who does not let it be replaced.
    const std::wstring busy = dir / L"busy.ini";
    tntest::WriteUtf16(busy, L"[Old]\nk=1\n");
    const std::string before = tntest::ReadBytes(busy);
    HANDLE holder = CreateFileW(busy.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, holder);
    EXPECT_FALSE(ini.SaveAs(busy.c_str()));
    CloseHandle(holder);
    EXPECT_EQ(before, tntest::ReadBytes(busy));
    EXPECT_EQ(2u, FolderContent(dir.Path()).size());

    // A document loaded partially (only some keys) would write back a file
    // without the others: it is never saved, and a full load saves again.
    CIniReader partial;
    ASSERT_TRUE(partial.Load(busy.c_str(), tn::CIniKeyFilter{L"other"}));
    EXPECT_TRUE(partial.SetString(L"Old", L"other", L"2"));
    EXPECT_FALSE(partial.Save());
    EXPECT_EQ(before, tntest::ReadBytes(busy));
    ASSERT_TRUE(partial.Load(busy.c_str()));
    EXPECT_TRUE(partial.Save());
}

TEST(IniSave, LongTargetPath)
{
    // A target whose temporary name beside it would pass MAX_PATH.
    tntest::TempDir dir;
    std::wstring sub = dir.Path();
    while (sub.size() < 230) {
        sub += L"dddddddddd\\";
        ASSERT_TRUE(CreateDirectoryW(sub.c_str(), nullptr));
    }
    const std::wstring target = sub + std::wstring(258 - sub.size(), L'f');
    ASSERT_EQ(258u, target.size());
    CIniReader ini;
    ini.SetString(L"A", L"k", L"v");
    ASSERT_TRUE(ini.SaveAs(target.c_str()));
    CIniReader back;
    ASSERT_TRUE(back.Load(target.c_str()));
    EXPECT_STREQ(L"v", back.GetString(L"A", L"k"));
    EXPECT_EQ(1u, FolderContent(sub).size());
}

}  // namespace

#include <gtest/gtest.h>

#include <cstring>
#include <cwchar>
#include <functional>
#include <random>
#include <string>

#include "config/ini_reader.h"
#include "test_support.h"

namespace {

using tn::CIniReader;

// The bytes of a literal, embedded NULs included (its terminator excluded).
template <size_t N>
std::string LiteralBytes(const wchar_t (&text)[N])
{
    return std::string(reinterpret_cast<const char*>(text), (N - 1) * sizeof(wchar_t));
}

std::string Bytes(const std::wstring& text)
{
    return std::string(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
}

// Whatever the input, every stored text is within its field, ends at its
// length (no NUL inside), and each entry would fit one line when saved.
void ExpectWithinLimits(const CIniReader& ini, const std::string& label)
{
    for (size_t s = 0; s < ini.GetSectionCount(); ++s) {
        const tn::CIniSection* section = ini.GetSectionAt(s);
        ASSERT_LE(section->GetNameLength(), tn::CIniSection::kMaxNameChars) << label;
        ASSERT_EQ(wcslen(section->GetName()), section->GetNameLength()) << label;
        for (size_t e = 0; e < section->GetEntryCount(); ++e) {
            const tn::CIniEntry* entry = section->GetEntryAt(e);
            ASSERT_LE(entry->GetKeyLength(), tn::CIniEntry::kMaxKeyChars) << label;
            ASSERT_EQ(wcslen(entry->GetKey()), entry->GetKeyLength()) << label;
            ASSERT_EQ(wcslen(entry->GetValue()), entry->GetValueLength()) << label;
            ASSERT_LE(entry->GetKeyLength() + 1 + entry->GetValueLength(), CIniReader::kMaxLineChars) << label;
        }
    }
}

TEST(IniGarbage, BadFiles)
{
    tntest::TempDir dir;
    const std::wstring path = dir / L"bad.ini";
    struct Case {
        const char* name;
        std::string bytes;
        bool loads;
        std::function<void(const CIniReader&)> check;
    };
    auto sections = [](size_t n) {
        return [n](const CIniReader& ini) { EXPECT_EQ(n, ini.GetSectionCount()); };
    };
    std::string tenMegabytes;
    {
        const std::string block = Bytes(L"[S]\r\nkey=value ; c\r\n\tk2 = \"v\"\r\n");
        while (tenMegabytes.size() < 10u * 1024 * 1024)
            tenMegabytes += block;
    }
    const Case cases[] = {
        {"0 bytes", "", false, sections(0)},
        {"1 byte", "[", true, sections(0)},
        {"odd count", Bytes(L"[A]\r\nk=v") + "\x01", true,
         [](const CIniReader& ini) { EXPECT_STREQ(L"v", ini.GetString(L"A", L"k")); }},
        {"8-bit text", "[Main]\r\nkey=value\r\n", true,
         [](const CIniReader& ini) { EXPECT_EQ(nullptr, ini.FindSection(L"Main")); }},
        {"8-bit odd", "[Main]\r\nk=v\r\n\n", true, sections(0)},
        {"10 MB", tenMegabytes, true,
         [&](const CIniReader& ini) {
             EXPECT_EQ(tenMegabytes.size() / Bytes(L"[S]\r\nkey=value ; c\r\n\tk2 = \"v\"\r\n").size(),
                       ini.GetSectionCount());
             EXPECT_STREQ(L" \"v", ini.GetString(L"s", L"K2"));  // the quote is not first
         }},
        {"100000-character line", Bytes(L"[A]\r\nk=" + std::wstring(100000, L'y') + L"\r\n[T]\r\nt=1\r\n"), true,
         [](const CIniReader& ini) {
             EXPECT_EQ(2045u, wcslen(ini.GetString(L"A", L"k")));
             EXPECT_EQ(nullptr, ini.FindSection(L"T"));
         }},
        {"NULs inside", LiteralBytes(L"[A\0B]\r\nk=v\0w\r\n\0\0\0\r\nn=m"), true,
         [](const CIniReader& ini) {
             EXPECT_STREQ(L"v", ini.GetString(L"A", L"k"));
             EXPECT_STREQ(L"m", ini.GetString(L"A", L"n"));
         }},
        {"only NULs", std::string(64, '\0'), true, sections(0)},
        {"header never closes", Bytes(L"[" + std::wstring(5000, L'h')), true,
         [](const CIniReader& ini) {
             ASSERT_EQ(1u, ini.GetSectionCount());
             EXPECT_EQ(127u, ini.GetSectionAt(0)->GetNameLength());
         }},
        {"mark then CRs", Bytes(L"\uFEFF\r\r\r\n\r"), true, sections(0)},
        {"lone surrogates", Bytes(L"[\xD800]\r\n\xDC00=\xDFFF"), true,
         [](const CIniReader& ini) { EXPECT_STREQ(L"\xDFFF", ini.GetString(L"\xD800", L"\xDC00")); }},
    };
    for (const Case& c : cases) {
        tntest::WriteBytes(path, c.bytes);
        CIniReader ini;
        EXPECT_EQ(c.loads, ini.Load(path.c_str())) << c.name;
        ExpectWithinLimits(ini, c.name);
        c.check(ini);
        // Whatever was read can be saved and read again.
        EXPECT_TRUE(ini.SaveAs((dir / L"saved.ini").c_str())) << c.name;
        CIniReader again;
        again.Load((dir / L"saved.ini").c_str());
        EXPECT_EQ(ini.GetSectionCount(), again.GetSectionCount()) << c.name;
    }
}

// Random documents built from the characters the parser cares about, and
// plain random bytes, at every alignment.
TEST(IniGarbage, RandomInput)
{
    std::mt19937 random(20240611);
    const wchar_t alphabet[] = {L'[', L']', L'=', L';', L'\r', L'\n', L'"', L'\t', L' ', L'\0',
                                0xFEFF, 0xFFFE, L'a', L'B', L'z', 0xD800, 0x00E4};
    std::uniform_int_distribution<size_t> pick(0, sizeof(alphabet) / sizeof(alphabet[0]) - 1);
    std::uniform_int_distribution<int> byte(0, 255);
    std::vector<char> buffer(16 * 1024 + 1);
    tntest::TempDir dir;
    const std::wstring saved = dir / L"r.ini";

    for (int round = 0; round < 1500; ++round) {
        const size_t size = std::uniform_int_distribution<size_t>(0, 16 * 1024)(random);
        const size_t offset = round % 2;
        if (round % 3 == 0) {
            for (size_t i = 0; i < size; ++i)
                buffer[offset + i] = static_cast<char>(byte(random));
        } else {
            // Runs of one character now and then, to reach the piece limits.
            for (size_t i = 0; i + 1 < size; i += 2) {
                wchar_t c = alphabet[pick(random)];
                size_t run = (random() % 64 == 0) ? 1000 + random() % 1100 : 1;
                for (; run > 0 && i + 1 < size; --run, i += 2)
                    std::memcpy(&buffer[offset + i], &c, sizeof c);
                i -= 2;
            }
        }
        CIniReader ini;
        ini.Parse(buffer.data() + offset, size);
        ExpectWithinLimits(ini, "round " + std::to_string(round));
        if (round % 100 == 0) {
            ASSERT_TRUE(ini.SaveAs(saved.c_str()));
            CIniReader back;
            back.Load(saved.c_str());
            ExpectWithinLimits(back, "saved round " + std::to_string(round));
        }
    }
}

}  // namespace

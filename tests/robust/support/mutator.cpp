#include "mutator.h"

#include <algorithm>

namespace tnrobust {

const size_t kBoundaryLengths[] = {126,  127,  128,  255,  256,  257,  258,  259,  260,  261,
                                   510,  511,  512,  1022, 1023, 1024, 2046, 2047, 2048, 3068,
                                   3069, 3070};
const size_t kBoundaryLengthCount = sizeof(kBoundaryLengths) / sizeof(kBoundaryLengths[0]);

size_t PickBoundaryLength(Rng& rng) { return kBoundaryLengths[rng.Below(kBoundaryLengthCount)]; }

const std::vector<std::wstring>& SpecialTokens()
{
    static const std::vector<std::wstring> tokens = {
        L"\n", L"\r\n", L"\r", L";", L"[", L"]", L"=", L"\"", L"\t", L" ", L",", L"|", L"||",
        std::wstring(1, L'\0'), std::wstring(1, wchar_t(0xFEFF)), std::wstring(1, wchar_t(0xFFFE)),
        std::wstring(1, wchar_t(0xD800)), std::wstring(1, wchar_t(0xDC00)), L"\u00E9", L"\u6587",
        L"\\", L"/", L".", L"_", L"$", L"%", L"$SYSTEM32", L"$WINDOWS", L"$SYSTEM32\\drivers",
        L"%WINDIR%", L"%NOSUCHVAR%", L"%", L"..\\..\\", L"0x", L"-", L"+", L"e", L"1e308",
        L"1e309", L"-1e400", L"4294967295", L"2147483648", L"-2147483649",
        L"99999999999999999999", L"ffffffff", L"FFFFFFFFF", L"[Version]", L"[HaveSection]",
        L"[OldFile_Map]", L"[OptionPlugin]", L"[InstallCompose]", L"[InstallProduct]",
        L"[HaveCompose]", L"Path=", L"Parent=", L"Resource=", L"ComposeList=", L"ProductList=",
        L"All=", L"ProductID=", L"SupportOS=", L"Type=1", L"LangGroup=", L"TNol", L"Core",
        L"Engine", L"\"\""};
    return tokens;
}

namespace {

wchar_t RandomUnit(Rng& rng)
{
    switch (rng.Below(4)) {
    case 0: return wchar_t(L' ' + rng.Below(95));        // printable ASCII
    case 1: return wchar_t(rng.Below(32));               // controls, NUL included
    case 2: return wchar_t(rng.Below(0x10000));          // anything
    default: return L"abcXYZ019,=;[]\"\\ "[rng.Below(18)];
    }
}

}  // namespace

void MutateText(std::wstring& text, Rng& rng, int edits)
{
    const auto& tokens = SpecialTokens();
    for (int e = 0; e < edits; ++e) {
        const size_t at = text.empty() ? 0 : rng.Below(uint32_t(text.size() + 1));
        switch (rng.Below(9)) {
        case 0:
            text.insert(at, tokens[rng.Below(uint32_t(tokens.size()))]);
            break;
        case 1: {  // a run of one character, at a limit's length
            const std::wstring& token = tokens[rng.Below(uint32_t(tokens.size()))];
            const wchar_t c = rng.OneIn(2) || token.empty() ? RandomUnit(rng) : token[0];
            text.insert(at, std::wstring(PickBoundaryLength(rng) - rng.Below(3), c));
            break;
        }
        case 2:
            if (!text.empty())
                text.erase(at, rng.Below(64) + 1);
            break;
        case 3:
            if (!text.empty()) {
                const size_t from = rng.Below(uint32_t(text.size()));
                const size_t length = std::min<size_t>(rng.Below(256) + 1, text.size() - from);
                text.insert(at, text.substr(from, length));
            }
            break;
        case 4:
            if (at < text.size())
                text[at] = RandomUnit(rng);
            break;
        case 5: {  // stretch the line holding `at` to a limit's length
            const size_t lineStart = text.rfind(L'\n', at == 0 ? 0 : at - 1);
            const size_t start = lineStart == std::wstring::npos ? 0 : lineStart + 1;
            size_t end = text.find(L'\n', start);
            if (end == std::wstring::npos)
                end = text.size();
            const size_t want = PickBoundaryLength(rng);
            const size_t have = end - start;
            if (want > have)
                text.insert(end, std::wstring(want - have, L"ax ,"[rng.Below(4)]));
            else
                text.erase(start + want, have - want);
            break;
        }
        case 6: {  // swap two stretches
            if (text.size() > 4) {
                const size_t a = rng.Below(uint32_t(text.size() / 2));
                const size_t b = text.size() / 2 + rng.Below(uint32_t(text.size() / 2));
                const size_t length = std::min<size_t>(rng.Below(32) + 1, text.size() - b);
                std::swap_ranges(text.begin() + a, text.begin() + a + std::min(length, b - a),
                                 text.begin() + b);
            }
            break;
        }
        case 7:
            text.insert(at, 1, RandomUnit(rng));
            break;
        default:  // cut the text short
            if (!text.empty() && rng.OneIn(4))
                text.resize(at);
            break;
        }
    }
}

void MutateBytes(std::string& bytes, Rng& rng, int edits)
{
    for (int e = 0; e < edits; ++e) {
        const size_t at = bytes.empty() ? 0 : rng.Below(uint32_t(bytes.size() + 1));
        switch (rng.Below(6)) {
        case 0:
            if (at < bytes.size())
                bytes[at] = char(bytes[at] ^ (1 << rng.Below(8)));
            break;
        case 1:
            bytes.insert(at, 1, char(rng.Below(256)));
            break;
        case 2:
            if (!bytes.empty())
                bytes.erase(at, rng.Below(8) + 1);
            break;
        case 3:
            if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
                static_cast<unsigned char>(bytes[1]) == 0xFE)
                bytes.erase(0, 2);
            else
                bytes.insert(0, rng.OneIn(2) ? "\xFF\xFE" : "\xFE\xFF");
            break;
        case 4:
            if (!bytes.empty() && rng.OneIn(3))
                bytes.resize(at);
            break;
        default:
            if (at < bytes.size())
                bytes[at] = char(rng.Below(256));
            break;
        }
    }
}

std::string Utf16Bytes(const std::wstring& text, bool bom, bool crlf)
{
    std::string bytes;
    auto put = [&bytes](wchar_t c) {
        bytes += char(c & 0xFF);
        bytes += char((c >> 8) & 0xFF);
    };
    if (bom)
        put(wchar_t(0xFEFF));
    for (wchar_t c : text) {
        if (c == L'\n' && crlf)
            put(L'\r');
        put(c);
    }
    return bytes;
}

std::wstring TextOfUtf16(const std::string& bytes)
{
    std::wstring text;
    for (size_t i = 0; i + 1 < bytes.size(); i += 2)
        text += wchar_t(static_cast<unsigned char>(bytes[i]) |
                        (static_cast<unsigned char>(bytes[i + 1]) << 8));
    if (!text.empty() && text[0] == wchar_t(0xFEFF))
        text.erase(0, 1);
    return text;
}

}  // namespace tnrobust

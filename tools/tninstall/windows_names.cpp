#include "windows_names.h"

#include <cstdio>

#include "TNInstall.h"

namespace tnt {
namespace {

struct NamedBit {
    DWORD bit;
    const wchar_t* name;
};

const NamedBit kClassBits[] = {
    {WINTYPE_9X, L"9X"},       {WINTYPE_NT, L"NT"},         {WINTYPE_WOW64, L"WOW64"},
    {WINTYPE_95, L"95"},       {WINTYPE_98, L"98"},         {WINTYPE_ME, L"ME"},
    {WINTYPE_NT4, L"NT4"},     {WINTYPE_2000, L"2000"},     {WINTYPE_OTHER, L"OTHER"},
    {WINTYPE_XPSP2, L"XPSP2"}, {WINTYPE_2003, L"2003"},     {WINTYPE_V6, L"V6"},
    {WINTYPE_2003_WOW64, L"2003_WOW64"},
};

struct NamedLanguage {
    LANGID id;
    const wchar_t* name;
};

// The display languages of the installation's description files.
const NamedLanguage kSuiteLanguages[] = {
    {0x0804, L"Chinese (Simplified, PRC)"},
    {0x0409, L"English (United States)"},
    {0x0411, L"Japanese"},
    {0x0404, L"Chinese (Traditional, Taiwan)"},
    {0x000A, L"Spanish"},
};

constexpr int kLocaleTextChars = 128;

std::wstring LocaleText(LCID locale, LCTYPE type)
{
    wchar_t text[kLocaleTextChars] = {};
    if (GetLocaleInfoW(locale, type, text, kLocaleTextChars) <= 0)
        return std::wstring();
    return text;
}

}  // namespace

std::wstring Hex(DWORD value)
{
    wchar_t text[16];
    swprintf(text, 16, L"0x%lX", static_cast<unsigned long>(value));
    return text;
}

std::wstring LanguageHex(LANGID language)
{
    wchar_t text[16];
    swprintf(text, 16, L"0x%04X", static_cast<unsigned>(language));
    return text;
}

std::vector<std::wstring> WindowsClassNames(DWORD mask)
{
    std::vector<std::wstring> names;
    DWORD named = 0;
    for (const NamedBit& bit : kClassBits)
        if (mask & bit.bit) {
            names.push_back(bit.name);
            named |= bit.bit;
        }
    for (DWORD bit = 1; bit != 0; bit <<= 1)
        if ((mask & bit) && !(named & bit))
            names.push_back(Hex(bit));
    return names;
}

std::wstring DescribeWindowsClass(DWORD mask)
{
    std::wstring text = Hex(mask) + L" =";
    const std::vector<std::wstring> names = WindowsClassNames(mask);
    if (names.empty())
        return text + L" (no class bits)";
    for (size_t i = 0; i < names.size(); ++i)
        text += (i == 0 ? L" " : L" | ") + names[i];
    return text;
}

std::wstring LanguageName(LANGID language)
{
    // 0 would name the user's default language to the system.
    if (language == 0)
        return L"no language";
    for (const NamedLanguage& known : kSuiteLanguages)
        if (known.id == language)
            return known.name;
    const LCID locale = MAKELCID(language, SORT_DEFAULT);
    const std::wstring name = LocaleText(locale, LOCALE_SENGLANGUAGE);
    if (name.empty())
        return L"unknown language";
    const std::wstring country = LocaleText(locale, LOCALE_SENGCOUNTRY);
    return country.empty() ? name : name + L" (" + country + L")";
}

}  // namespace tnt

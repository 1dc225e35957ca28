#include "install/language.h"

#include <string>

#include "config/string_list.h"
#include "config/text_utils.h"
#include "install/local_install.h"
#include "platform/hive_key.h"
#include "platform/sysenv.h"

namespace tn {
namespace {

// The hive-store key and value that hold the chosen language.
constexpr const wchar_t* kLanguageKey = L"UI";
constexpr const wchar_t* kLanguageValue = L"Language";
// A LangGroup item names its language in its last this many characters.
constexpr size_t kLanguageDigits = 4;
constexpr DWORD kLanguageIdMask = 0xFFFF;

DWORD LanguageOfItem(const std::wstring& item)
{
    const size_t start = item.size() > kLanguageDigits ? item.size() - kLanguageDigits : 0;
    return ParseHex(item.c_str() + start);
}

// The "Language" value of the hive store, or 0 when the store, the key or a
// REG_DWORD value is missing. A value of another type counts as missing
// rather than leaving whatever bytes the store wrote.
DWORD ReadStoredLanguage()
{
    DWORD stored = 0;
    CHiveKey key;
    if (key.Open(HKEY_LOCAL_MACHINE, kLanguageKey, KEY_READ) == ERROR_SUCCESS) {
        if (key.QueryDWORDValue(kLanguageValue, &stored) != ERROR_SUCCESS)
            stored = 0;
        key.Close();
    }
    return stored;
}

}  // namespace

LANGID MatchLanguageGroup(DWORD language)
{
    LocalInstallPtr local;
    if (!local)
        return 0;
    StringList items;
    SplitList(local->GetLangGroup(), items, L',', false);
    if (items.Count() == 0)
        return 0;
    if (language != 0)
        for (const std::wstring& item : items)
            if (LanguageOfItem(item) == language)
                return static_cast<LANGID>(language);
    return static_cast<LANGID>(LanguageOfItem(items.At(0)));
}

LANGID GetLanguage()
{
    DWORD language = ReadStoredLanguage();
    if (language == 0)
        language = GetSystemUILanguage();
    const LANGID match = MatchLanguageGroup(language);
    if (match != 0)
        return match;
    if (language != 0)
        return static_cast<LANGID>(language);
    return GetSystemUILanguage();
}

int SetLanguage(DWORD language)
{
    CHiveKey key;
    if (key.Create(HKEY_LOCAL_MACHINE, kLanguageKey) != ERROR_SUCCESS)
        return 0;
    return key.SetDWORDValue(kLanguageValue, language & kLanguageIdMask) == ERROR_SUCCESS ? 1 : 0;
}

}  // namespace tn

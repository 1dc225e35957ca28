#include "win32/registry_walk.h"

#include <vector>

#include "win32/registry_key.h"

namespace tn {
namespace {

// Room for a name or data of the longest the key reported, and its terminator.
constexpr DWORD kTerminatorRoom = 2;

// Answers false when the visitor ended the walk.
bool WalkKey(HKEY key, std::wstring_view name, RegistryTreeVisitor& visitor)
{
    visitor.EnterKey(name);
    DWORD subKeys = 0, maxSubKey = 0, values = 0, maxName = 0, maxData = 0;
    if (RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &subKeys, &maxSubKey, nullptr, &values,
                         &maxName, &maxData, nullptr, nullptr) == ERROR_SUCCESS) {
        std::vector<wchar_t> valueName(maxName + kTerminatorRoom);
        std::vector<BYTE> data(maxData + kTerminatorRoom);
        for (DWORD i = 0; i < values; ++i) {
            DWORD nameLength = static_cast<DWORD>(valueName.size());
            DWORD dataSize = static_cast<DWORD>(data.size());
            DWORD type = 0;
            if (RegEnumValueW(key, i, valueName.data(), &nameLength, nullptr, &type, data.data(),
                              &dataSize) != ERROR_SUCCESS)
                continue;
            if (!visitor.Value(std::wstring_view(valueName.data(), nameLength), type, data.data(),
                               dataSize))
                return false;
        }

        std::vector<wchar_t> subName(maxSubKey + kTerminatorRoom);
        for (DWORD i = 0; i < subKeys; ++i) {
            DWORD subLength = static_cast<DWORD>(subName.size());
            if (RegEnumKeyExW(key, i, subName.data(), &subLength, nullptr, nullptr, nullptr,
                              nullptr) != ERROR_SUCCESS)
                continue;
            RegistryKey sub;
            if (sub.Open(key, subName.data(), KEY_READ) != ERROR_SUCCESS)
                continue;
            if (!WalkKey(sub.Get(), std::wstring_view(subName.data(), subLength), visitor))
                return false;
        }
    }
    visitor.LeaveKey();
    return true;
}

}  // namespace

bool WalkRegistryTree(HKEY root, RegistryTreeVisitor& visitor)
{
    return WalkKey(root, std::wstring_view(), visitor);
}

bool StringValueText(DWORD type, const BYTE* data, size_t size, std::wstring_view& text)
{
    if (type != REG_SZ && type != REG_EXPAND_SZ)
        return false;
    size_t chars = size / sizeof(wchar_t);
    const wchar_t* units = reinterpret_cast<const wchar_t*>(data);
    while (chars > 0 && units[chars - 1] == L'\0')
        --chars;
    text = std::wstring_view(units, chars);
    return true;
}

}  // namespace tn

#include "install/file_map_writer.h"

#include <cwchar>

#include "platform/hive_key.h"

namespace tn {
namespace {

bool IsEmpty(const wchar_t* text) { return !text || !*text; }

}  // namespace

std::wstring FileMapEntryKeyPath(const wchar_t* owner, const wchar_t* subKey)
{
    std::wstring path = L"FileMap\\";
    if (owner)
        path += owner;
    if (!IsEmpty(subKey) && subKey[0] != L'$') {
        path += L"\\";
        path += subKey;
    }
    return path;
}

LONG WriteFileMapEntry(const wchar_t* owner, const wchar_t* subKey, const wchar_t* file,
                       const wchar_t* mapped)
{
    if (IsEmpty(owner) || IsEmpty(file) || IsEmpty(mapped) || wcschr(owner, L'\\') ||
        wcslen(mapped) > kMappedNameMaxChars)
        return ERROR_INVALID_PARAMETER;
    CHiveKey key;
    const LONG created = key.Create(HKEY_LOCAL_MACHINE, FileMapEntryKeyPath(owner, subKey).c_str());
    if (created != ERROR_SUCCESS)
        return created;
    const LONG written = key.SetStringValue(file, mapped);
    key.Close();
    return written;
}

}  // namespace tn

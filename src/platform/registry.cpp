#include "platform/registry.h"

namespace tn {

int ReadRegistryValue(HKEY root, const wchar_t* subKey, const wchar_t* valueName,
                      void* buffer, DWORD capacityBytes)
{
    HKEY key = nullptr;
    if (RegCreateKeyExW(root, subKey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_READ,
                        nullptr, &key, nullptr) != ERROR_SUCCESS)
        return 0;
    DWORD type = 0;
    DWORD size = capacityBytes;
    const LONG rc = RegQueryValueExW(key, valueName, nullptr, &type,
                                     static_cast<BYTE*>(buffer), &size);
    RegCloseKey(key);
    return rc == ERROR_SUCCESS ? 1 : 0;
}

}  // namespace tn

#include "platform/registry.h"

#include "win32/registry_key.h"

namespace tn {

int ReadRegistryValue(HKEY root, const wchar_t* subKey, const wchar_t* valueName,
                      void* buffer, DWORD capacityBytes)
{
    RegistryKey key;
    if (key.Create(root, subKey, KEY_READ) != ERROR_SUCCESS)
        return 0;
    DWORD type = 0;
    DWORD size = capacityBytes;
    return key.ReadValue(valueName, &type, buffer, &size) == ERROR_SUCCESS ? 1 : 0;
}

}  // namespace tn

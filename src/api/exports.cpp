// The exported functions. Each shim checks its buffer, runs one operation,
// copies the answer by the one copy rule and never lets an exception reach
// the caller: any failure below answers the export's failure value.
#include <windows.h>

#include "TNInstall.h"
#include "api/copy_rule.h"
#include "api/filemap_switch.h"
#include "install/layout.h"
#include "install/lookup_context.h"
#include "platform/language.h"
#include "platform/registry.h"
#include "platform/sysenv.h"

namespace {

template <class Result, class Body>
Result Guarded(Result failure, Body&& body) noexcept
{
    try {
        return body();
    } catch (...) {
        return failure;
    }
}

[[maybe_unused]] tn::LookupContext CallContext()
{
    tn::LookupContext context;
    context.fileMapEnabled = tn::GetFileMapSwitch() != 0;
    return context;
}

}  // namespace

extern "C" {

int WINAPI GetInstallPath(wchar_t* buffer, DWORD size, const wchar_t* suffix)
{
    if (!buffer)
        return 0;
    return Guarded(0, [&] { return tn::CopyAnswer(tn::GetInstallDir(suffix), buffer, size); });
}

int WINAPI GetBackupPath(wchar_t* buffer, DWORD size)
{
    if (!buffer)
        return 0;
    return Guarded(0, [&] { return tn::CopyAnswer(tn::GetBackupDir(), buffer, size); });
}

int WINAPI GetMappedFileName(wchar_t* buffer, DWORD size, const wchar_t* owner,
                             const wchar_t* fileName, const wchar_t* subKey)
{
    if (!buffer)
        return 0;
    return 0;
}

int WINAPI GetUnmappedFileName(wchar_t* buffer, DWORD size, const wchar_t* mappedName,
                               wchar_t* owner)
{
    if (!buffer)
        return 0;
    return 0;
}

int WINAPI GetComponentFilePath(wchar_t* buffer, DWORD size, const wchar_t* component,
                                const wchar_t* fileName, const wchar_t* destFilter)
{
    if (!buffer)
        return 0;
    return 0;
}

int WINAPI GetComponentPath(wchar_t* buffer, DWORD size, const wchar_t* component,
                            const wchar_t* suffix)
{
    if (!buffer)
        return 0;
    return 0;
}

int WINAPI GetComponentProducts(wchar_t* buffer, DWORD size, const wchar_t* component,
                                int byId)
{
    if (!buffer)
        return 0;
    return 0;
}

int WINAPI GetProductId(const wchar_t* product)
{
    return 0;
}

int WINAPI IsComponentInstalled(const wchar_t* component)
{
    return 0;
}

int WINAPI IsProductInstalled(const wchar_t* product)
{
    return 0;
}

int WINAPI IsInstalledFile(const wchar_t* path)
{
    return 0;
}

int WINAPI IsSingleProductComponent(const wchar_t* component)
{
    return 0;
}

int WINAPI SetFileMapEnabled(int enabled)
{
    return tn::SetFileMapSwitch(enabled);
}

int WINAPI GetFileMapEnabled(void)
{
    return tn::GetFileMapSwitch();
}

LANGID WINAPI GetLanguage(void)
{
    // Always a language: when the lookup itself fails, the system's.
    return Guarded(tn::GetSystemUILanguage(), [] { return tn::GetLanguage(); });
}

int WINAPI SetLanguage(DWORD language)
{
    return Guarded(0, [&] { return tn::SetLanguage(language); });
}

int WINAPI GetOemName(wchar_t* buffer, DWORD sizeBytes)
{
    if (!buffer)
        return 0;
    return Guarded(0, [&] {
        return tn::ReadRegistryValue(HKEY_LOCAL_MACHINE, tn::kProductRegistryKey, L"OemName",
                                     buffer, sizeBytes);
    });
}

int WINAPI FindInstalledFile(wchar_t* buffer, DWORD size, const wchar_t* fileName,
                             wchar_t* component)
{
    if (!buffer)
        return 0;
    return 0;
}

DWORD WINAPI GetOsVersionType(int* isNt)
{
    return tn::GetWindowsVersionMask(isNt);
}

}  // extern "C"

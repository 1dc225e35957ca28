// The exported functions. Each shim checks its buffer, runs one operation,
// copies the answer by the one copy rule and never lets an exception reach
// the caller: any failure below answers the export's failure value.
#include <windows.h>

#include "TNInstall.h"
#include "api/copy_rule.h"
#include "api/filemap_switch.h"
#include "install/file_locator.h"
#include "install/file_map.h"
#include "install/layout.h"
#include "install/lookup_context.h"
#include "install/queries.h"
#include "install/language.h"
#include "platform/registry.h"
#include "platform/sysenv.h"
#include "win32/guarded.h"

namespace {

using tn::Guarded;

tn::LookupContext CallContext()
{
    tn::LookupContext context;
    context.fileMapEnabled = tn::GetFileMapSwitch() != 0;
    return context;
}

// The second buffers of ordinals 4 and 18 have no size argument; callers
// provide these capacities. The texts placed there fit by construction (an
// owner from the file map has at most 259 characters, a component name from
// a list at most 511), and the copy is bounded all the same.
constexpr DWORD kOwnerBufferChars = 260;
constexpr DWORD kComponentBufferChars = 512;

// Copies `text` by the copy rule; an empty text leaves a lone terminator.
void CopyOrTerminate(const std::wstring& text, wchar_t* buffer, DWORD capacity)
{
    if (text.empty())
        buffer[0] = L'\0';
    else
        tn::CopyAnswer(text, buffer, capacity);
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
    return Guarded(0, [&] {
        return tn::CopyAnswer(tn::MapFileName(owner, fileName, subKey, CallContext()), buffer,
                              size);
    });
}

// Its own order: the owner buffer is filled first, the name is copied also
// when empty, and the result tells whether the map named an owner. A size
// of 0 writes nothing and answers 0. Its failure answer is 0 with a lone
// NUL in each buffer, also when the lookup itself fails.
int WINAPI GetUnmappedFileName(wchar_t* buffer, DWORD size, const wchar_t* mappedName,
                               wchar_t* owner)
{
    if (!buffer || size == 0)
        return 0;
    constexpr int kFailed = -1;
    const int result = Guarded(kFailed, [&] {
        std::wstring found;
        const std::wstring name = tn::UnmapFileName(mappedName, found, CallContext());
        if (owner)
            CopyOrTerminate(found, owner, kOwnerBufferChars);
        CopyOrTerminate(name, buffer, size);
        return found.empty() ? 0 : 1;
    });
    if (result != kFailed)
        return result;
    if (owner)
        owner[0] = L'\0';
    buffer[0] = L'\0';
    return 0;
}

int WINAPI GetComponentFilePath(wchar_t* buffer, DWORD size, const wchar_t* component,
                                const wchar_t* fileName, const wchar_t* destFilter)
{
    if (!buffer)
        return 0;
    return Guarded(0, [&] {
        return tn::CopyAnswer(tn::FindComponentFile(component, fileName, destFilter, CallContext()),
                              buffer, size);
    });
}

int WINAPI GetComponentPath(wchar_t* buffer, DWORD size, const wchar_t* component,
                            const wchar_t* suffix)
{
    if (!buffer)
        return 0;
    return Guarded(0, [&] {
        return tn::CopyAnswer(tn::GetComponentInstallDir(component, suffix), buffer, size);
    });
}

int WINAPI GetComponentProducts(wchar_t* buffer, DWORD size, const wchar_t* component,
                                int byId)
{
    if (!buffer)
        return 0;
    return Guarded(0, [&] {
        return tn::CopyAnswer(tn::ListComponentProducts(component, byId), buffer, size);
    });
}

int WINAPI GetProductId(const wchar_t* product)
{
    return Guarded(0, [&] { return tn::ReadProductId(product); });
}

int WINAPI IsComponentInstalled(const wchar_t* component)
{
    return Guarded(0, [&] { return tn::IsComponentInstalled(component) ? 1 : 0; });
}

int WINAPI IsProductInstalled(const wchar_t* product)
{
    return Guarded(0, [&] { return tn::IsProductInstalled(product) ? 1 : 0; });
}

int WINAPI IsInstalledFile(const wchar_t* path)
{
    return Guarded(0, [&] { return tn::IsInstalledFile(path, CallContext()) ? 1 : 0; });
}

int WINAPI IsSingleProductComponent(const wchar_t* component)
{
    // Running out of memory answers 0: the question could not be decided.
    return Guarded(0, [&] { return tn::IsSingleProductComponent(component) ? 1 : 0; });
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

// The component buffer (512 units) receives the holder's name whole, and
// only when a path is copied.
int WINAPI FindInstalledFile(wchar_t* buffer, DWORD size, const wchar_t* fileName,
                             wchar_t* component)
{
    if (!buffer)
        return 0;
    return Guarded(0, [&] {
        std::wstring holder;
        const std::wstring path = tn::LocateInstalledFile(fileName, &holder, CallContext());
        if (path.empty() || size == 0)
            return 0;
        if (component)
            CopyOrTerminate(holder, component, kComponentBufferChars);
        return tn::CopyAnswer(path, buffer, size);
    });
}

DWORD WINAPI GetOsVersionType(int* isNt)
{
    return tn::GetWindowsVersionMask(isNt);
}

}  // extern "C"

#include "tn_library.h"

#include <cwchar>
#include <vector>

#include "TNInstall.h"

namespace tnt {
namespace {

// The export `name`, typed by its prototype in TNInstall.h.
#define TN_EXPORT(name) At<decltype(&::name)>(TNI_ORD_##name)

// First buffer size for string answers, and the largest one tried: an answer
// that still fills this many units is shown as the library cut it.
constexpr DWORD kFirstBufferChars = 1024;
constexpr DWORD kLargestBufferChars = 65536;
// The second buffers have no size argument: the library promises at most 259
// characters for an owner and 511 for a component; the tool gives more.
constexpr size_t kOwnerBufferChars = 1024;
constexpr size_t kComponentBufferChars = 2048;
// GetOemName counts bytes and adds no terminator: the last unit of the
// buffer stays out of the call so the text always ends.
constexpr size_t kOemBufferChars = 4096;

const wchar_t* const kExportNames[] = {
    L"",
    L"GetInstallPath", L"GetBackupPath", L"GetMappedFileName", L"GetUnmappedFileName",
    L"GetComponentFilePath", L"GetComponentPath", L"GetComponentProducts", L"GetProductId",
    L"IsComponentInstalled", L"IsProductInstalled", L"IsInstalledFile",
    L"IsSingleProductComponent", L"SetFileMapEnabled", L"GetFileMapEnabled", L"GetLanguage",
    L"SetLanguage", L"GetOemName", L"FindInstalledFile", L"GetOsVersionType",
};

// Calls `call(buffer, size)` with growing buffers until the answer no longer
// fills the buffer (the copy rule cuts silently at size - 1).
template <class Call>
StringAnswer AskGrowing(Call call)
{
    StringAnswer answer;
    for (DWORD size = kFirstBufferChars;; size *= 4) {
        std::vector<wchar_t> buffer(size, L'\0');
        answer.result = call(buffer.data(), size);
        answer.text.assign(buffer.data(), wcsnlen(buffer.data(), size));
        if (answer.text.size() < size - 1 || size >= kLargestBufferChars)
            return answer;
    }
}

std::wstring Terminated(const std::vector<wchar_t>& buffer)
{
    return std::wstring(buffer.data(), wcsnlen(buffer.data(), buffer.size()));
}

// AskGrowing for an export with a second buffer that has no size argument:
// `call(buffer, size, second)` gets a fresh second buffer of `secondChars`
// units on every attempt.
template <class Call>
PairAnswer AskGrowingPair(size_t secondChars, Call call)
{
    std::vector<wchar_t> second;
    const StringAnswer first = AskGrowing([&](wchar_t* b, DWORD n) {
        second.assign(secondChars, L'\0');
        return call(b, n, second.data());
    });
    return PairAnswer{first.result, first.text, Terminated(second)};
}

}  // namespace

const wchar_t* ExportName(int ordinal)
{
    return ordinal >= 1 && ordinal <= 19 ? kExportNames[ordinal] : L"";
}

TnLibrary::~TnLibrary()
{
    if (module_)
        FreeLibrary(module_);
}

bool TnLibrary::Load(std::wstring& error)
{
    module_ = LoadLibraryW(L"TNInstall.dll");
    if (!module_) {
        error = L"cannot load TNInstall.dll (error " + std::to_wstring(GetLastError()) + L")";
        return false;
    }
    for (int ordinal = 1; ordinal <= kOrdinalCount; ++ordinal) {
        exports_[ordinal] = GetProcAddress(module_, MAKEINTRESOURCEA(ordinal));
        if (!exports_[ordinal]) {
            error = L"TNInstall.dll has no export with ordinal " + std::to_wstring(ordinal);
            return false;
        }
    }
    return true;
}

StringAnswer TnLibrary::GetInstallPath(const wchar_t* suffix) const
{
    auto fn = TN_EXPORT(GetInstallPath);
    return AskGrowing([&](wchar_t* b, DWORD n) { return fn(b, n, suffix); });
}

StringAnswer TnLibrary::GetBackupPath() const
{
    auto fn = TN_EXPORT(GetBackupPath);
    return AskGrowing([&](wchar_t* b, DWORD n) { return fn(b, n); });
}

StringAnswer TnLibrary::GetMappedFileName(const wchar_t* owner, const wchar_t* file,
                                          const wchar_t* subKey) const
{
    auto fn = TN_EXPORT(GetMappedFileName);
    return AskGrowing([&](wchar_t* b, DWORD n) { return fn(b, n, owner, file, subKey); });
}

PairAnswer TnLibrary::GetUnmappedFileName(const wchar_t* mapped) const
{
    auto fn = TN_EXPORT(GetUnmappedFileName);
    return AskGrowingPair(kOwnerBufferChars,
                          [&](wchar_t* b, DWORD n, wchar_t* owner) { return fn(b, n, mapped, owner); });
}

StringAnswer TnLibrary::GetComponentFilePath(const wchar_t* component, const wchar_t* file,
                                             const wchar_t* destFilter) const
{
    auto fn = TN_EXPORT(GetComponentFilePath);
    return AskGrowing([&](wchar_t* b, DWORD n) { return fn(b, n, component, file, destFilter); });
}

StringAnswer TnLibrary::GetComponentPath(const wchar_t* component, const wchar_t* suffix) const
{
    auto fn = TN_EXPORT(GetComponentPath);
    return AskGrowing([&](wchar_t* b, DWORD n) { return fn(b, n, component, suffix); });
}

StringAnswer TnLibrary::GetComponentProducts(const wchar_t* component, bool byId) const
{
    auto fn = TN_EXPORT(GetComponentProducts);
    return AskGrowing([&](wchar_t* b, DWORD n) { return fn(b, n, component, byId ? 1 : 0); });
}

int TnLibrary::GetProductId(const wchar_t* product) const
{
    return TN_EXPORT(GetProductId)(product);
}

int TnLibrary::IsComponentInstalled(const wchar_t* component) const
{
    return TN_EXPORT(IsComponentInstalled)(component);
}

int TnLibrary::IsProductInstalled(const wchar_t* product) const
{
    return TN_EXPORT(IsProductInstalled)(product);
}

int TnLibrary::IsInstalledFile(const wchar_t* path) const
{
    return TN_EXPORT(IsInstalledFile)(path);
}

int TnLibrary::IsSingleProductComponent(const wchar_t* component) const
{
    return TN_EXPORT(IsSingleProductComponent)(component);
}

int TnLibrary::SetFileMapEnabled(int value) const
{
    return TN_EXPORT(SetFileMapEnabled)(value);
}

int TnLibrary::GetFileMapEnabled() const
{
    return TN_EXPORT(GetFileMapEnabled)();
}

LANGID TnLibrary::GetLanguage() const
{
    return TN_EXPORT(GetLanguage)();
}

int TnLibrary::SetLanguage(DWORD language) const
{
    return TN_EXPORT(SetLanguage)(language);
}

StringAnswer TnLibrary::GetOemName() const
{
    std::vector<wchar_t> buffer(kOemBufferChars, L'\0');
    const DWORD bytes = DWORD((kOemBufferChars - 1) * sizeof(wchar_t));
    StringAnswer answer;
    answer.result = TN_EXPORT(GetOemName)(buffer.data(), bytes);
    if (answer.result)
        answer.text = Terminated(buffer);
    return answer;
}

PairAnswer TnLibrary::FindInstalledFile(const wchar_t* file) const
{
    auto fn = TN_EXPORT(FindInstalledFile);
    return AskGrowingPair(kComponentBufferChars, [&](wchar_t* b, DWORD n, wchar_t* component) {
        return fn(b, n, file, component);
    });
}

DWORD TnLibrary::GetOsVersionType(int* isNt) const
{
    return TN_EXPORT(GetOsVersionType)(isNt);
}

}  // namespace tnt

#undef TN_EXPORT

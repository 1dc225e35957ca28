#include "platform/hive_key.h"

#include <cwchar>

#include "platform/trusted_library.h"

namespace tn {
namespace {

// Loaded once per process and never freed; only a successful load is kept,
// so an absent store is looked for again at the next call. Only trusted
// folders are searched: never the current directory or PATH.
HMODULE g_vaultModule = nullptr;
GetHivePtrFn g_testFactory = nullptr;

bool IsEmptyPath(const wchar_t* path) { return path == nullptr || path[0] == L'\0'; }

}  // namespace

void SetHiveFactoryForTesting(GetHivePtrFn factory) { g_testFactory = factory; }

bool CHiveKey::EnsureHive()
{
    GetHivePtrFn entry = g_testFactory;
    if (!entry) {
        if (!g_vaultModule)
            g_vaultModule = LoadTrustedLibrary(L"Vaultcore.dll");
        if (!g_vaultModule)
            return false;
    }
    if (key_)
        return true;
    if (!entry)
        entry = reinterpret_cast<GetHivePtrFn>(
            reinterpret_cast<void*>(GetProcAddress(g_vaultModule, "GetHivePtr")));
    if (entry)
        key_ = entry();
    return key_ != nullptr;
}

CHiveKey::~CHiveKey()
{
    if (key_) {
        key_->CloseKey();
        key_->Release();
    }
}

LONG CHiveKey::Create(HKEY root, const wchar_t* path)
{
    if (IsEmptyPath(path))
        return ERROR_INVALID_PARAMETER;
    if (!EnsureHive())
        return ERROR_MOD_NOT_FOUND;
    return key_->CreateKey(root, path);
}

LONG CHiveKey::Open(HKEY root, const wchar_t* path, DWORD access)
{
    if (IsEmptyPath(path))
        return ERROR_INVALID_PARAMETER;
    if (!EnsureHive())
        return ERROR_MOD_NOT_FOUND;
    return key_->OpenKey(root, path, access);
}

LONG CHiveKey::Close()
{
    if (!key_)
        return ERROR_MOD_NOT_FOUND;
    return key_->CloseKey();
}

LONG CHiveKey::QueryDWORDValue(const wchar_t* name, DWORD* value)
{
    if (!EnsureHive())
        return ERROR_MOD_NOT_FOUND;
    DWORD type = 0;
    DWORD size = sizeof(DWORD);
    const LONG rc = key_->ReadValue(name, &type, value, &size);
    if (rc != ERROR_SUCCESS)
        return rc;
    return type == REG_DWORD ? ERROR_SUCCESS : ERROR_INVALID_DATA;
}

LONG CHiveKey::SetDWORDValue(const wchar_t* name, DWORD value)
{
    if (!EnsureHive())
        return ERROR_MOD_NOT_FOUND;
    return key_->WriteValue(name, REG_DWORD, &value, sizeof(value));
}

LONG CHiveKey::SetStringValue(const wchar_t* name, const wchar_t* text)
{
    if (!text)
        return ERROR_INVALID_PARAMETER;
    if (!EnsureHive())
        return ERROR_MOD_NOT_FOUND;
    const DWORD bytes = static_cast<DWORD>((wcslen(text) + 1) * sizeof(wchar_t));
    return key_->WriteValue(name, REG_SZ, text, bytes);
}

LONG CHiveKey::QueryStringValue(const wchar_t* name, wchar_t* buffer, DWORD* count)
{
    const DWORD capacity = *count * sizeof(wchar_t);
    DWORD bytes = capacity;
    *count = 0;
    if (!EnsureHive())
        return ERROR_MOD_NOT_FOUND;
    DWORD type = 0;
    const LONG rc = key_->ReadValue(name, &type, buffer, &bytes);
    if (rc != ERROR_SUCCESS)
        return rc;
    if (type != REG_SZ && type != REG_EXPAND_SZ)
        return ERROR_INVALID_DATA;
    if (buffer) {
        // A store that claims more bytes than the buffer holds is not trusted.
        if (bytes > capacity)
            return ERROR_INVALID_DATA;
        if (bytes == 0)
            buffer[0] = L'\0';
        else if (bytes % 2 != 0 || buffer[bytes / 2 - 1] != L'\0')
            return ERROR_INVALID_DATA;
    }
    *count = bytes / 2;
    return ERROR_SUCCESS;
}

LONG CHiveKey::FindValue(const wchar_t* text, wchar_t* name, DWORD* count, wchar_t* path)
{
    if (!EnsureHive())
        return ERROR_MOD_NOT_FOUND;
    return key_->FindValue(text, name, count, path);
}

}  // namespace tn

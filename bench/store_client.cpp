#include "store_client.h"

namespace bench {
namespace {

constexpr DWORD kNameChars = MAX_PATH;

// Owns one key object for one lookup.
class Key {
public:
    explicit Key(GetHivePtrFn entry) : key_(entry ? entry() : nullptr) {}
    ~Key()
    {
        if (key_) {
            key_->CloseKey();
            key_->Release();
        }
    }
    Key(const Key&) = delete;
    Key& operator=(const Key&) = delete;
    IHiveKey* operator->() const { return key_; }
    explicit operator bool() const { return key_ != nullptr; }

private:
    IHiveKey* key_;
};

}  // namespace

StoreClient::StoreClient()
{
    if (HMODULE module = LoadLibraryW(L"Vaultcore.dll"))
        entry_ = reinterpret_cast<GetHivePtrFn>(
            reinterpret_cast<void*>(GetProcAddress(module, "GetHivePtr")));
}

std::wstring StoreClient::MapName(const std::wstring& owner, const std::wstring& file,
                                  const std::wstring& subKey) const
{
    Key key(entry_);
    if (!key)
        return file;
    std::wstring path = L"FileMap\\" + owner;
    if (!subKey.empty() && subKey[0] != L'$')
        path += L"\\" + subKey;
    if (key->OpenKey(HKEY_LOCAL_MACHINE, path.c_str(), KEY_READ) != ERROR_SUCCESS)
        return file;
    wchar_t buffer[kNameChars] = {};
    DWORD type = 0, size = sizeof(buffer);
    if (key->ReadValue(file.c_str(), &type, buffer, &size) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ) || size < sizeof(wchar_t) ||
        buffer[size / sizeof(wchar_t) - 1] != L'\0')
        return file;
    return buffer;
}

std::wstring StoreClient::UnmapOwner(const std::wstring& mappedName) const
{
    Key key(entry_);
    if (!key || key->OpenKey(HKEY_LOCAL_MACHINE, L"FileMap\\", KEY_READ) != ERROR_SUCCESS)
        return std::wstring();
    wchar_t name[kNameChars] = {}, path[kNameChars] = {};
    DWORD count = kNameChars;
    if (key->FindValue(mappedName.c_str(), name, &count, path) != ERROR_SUCCESS)
        return std::wstring();
    std::wstring owner(path);
    return owner.substr(0, owner.find(L'\\'));
}

DWORD StoreClient::ReadLanguage() const
{
    Key key(entry_);
    DWORD language = 0, type = 0, size = sizeof(language);
    if (key && key->OpenKey(HKEY_LOCAL_MACHINE, L"UI", KEY_READ) == ERROR_SUCCESS &&
        key->ReadValue(L"Language", &type, &language, &size) == ERROR_SUCCESS && type == REG_DWORD)
        return language;
    return 0;
}

}  // namespace bench

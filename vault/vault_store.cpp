#include "vault_store.h"

#include <cstring>
#include <cwchar>
#include <string>
#include <string_view>
#include <vector>

#include "win32/guarded.h"
#include "win32/registry_walk.h"
#include "win32/wide_text.h"

namespace vault {
namespace {

constexpr const wchar_t* kVaultRoot = L"Software\\Tessaron\\Vault";
const HKEY kMachineRoot = HKEY_LOCAL_MACHINE;
// Registry calls of opening a key and closing it again.
constexpr size_t kOpenCloseCalls = 2;

// The store's key path below the vault root. A trailing backslash names the
// same key as the path without it.
std::wstring VaultPath(const wchar_t* path)
{
    std::wstring full(kVaultRoot);
    if (path && *path) {
        std::wstring rest(path);
        while (!rest.empty() && rest.back() == L'\\')
            rest.pop_back();
        if (!rest.empty())
            full += L"\\" + rest;
    }
    return full;
}

// Finds the first string value below a key (its own values, then each
// subkey, depth first) whose data equals `text` with ASCII letters folded:
// its name and its key path relative to that key.
class DataSearch final : public tn::RegistryTreeVisitor {
public:
    DataSearch(const wchar_t* text, std::wstring& foundName, std::wstring& foundPath)
        : text_(text), foundName_(foundName), foundPath_(foundPath)
    {
    }

    void EnterKey(std::wstring_view name) override
    {
        pathLengths_.push_back(path_.size());
        if (pathLengths_.size() > 1) {  // below the key searched
            if (!path_.empty())
                path_ += L'\\';
            path_ += name;
        }
    }

    bool Value(std::wstring_view name, DWORD type, const BYTE* data, DWORD size) override
    {
        std::wstring_view value;
        if (!tn::StringValueText(type, data, size, value) ||
            !tn::EqualsFolded(value.data(), value.size(), text_.data(), text_.size()))
            return true;
        foundName_.assign(name);
        foundPath_ = path_;
        return false;
    }

    void LeaveKey() override
    {
        path_.resize(pathLengths_.back());
        pathLengths_.pop_back();
    }

private:
    std::wstring_view text_;
    std::wstring& foundName_;
    std::wstring& foundPath_;
    std::wstring path_;
    std::vector<size_t> pathLengths_;
};

// RegQueryValueExW's contract over a copied value.
LONG CopyValue(const SnapshotValue& value, DWORD* type, void* data, DWORD* size)
{
    const DWORD needed = static_cast<DWORD>(value.data.size());
    if (type)
        *type = value.type;
    if (!data) {
        *size = needed;
        return ERROR_SUCCESS;
    }
    if (*size < needed) {
        *size = needed;
        return ERROR_MORE_DATA;
    }
    if (needed)
        memcpy(data, value.data.data(), needed);
    *size = needed;
    return ERROR_SUCCESS;
}

}  // namespace

// Each method runs under the no-throw guard: an exception would cross into
// the caller's module, where it ends the process. A method that fails leaves
// the key as it found it (OpenKey and CreateKey: closed).

void VaultKey::Release() noexcept { delete this; }

LONG VaultKey::CreateKey(HKEY root, const wchar_t* path) noexcept
{
    return tn::GuardedCode([&] {
        CloseKey();
        if (root != kMachineRoot || !path)
            return ERROR_INVALID_PARAMETER;
        return key_.Create(kMachineRoot, VaultPath(path).c_str(), KEY_READ | KEY_WRITE);
    });
}

LONG VaultKey::OpenKey(HKEY root, const wchar_t* path, DWORD access) noexcept
{
    return tn::GuardedCode([&] {
        CloseKey();
        if (root != kMachineRoot || !path)
            return ERROR_INVALID_PARAMETER;
        if (std::shared_ptr<const Snapshot> snapshot = SnapshotForLookup()) {
            size_t node = Snapshot::kNoKey;
            if (snapshot->Resolve(path, node)) {
                if (node == Snapshot::kNoKey)
                    return ERROR_FILE_NOT_FOUND;
                // What can fail comes before the key takes its state.
                std::wstring keyPath(path);
                snapshot_ = std::move(snapshot);
                node_ = node;
                path_ = std::move(keyPath);
                access_ = access;
                return ERROR_SUCCESS;
            }
        }
        ChargeRegistryCalls(kOpenCloseCalls);
        return key_.Open(kMachineRoot, VaultPath(path).c_str(), access);
    });
}

LONG VaultKey::CloseKey() noexcept
{
    key_.Close();
    snapshot_.reset();
    path_.clear();
    return ERROR_SUCCESS;
}

LONG VaultKey::ReadValue(const wchar_t* name, DWORD* type, void* data, DWORD* size) noexcept
{
    return tn::GuardedCode([&] {
        if (!key_.IsOpen() && !FromSnapshot())
            return ERROR_INVALID_HANDLE;
        if (!size)
            return ERROR_INVALID_PARAMETER;
        if (FromSnapshot()) {
            const SnapshotValue* value = snapshot_->FindValueNamed(node_, name);
            return value ? CopyValue(*value, type, data, size) : ERROR_FILE_NOT_FOUND;
        }
        ChargeRegistryCalls(1);
        return key_.ReadValue(name, type, data, size);
    });
}

LONG VaultKey::WriteValue(const wchar_t* name, DWORD type, const void* data, DWORD size) noexcept
{
    return tn::GuardedCode([&] {
        if (FromSnapshot()) {
            // Writes go to the registry key itself, opened with the access the
            // key was opened with; the change makes the copy stale.
            tn::RegistryKey key;
            LONG rc = key.Open(kMachineRoot, VaultPath(path_.c_str()).c_str(), access_);
            if (rc == ERROR_SUCCESS)
                rc = key.WriteValue(name, type, data, size);
            return rc;
        }
        if (!key_.IsOpen())
            return ERROR_INVALID_HANDLE;
        return key_.WriteValue(name, type, data, size);
    });
}

LONG VaultKey::FindValue(const wchar_t* text, wchar_t* name, DWORD* count, wchar_t* path) noexcept
{
    return tn::GuardedCode([&] {
        if (!key_.IsOpen() && !FromSnapshot())
            return ERROR_INVALID_HANDLE;
        if (!text || !count)
            return ERROR_INVALID_PARAMETER;
        std::wstring foundName, foundPath;
        if (FromSnapshot()) {
            if (!snapshot_->FindData(node_, text, foundName, foundPath))
                return ERROR_FILE_NOT_FOUND;
        } else {
            ChargeRegistryCalls(CopyCost());  // the walk costs about what a copy does
            DataSearch search(text, foundName, foundPath);
            if (tn::WalkRegistryTree(key_.Get(), search))
                return ERROR_FILE_NOT_FOUND;
        }
        tn::CopyCut(foundName, name, *count);
        tn::CopyCut(foundPath, path, *count);
        return ERROR_SUCCESS;
    });
}

}  // namespace vault

#include "vault_snapshot.h"

namespace vault {
namespace {

const wchar_t* const kParentKey = L"Software\\Tessaron";
const wchar_t* const kVaultName = L"Vault";
// Registry key names hold at most this many characters.
constexpr size_t kMaxKeyNameChars = 255;

// Registry names compare case-insensitively over the whole of Unicode, by
// the invariant upper case.
std::wstring Upper(const wchar_t* text, size_t length)
{
    std::wstring upper(text, length);
    if (!upper.empty())
        LCMapStringW(LOCALE_INVARIANT, LCMAP_UPPERCASE, text, int(length), &upper[0],
                     int(upper.size()));
    return upper;
}

// Data compares with ASCII letters folded, as the search always has.
std::wstring FoldAscii(const wchar_t* text, size_t length)
{
    std::wstring folded(text, length);
    for (wchar_t& c : folded)
        if (c >= L'A' && c <= L'Z')
            c = wchar_t(c + 32);
    return folded;
}

// The process-wide copy and what tells when it is stale.
struct Cache {
    std::mutex lock;
    HKEY parent = nullptr;  // watched for the vault root's creation or deletion
    HKEY root = nullptr;    // watched with its whole subtree
    HANDLE events[2] = {nullptr, nullptr};
    bool valid = false;     // the watches are armed and `snapshot` matches them
    std::shared_ptr<const Snapshot> snapshot;

    void CloseKeys()
    {
        if (root)
            RegCloseKey(root);
        if (parent)
            RegCloseKey(parent);
        root = parent = nullptr;
    }

    bool Changed() const
    {
        return WaitForMultipleObjects(2, events, FALSE, 0) != WAIT_TIMEOUT;
    }

    // Arms the watches first, then copies the tree: a change made while the
    // copy is taken leaves the copy marked stale.
    void Rebuild()
    {
        snapshot.reset();
        valid = false;
        CloseKeys();
        for (HANDLE& e : events) {
            if (!e)
                e = CreateEventW(nullptr, TRUE, FALSE, nullptr);
            if (!e)
                return;
            ResetEvent(e);
        }
        if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kParentKey, 0, KEY_NOTIFY, &parent) != ERROR_SUCCESS) {
            parent = nullptr;
            return;
        }
        if (RegNotifyChangeKeyValue(parent, FALSE, REG_NOTIFY_CHANGE_NAME, events[0], TRUE) !=
            ERROR_SUCCESS)
            return;
        if (RegOpenKeyExW(parent, kVaultName, 0, KEY_READ, &root) != ERROR_SUCCESS) {
            // No vault yet: known absent until a subkey of the parent appears.
            root = nullptr;
            valid = true;
            return;
        }
        if (RegNotifyChangeKeyValue(root, TRUE,
                                    REG_NOTIFY_CHANGE_NAME | REG_NOTIFY_CHANGE_LAST_SET, events[1],
                                    TRUE) != ERROR_SUCCESS)
            return;
        snapshot = Snapshot::Build(root);
        valid = true;
    }
};

Cache& TheCache()
{
    static Cache* cache = new Cache();  // lives as long as the process
    return *cache;
}

}  // namespace

std::shared_ptr<const Snapshot> CurrentSnapshot()
{
    Cache& cache = TheCache();
    std::lock_guard<std::mutex> guard(cache.lock);
    if (!cache.valid || cache.Changed())
        cache.Rebuild();
    return cache.valid ? cache.snapshot : nullptr;
}

std::shared_ptr<Snapshot> Snapshot::Build(HKEY root)
{
    auto snapshot = std::make_shared<Snapshot>();
    snapshot->AddKey(root, std::wstring());
    return snapshot;
}

size_t Snapshot::AddKey(HKEY key, const std::wstring& name)
{
    const size_t index = keys_.size();
    keys_.emplace_back();
    keys_[index].name = name;

    DWORD subKeys = 0, maxSubKey = 0, values = 0, maxName = 0, maxData = 0;
    if (RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &subKeys, &maxSubKey, nullptr, &values,
                         &maxName, &maxData, nullptr, nullptr) != ERROR_SUCCESS)
        return index;

    std::vector<wchar_t> valueName(maxName + 2);
    std::vector<BYTE> data(maxData + 2);
    for (DWORD i = 0; i < values; ++i) {
        DWORD nameLength = DWORD(valueName.size());
        DWORD dataSize = DWORD(data.size());
        SnapshotValue v;
        if (RegEnumValueW(key, i, valueName.data(), &nameLength, nullptr, &v.type, data.data(),
                          &dataSize) != ERROR_SUCCESS)
            continue;
        v.name.assign(valueName.data(), nameLength);
        v.data.assign(data.begin(), data.begin() + dataSize);
        SnapshotKey& k = keys_[index];
        k.valueByName.emplace(Upper(v.name.data(), v.name.size()), k.values.size());
        k.values.push_back(std::move(v));
    }

    std::vector<wchar_t> subName(maxSubKey + 2);
    for (DWORD i = 0; i < subKeys; ++i) {
        DWORD subLength = DWORD(subName.size());
        if (RegEnumKeyExW(key, i, subName.data(), &subLength, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS)
            continue;
        HKEY sub = nullptr;
        if (RegOpenKeyExW(key, subName.data(), 0, KEY_READ, &sub) != ERROR_SUCCESS)
            continue;
        const std::wstring child(subName.data(), subLength);
        const size_t childIndex = AddKey(sub, child);
        RegCloseKey(sub);
        keys_[index].children.push_back(childIndex);
        keys_[index].childByName.emplace(Upper(child.data(), child.size()), childIndex);
    }
    return index;
}

bool Snapshot::Resolve(const wchar_t* path, size_t& key) const
{
    key = 0;
    if (!path)
        return true;
    size_t length = wcslen(path);
    while (length > 0 && path[length - 1] == L'\\')
        --length;
    size_t start = 0;
    while (start < length) {
        size_t end = start;
        while (end < length && path[end] != L'\\')
            ++end;
        if (end == start || end - start > kMaxKeyNameChars)
            return false;
        if (key != kNoKey) {
            const SnapshotKey& k = keys_[key];
            const auto it = k.childByName.find(Upper(path + start, end - start));
            key = it == k.childByName.end() ? kNoKey : it->second;
        }
        start = end + 1;
    }
    return true;
}

const SnapshotValue* Snapshot::FindValueNamed(size_t key, const wchar_t* name) const
{
    const SnapshotKey& k = keys_[key];
    const std::wstring upper = name ? Upper(name, wcslen(name)) : std::wstring();
    const auto it = k.valueByName.find(upper);
    return it == k.valueByName.end() ? nullptr : &k.values[it->second];
}

void Snapshot::IndexKey(size_t key, const std::wstring& path, ReverseIndex& index) const
{
    const SnapshotKey& k = keys_[key];
    for (const SnapshotValue& v : k.values) {
        if (v.type != REG_SZ && v.type != REG_EXPAND_SZ)
            continue;
        size_t chars = v.data.size() / sizeof(wchar_t);
        const wchar_t* text = reinterpret_cast<const wchar_t*>(v.data.data());
        while (chars > 0 && text[chars - 1] == L'\0')
            --chars;
        index.emplace(FoldAscii(text, chars), Hit{v.name, path});
    }
    for (size_t child : k.children)
        IndexKey(child, path.empty() ? keys_[child].name : path + L"\\" + keys_[child].name,
                 index);
}

bool Snapshot::FindData(size_t key, const wchar_t* text, std::wstring& name,
                        std::wstring& path) const
{
    std::lock_guard<std::mutex> guard(indexLock_);
    std::unique_ptr<ReverseIndex>& index = reverse_[key];
    if (!index) {
        index = std::make_unique<ReverseIndex>();
        IndexKey(key, std::wstring(), *index);
    }
    const auto it = index->find(FoldAscii(text, wcslen(text)));
    if (it == index->end())
        return false;
    name = it->second.name;
    path = it->second.path;
    return true;
}

}  // namespace vault

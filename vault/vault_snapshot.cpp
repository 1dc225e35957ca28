#include "vault_snapshot.h"

#include "win32/registry_key.h"
#include "win32/registry_walk.h"
#include "win32/wide_text.h"

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

// Registers a watch; where the running Windows knows it, the watch does not
// end with the thread that registered it.
bool Watch(HKEY key, bool subtree, DWORD filter, HANDLE event)
{
    if (RegNotifyChangeKeyValue(key, subtree, filter | REG_NOTIFY_THREAD_AGNOSTIC, event, TRUE) ==
        ERROR_SUCCESS)
        return true;
    return RegNotifyChangeKeyValue(key, subtree, filter, event, TRUE) == ERROR_SUCCESS;
}

// The process-wide copy and what tells when it is stale.
//
// A copy that went stale is not taken again at once: lookups read the
// registry themselves (always current, a few calls each) until they have
// spent about as many registry calls as copying the vault again would, and
// only then is it copied. A writer that alternates writes with lookups thus
// pays at most about twice what reading the registry directly would cost,
// and once the writes stop the lookups are answered from a copy again.
struct Cache {
    std::mutex lock;
    tn::RegistryKey parent;  // watched for the vault root's creation or deletion
    tn::RegistryKey root;    // watched with its whole subtree
    HANDLE events[2] = {nullptr, nullptr};
    bool armed = false;     // the watches are registered and `snapshot` was taken after them
    bool stale = false;     // a change was notified since
    size_t debt = 0;        // registry calls lookups made since, instead of using a copy
    size_t copyCost = 1;    // registry calls the last copy took
    std::shared_ptr<const Snapshot> snapshot;  // null while there is no vault

    void CloseKeys()
    {
        root.Close();
        parent.Close();
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
        armed = stale = false;
        debt = 0;
        copyCost = 1;
        CloseKeys();
        for (HANDLE& e : events) {
            if (!e)
                e = CreateEventW(nullptr, TRUE, FALSE, nullptr);
            if (!e)
                return;
            ResetEvent(e);
        }
        if (parent.Open(HKEY_LOCAL_MACHINE, kParentKey, KEY_NOTIFY) != ERROR_SUCCESS)
            return;
        if (!Watch(parent.Get(), false, REG_NOTIFY_CHANGE_NAME, events[0]))
            return;
        if (root.Open(parent.Get(), kVaultName, KEY_READ) != ERROR_SUCCESS) {
            // No vault yet: known absent until a subkey of the parent appears.
            armed = true;
            return;
        }
        if (!Watch(root.Get(), true, REG_NOTIFY_CHANGE_NAME | REG_NOTIFY_CHANGE_LAST_SET,
                   events[1]))
            return;
        snapshot = Snapshot::Build(root.Get());
        copyCost = snapshot->RegistryCalls();
        armed = true;
    }
};

Cache& TheCache()
{
    static Cache* cache = new Cache();  // lives as long as the process
    return *cache;
}

}  // namespace

std::shared_ptr<const Snapshot> SnapshotForLookup()
{
    Cache& cache = TheCache();
    std::lock_guard<std::mutex> guard(cache.lock);
    if (!cache.armed) {
        cache.Rebuild();
    } else if (!cache.stale && cache.Changed()) {
        cache.stale = true;
        cache.debt = 0;
    }
    if (cache.stale) {
        if (cache.debt < cache.copyCost)
            return nullptr;
        cache.Rebuild();
    }
    return cache.armed ? cache.snapshot : nullptr;
}

void ChargeRegistryCalls(size_t calls)
{
    Cache& cache = TheCache();
    std::lock_guard<std::mutex> guard(cache.lock);
    if (cache.stale)
        cache.debt += calls;
}

size_t CopyCost()
{
    Cache& cache = TheCache();
    std::lock_guard<std::mutex> guard(cache.lock);
    return cache.copyCost;
}

// Copies each key and value the walk meets: a key's index in keys_ is the
// order in which the walk entered it, the vault root first.
class Snapshot::Builder final : public tn::RegistryTreeVisitor {
public:
    explicit Builder(std::vector<SnapshotKey>& keys) : keys_(keys) {}

    void EnterKey(std::wstring_view name) override
    {
        const size_t index = keys_.size();
        keys_.emplace_back();
        keys_[index].name.assign(name);
        if (!open_.empty()) {
            SnapshotKey& parent = keys_[open_.back()];
            parent.children.push_back(index);
            parent.childByName.emplace(Upper(name.data(), name.size()), index);
        }
        open_.push_back(index);
    }

    bool Value(std::wstring_view name, DWORD type, const BYTE* data, DWORD size) override
    {
        SnapshotValue v;
        v.name.assign(name);
        v.type = type;
        v.data.assign(data, data + size);
        SnapshotKey& k = keys_[open_.back()];
        k.valueByName.emplace(Upper(v.name.data(), v.name.size()), k.values.size());
        k.values.push_back(std::move(v));
        return true;
    }

    void LeaveKey() override { open_.pop_back(); }

private:
    std::vector<SnapshotKey>& keys_;
    std::vector<size_t> open_;  // the keys entered and not yet left
};

std::shared_ptr<Snapshot> Snapshot::Build(HKEY root)
{
    auto snapshot = std::make_shared<Snapshot>();
    Builder builder(snapshot->keys_);
    tn::WalkRegistryTree(root, builder);
    return snapshot;
}

size_t Snapshot::RegistryCalls() const
{
    size_t calls = 0;
    for (const SnapshotKey& key : keys_)
        calls += 3 + key.values.size();  // open, query, close; one per value
    return calls;
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
        std::wstring_view text;
        if (tn::StringValueText(v.type, v.data.data(), v.data.size(), text))
            index.emplace(tn::FoldedCopy(text.data(), text.size()), Hit{v.name, path});
    }
    for (size_t child : k.children)
        IndexKey(child, path.empty() ? keys_[child].name : path + L"\\" + keys_[child].name,
                 index);
}

bool Snapshot::FindData(size_t key, const wchar_t* text, std::wstring& name,
                        std::wstring& path) const
{
    const std::wstring folded = tn::FoldedCopy(text, wcslen(text));
    std::lock_guard<std::mutex> guard(indexLock_);
    const auto built = reverse_.find(key);
    if (built != reverse_.end())
        return Lookup(*built->second, folded, name, path);
    // A new index is kept once it is whole and the answer is taken from it:
    // an index cut short would answer "not found" for what it missed, and a
    // call that fails keeps nothing.
    auto index = std::make_unique<ReverseIndex>();
    IndexKey(key, std::wstring(), *index);
    const bool found = Lookup(*index, folded, name, path);
    reverse_.emplace(key, std::move(index));
    return found;
}

bool Snapshot::Lookup(const ReverseIndex& index, const std::wstring& folded, std::wstring& name,
                      std::wstring& path)
{
    const auto it = index.find(folded);
    if (it == index.end())
        return false;
    name = it->second.name;
    path = it->second.path;
    return true;
}

}  // namespace vault

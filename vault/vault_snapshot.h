#pragma once
// An in-memory copy of the store's registry tree, shared by the key objects
// of this process and kept only as long as the registry below the vault
// root has not changed. Change notifications on the vault root (subtree) and
// on its parent (the root being deleted or created) say when a copy is
// stale; every OpenKey checks them (one wait that does not block), so an
// answer always reflects every change completed before the call, whoever
// made it: a stale copy is never used, lookups read the registry until a new
// copy is taken. Lookups in the copy cost no registry call, and the reverse
// search of FindValue becomes one hash lookup once a key's index is built.
#include <windows.h>

#include <cstddef>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

namespace vault {

struct SnapshotValue {
    std::wstring name;
    DWORD type = 0;
    std::vector<BYTE> data;
};

struct SnapshotKey {
    std::wstring name;
    std::vector<SnapshotValue> values;                     // enumeration order
    std::vector<size_t> children;                          // enumeration order
    std::unordered_map<std::wstring, size_t> childByName;  // upper-cased name
    std::unordered_map<std::wstring, size_t> valueByName;  // upper-cased name, first one
};

class Snapshot {
public:
    static constexpr size_t kNoKey = size_t(-1);

    // The key at `path` (relative to the vault root, trailing backslashes
    // ignored), or kNoKey. False when the path has a shape the copy does not
    // answer for (a leading or doubled backslash, a part too long for a key
    // name): the caller then asks the registry itself.
    bool Resolve(const wchar_t* path, size_t& key) const;
    const SnapshotValue* FindValueNamed(size_t key, const wchar_t* name) const;
    // The first string value below `key` (its own values, then each subkey
    // depth first, in enumeration order) whose data equals `text` with ASCII
    // letters folded; its name and its key path relative to `key`.
    bool FindData(size_t key, const wchar_t* text, std::wstring& name, std::wstring& path) const;

    // Copies the tree below an open key.
    static std::shared_ptr<Snapshot> Build(HKEY root);
    // About how many registry calls taking the copy made.
    size_t RegistryCalls() const;

private:
    struct Hit {
        std::wstring name;
        std::wstring path;
    };
    using ReverseIndex = std::unordered_map<std::wstring, Hit>;

    class Builder;

    void IndexKey(size_t key, const std::wstring& path, ReverseIndex& index) const;
    static bool Lookup(const ReverseIndex& index, const std::wstring& folded, std::wstring& name,
                       std::wstring& path);

    std::vector<SnapshotKey> keys_;  // 0 is the vault root
    mutable std::mutex indexLock_;
    mutable std::unordered_map<size_t, std::unique_ptr<ReverseIndex>> reverse_;
};

// The copy of the vault as it is now, to answer a lookup from; null when
// the lookup is to read the registry itself: there is no vault, it cannot be
// watched, or it changed since the copy and copying it again is not yet
// worth it (see ChargeRegistryCalls).
std::shared_ptr<const Snapshot> SnapshotForLookup();
// Notes registry calls a lookup made instead of using a copy; once they add
// up to what a new copy costs, the next lookup takes one.
void ChargeRegistryCalls(size_t calls);
// What the last copy cost, in registry calls (what a reverse search through
// the registry costs too).
size_t CopyCost();

}  // namespace vault

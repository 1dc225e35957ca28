#pragma once
// The hive store as a program of the suite reaches it without the library:
// Vaultcore.dll's GetHivePtr and one key object per lookup. Used by the
// profile-API equivalents and by the floor of GetLanguage.
#include <windows.h>

#include <string>

#include "platform/hive_interface.h"

namespace bench {

class StoreClient {
public:
    StoreClient();
    bool Available() const { return entry_ != nullptr; }

    // The name the map keeps `file` of `owner` under (below the sub-key when
    // one is given), or `file` itself.
    std::wstring MapName(const std::wstring& owner, const std::wstring& file,
                         const std::wstring& subKey) const;
    // The owner of a stored name, found by the store's reverse search; empty
    // when the map does not hold it.
    std::wstring UnmapOwner(const std::wstring& mappedName) const;
    // "UI" / "Language", 0 when absent.
    DWORD ReadLanguage() const;

private:
    GetHivePtrFn entry_ = nullptr;
};

}  // namespace bench

#pragma once
// The same questions answered the way a Windows developer would without the
// library: the Win32 profile API (GetPrivateProfileStringW and friends) for
// every INI value, the hive store through Vaultcore.dll for the file map and
// the language. Lookups stop at the first answer.
#include <string>
#include <vector>

#include "oracle.h"
#include "store_client.h"

namespace bench {

class ProfileQueries {
public:
    ProfileQueries(const Environment& env, const StoreClient& store);

    Located FindInstalledFile(bool mapOn, const std::wstring& file) const;
    std::wstring ComponentFilePath(bool mapOn, const std::wstring& component,
                                   const std::wstring& file, const std::wstring* filter) const;
    bool IsInstalledFile(bool mapOn, const std::wstring& path) const;
    std::wstring ComponentPath(const std::wstring& component, const std::wstring& suffix) const;
    std::wstring ComponentProducts(const std::wstring& component, bool byId) const;
    bool IsSingleProductComponent(const std::wstring& component) const;
    bool IsComponentInstalled(const std::wstring& component) const;
    int ProductId(const std::wstring& product) const;
    unsigned Language() const;

private:
    // The value, or empty; `found` tells an absent key from an empty value.
    std::wstring Read(const std::wstring& file, const std::wstring& section,
                      const std::wstring& key, bool* found = nullptr) const;
    std::wstring ComposeIni(const std::wstring& component) const;
    std::wstring ProductIni(const std::wstring& product) const;
    std::wstring Resolve(bool mapOn, const std::wstring& component, const std::wstring& ini,
                         const std::wstring& file, const std::wstring& record) const;
    std::wstring MapName(bool mapOn, const std::wstring& owner, const std::wstring& file,
                         const std::wstring& subKey) const;
    std::wstring FileOf(bool mapOn, const std::wstring& component, const std::wstring& file,
                        const std::wstring* filter, std::vector<std::wstring>& visited) const;
    bool ProductHolds(const std::wstring& ini, const std::wstring& component) const;

    const Environment& env_;
    const StoreClient& store_;
    std::wstring installIni_;
    unsigned windowsClass_ = 0;
};

}  // namespace bench

#pragma once
// The answers the library must give about a model installation, worked out
// from the model itself by the documented rules. The benchmark counts every
// answer of the library that differs from these.
#include <functional>
#include <string>

#include "model.h"

namespace bench {

// What the answers depend on besides the installation: the machine's
// directories and environment, read where the library runs.
struct Environment {
    std::wstring installDir;  // with its trailing backslash
    std::wstring systemDir;
    std::wstring windowsDir;
    std::wstring Expand(const std::wstring& text) const;  // environment variables
    static Environment Current(const std::wstring& installDir);
};

// The full path of a file record: `dest` is its destination directory,
// `componentPath` the component's [Version] Path, and `mapName` gives the
// stored name for a sub-key (empty: none).
std::wstring ResolveDestination(const Environment& env, const std::wstring& componentPath,
                                const std::wstring& dest,
                                const std::function<std::wstring(const std::wstring&)>& mapName);

// Where a file of the installation is, and the component that holds it.
struct Located {
    std::wstring path;
    std::wstring component;
};

class Oracle {
public:
    Oracle(const Installation& installation, const Environment& environment)
        : inst_(installation), env_(environment)
    {
    }

    std::wstring MapName(bool mapOn, const std::wstring& owner, const std::wstring& file,
                         const std::wstring& subKey) const;
    std::wstring UnmapOwner(bool mapOn, const std::wstring& mappedName) const;
    std::wstring ResolvePath(bool mapOn, const Component& component, const Record& record) const;
    std::wstring ComponentFile(bool mapOn, const std::wstring& component, const std::wstring& file,
                               const std::wstring* filter) const;
    Located Search(bool mapOn, const std::wstring& file) const;
    Located Locate(bool mapOn, const std::wstring& file) const;
    bool IsInstalledFile(bool mapOn, const std::wstring& path) const;
    std::wstring ComponentPath(const std::wstring& component, const std::wstring& suffix) const;
    std::wstring ComponentProducts(const std::wstring& component, bool byId) const;
    bool IsSingleProductComponent(const std::wstring& component) const;
    bool IsComponentInstalled(const std::wstring& component) const;
    int ProductId(const std::wstring& product) const;
    unsigned Language() const;

private:
    std::wstring ComponentFileFrom(bool mapOn, const std::wstring& component,
                                   const std::wstring& file, const std::wstring* filter,
                                   std::wstring visited) const;

    const Installation& inst_;
    const Environment& env_;
};

}  // namespace bench

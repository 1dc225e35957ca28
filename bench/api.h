#pragma once
// The library's exports the benchmark calls, as function pointers: either
// TNInstall.dll's, found by ordinal as the suite's programs find them, or
// the same export code linked into the benchmark (for counting allocations,
// file reads and store calls, which a separate module's code hides).
#include <windows.h>

#include "TNInstall.h"

namespace bench {

struct Api {
    // Typed by the prototypes of TNInstall.h.
    decltype(&::FindInstalledFile) FindInstalledFile = nullptr;
    decltype(&::GetComponentFilePath) GetComponentFilePath = nullptr;
    decltype(&::IsInstalledFile) IsInstalledFile = nullptr;
    decltype(&::GetComponentPath) GetComponentPath = nullptr;
    decltype(&::GetComponentProducts) GetComponentProducts = nullptr;
    decltype(&::IsSingleProductComponent) IsSingleProductComponent = nullptr;
    decltype(&::IsComponentInstalled) IsComponentInstalled = nullptr;
    decltype(&::GetProductId) GetProductId = nullptr;
    decltype(&::GetLanguage) GetLanguage = nullptr;
    decltype(&::SetFileMapEnabled) SetFileMapEnabled = nullptr;

    // False when an ordinal is missing.
    static bool FromModule(HMODULE module, Api& api);
    static Api Linked();
};

}  // namespace bench

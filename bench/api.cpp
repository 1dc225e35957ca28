#include "api.h"

#include "TNInstall.h"

namespace bench {
namespace {

template <class Fn>
bool Resolve(HMODULE module, int ordinal, Fn& fn)
{
    fn = reinterpret_cast<Fn>(reinterpret_cast<void*>(
        GetProcAddress(module, MAKEINTRESOURCEA(ordinal))));
    return fn != nullptr;
}

}  // namespace

bool Api::FromModule(HMODULE module, Api& api)
{
    return module && Resolve(module, TNI_ORD_FindInstalledFile, api.FindInstalledFile) &&
           Resolve(module, TNI_ORD_GetComponentFilePath, api.GetComponentFilePath) &&
           Resolve(module, TNI_ORD_IsInstalledFile, api.IsInstalledFile) &&
           Resolve(module, TNI_ORD_GetComponentPath, api.GetComponentPath) &&
           Resolve(module, TNI_ORD_GetComponentProducts, api.GetComponentProducts) &&
           Resolve(module, TNI_ORD_IsSingleProductComponent, api.IsSingleProductComponent) &&
           Resolve(module, TNI_ORD_IsComponentInstalled, api.IsComponentInstalled) &&
           Resolve(module, TNI_ORD_GetProductId, api.GetProductId) &&
           Resolve(module, TNI_ORD_GetLanguage, api.GetLanguage) &&
           Resolve(module, TNI_ORD_SetFileMapEnabled, api.SetFileMapEnabled);
}

// The export shims compiled into this program (src/api/exports.cpp).
Api Api::Linked()
{
    Api api;
    api.FindInstalledFile = &::FindInstalledFile;
    api.GetComponentFilePath = &::GetComponentFilePath;
    api.IsInstalledFile = &::IsInstalledFile;
    api.GetComponentPath = &::GetComponentPath;
    api.GetComponentProducts = &::GetComponentProducts;
    api.IsSingleProductComponent = &::IsSingleProductComponent;
    api.IsComponentInstalled = &::IsComponentInstalled;
    api.GetProductId = &::GetProductId;
    api.GetLanguage = &::GetLanguage;
    api.SetFileMapEnabled = &::SetFileMapEnabled;
    return api;
}

}  // namespace bench

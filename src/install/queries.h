#pragma once
#include <string>

namespace tn {

// The questions about installed components and products behind the exports
// 6 to 10 and 12. Each reads install.ini and the description files afresh;
// names compare with ASCII letters folded. None writes to the log.

// The install directory, then the component's [Version] Path and a
// backslash (when Path is not empty), then `suffix`. Empty for a null
// component or a description file that does not load.
std::wstring GetComponentInstallDir(const wchar_t* component, const wchar_t* suffix);

// The installed products (install.ini order) that contain the component, as
// a comma list of names, or of ProductIDs ("%d") when `byId` is nonzero.
// A comma is placed before each product after the first item is tested, so
// the list may end in one; an item already listed is not added again.
std::wstring ListComponentProducts(const wchar_t* component, int byId);

// [Version] ProductID of the product's description file; 0 when it is
// absent or the file does not load, and for a null name.
int ReadProductId(const wchar_t* product);

// Whether the name is in install.ini's ComposeList / ProductList.
bool IsComponentInstalled(const wchar_t* component);
bool IsProductInstalled(const wchar_t* product);

// True when at most one installed product contains the component, also when
// fewer than two products are installed (no product is then read) and when
// install.ini is missing. False for a null or empty name.
bool IsSingleProductComponent(const wchar_t* component);

}  // namespace tn

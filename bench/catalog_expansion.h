#pragma once
// How a product's component list grows along Parent and Resource, and which
// components a product finally holds: the rules the library's catalog
// follows, written out independently of it.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "model.h"

namespace bench {

using Lookup = std::function<std::wstring(const std::wstring&)>;

// Each listed name, then its chain of parents (nearest first), then each of
// its resources with the resource's own chain of parents. Names compare
// case-insensitively; a name already present is not added again.
std::vector<std::wstring> ExpandComponentList(const std::vector<std::wstring>& all,
                                              const Lookup& parentOf, const Lookup& resourceOf);

// Items of a comma list, empty ones dropped.
std::vector<std::wstring> SplitComma(const std::wstring& text);

// The value of the run of hexadecimal digits that ends the first eight
// characters.
uint32_t HexTail(const std::wstring& text);

// Whether the product holds the component once Parent and Resource are
// followed and components of other Windows classes are left out. The
// classes are those of an NT-family Windows, where every one of the masks
// the generator writes is either always or never supported.
bool ProductContains(const Product& product, const std::wstring& component);

}  // namespace bench

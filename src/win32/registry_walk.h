#pragma once
#include <windows.h>

#include <cstddef>
#include <string_view>

namespace tn {

// What a walk of a registry tree meets, in order.
class RegistryTreeVisitor {
public:
    // A key begins: the root of the walk (with an empty name), or a subkey
    // with its name. Its values follow, then its subkeys, then LeaveKey.
    virtual void EnterKey(std::wstring_view name) = 0;
    // One value of the key entered last; false ends the walk at once.
    virtual bool Value(std::wstring_view name, DWORD type, const BYTE* data, DWORD size) = 0;
    virtual void LeaveKey() = 0;

protected:
    ~RegistryTreeVisitor() = default;
};

// Walks the tree below the open key `root` depth first: the values of a key
// in enumeration order, then each subkey in enumeration order, opened for
// reading. A key whose sizes cannot be read is entered and left with nothing
// in it; a value that cannot be read and a subkey that cannot be opened are
// passed over. Answers false when the visitor ended the walk. Exceptions of
// the visitor pass through, every subkey the walk opened closed.
bool WalkRegistryTree(HKEY root, RegistryTreeVisitor& visitor);

// The text of a REG_SZ or REG_EXPAND_SZ value's data, without the NULs that
// end it; false, and `text` untouched, for a value of another type.
bool StringValueText(DWORD type, const BYTE* data, size_t size, std::wstring_view& text);

}  // namespace tn

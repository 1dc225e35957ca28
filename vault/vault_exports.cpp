#include <new>

#include "vault_store.h"

// Each call gives a new key object with its own key state, or null when no
// memory is left.
extern "C" IHiveKey* GetHivePtr()
{
    return new (std::nothrow) vault::VaultKey();
}

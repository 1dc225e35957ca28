#pragma once
// Puts a model installation where the library looks for it: the INI tree
// below an install directory, the file map and the stored language in the
// hive store (through Vaultcore.dll), and "InstallPath" in the registry.
#include <string>

#include "model.h"

namespace bench {

// Writes every file of the installation below `installDir` (with its
// trailing backslash), unless a stamp there says this very preset was
// written before. Returns false when a file cannot be written.
bool WriteTree(const Installation& installation, const std::wstring& installDir, bool* reused);

// Replaces the owners' keys below "FileMap" with the installation's map and
// stores its language under "UI". Returns false when the store is missing.
bool WriteStore(const Installation& installation);
// Removes what WriteStore wrote (the owners' keys; "UI" is left alone).
void RemoveStore(const Installation& installation);

// Deletes the tree below `installDir`, the directory included.
void RemoveTree(const std::wstring& installDir);

// Writes the whole text as UTF-16LE with a byte-order mark.
bool WriteUtf16File(const std::wstring& path, const std::wstring& text);

}  // namespace bench

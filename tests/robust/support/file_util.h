#pragma once
#include <string>
#include <vector>

namespace tnrobust {

// Files of a folder (not recursive), full paths in name order.
std::vector<std::wstring> ListFiles(const std::wstring& dir);
std::vector<std::wstring> ListFolders(const std::wstring& dir);
std::string ReadFileBytes(const std::wstring& path);
void WriteFileBytes(const std::wstring& path, const std::string& bytes);
// A fresh empty folder below the temporary folder (or below `base`);
// tntest::RemoveTree removes it.
std::wstring MakeWorkDir(const std::wstring& base, const std::wstring& name);

}  // namespace tnrobust

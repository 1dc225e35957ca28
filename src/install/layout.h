#pragma once
#include <string>

namespace tn {

// Where a component description file lives (the location code of
// BuildComposeFilePath).
enum ComposeLocation : unsigned {
    LocSource = 0,
    LocBackup = 1,
    LocOutput = 2,
    LocInstall = 3,
    LocTemp = 4,
    LocOutputChange = 5,
};

// The install directory with a trailing separator, followed by `suffix`.
// A directory of 6 or more characters is read once and kept for the life of
// the process; a shorter or missing one is read again on every call.
std::wstring GetInstallDir(const wchar_t* suffix = nullptr);
// The backup directory with a trailing separator, or empty; never cached.
std::wstring GetBackupDir();
std::wstring GetComposeDir();       // {I}Compose\ .
std::wstring GetOutputChangeDir();  // {I}OutputChange\ .
std::wstring GetProductDir();       // {I}Install\Product\ .
// {I}Install\Product\{name}.ini, the name used unchanged; empty for null.
std::wstring GetProductFilePath(const wchar_t* product);
std::wstring GetBuildDirName(int build);  // "Build_%04d".
// Path of a component description file; empty for a null name or a code above 5.
std::wstring BuildComposeFilePath(const wchar_t* component, unsigned location, int build);
std::wstring GetComposeFilePath(const wchar_t* component);  // LocInstall, build 1.
// {I}Install\install.ini and {I}Install\update.ini.
std::wstring GetInstallIniPath();
std::wstring GetUpdateIniPath();

// Forgets the cached install directory (tests only).
void ResetInstallDirCacheForTesting();

}  // namespace tn

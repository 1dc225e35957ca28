#pragma once
#include <windows.h>
#include <string>
#include <vector>

namespace tntest {

// A fresh empty folder below the temporary directory, removed with all its
// content when the object goes.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::wstring& Path() const { return path_; }  // ends in a backslash
    std::wstring operator/(const std::wstring& relative) const { return path_ + relative; }

private:
    std::wstring path_;
};

// Sets (or deletes, with a null text) a REG_SZ value under
// HKLM\Software\Tessaron and puts the old value back when it goes.
class MachineValue {
public:
    MachineValue(const wchar_t* name, const wchar_t* text);
    ~MachineValue();
    MachineValue(const MachineValue&) = delete;
    MachineValue& operator=(const MachineValue&) = delete;
    void Set(const wchar_t* text);

private:
    std::wstring name_;
    bool hadValue_ = false;
    DWORD oldType_ = 0;
    std::vector<BYTE> oldData_;
};

// Raw writes of HKLM\Software\Tessaron values, for shapes a REG_SZ can't give.
void SetMachineBytes(const wchar_t* name, DWORD type, const void* data, DWORD size);
void DeleteMachineValue(const wchar_t* name);

// Hive-store data as the stand-in store keeps it (HKLM\Software\Tessaron\Vault).
void SetVaultString(const std::wstring& keyPath, const wchar_t* name, const wchar_t* text,
                    DWORD type = REG_SZ);
void SetVaultBytes(const std::wstring& keyPath, const wchar_t* name, DWORD type,
                   const void* data, DWORD size);
void DeleteVaultTree(const std::wstring& keyPath);  // below the vault root; "" = all

// Files.
void MakeDirs(const std::wstring& path);  // every missing level of a folder path
void WriteBytes(const std::wstring& path, const std::string& bytes);
// UTF-16LE with a byte-order mark; "\n" in the text is written as CR LF.
void WriteUtf16(const std::wstring& path, const std::wstring& text, bool bom = true);
std::string ReadBytes(const std::wstring& path);
bool FileExists(const std::wstring& path);
// A ReadFile that fails as a read of a byte range that another process
// holds locked does on Windows (ERROR_LOCK_VIOLATION), for the core's read
// hook: Wine does not enforce byte-range locks on reads.
BOOL WINAPI LockViolationRead(HANDLE file, void* buffer, DWORD size, DWORD* read,
                              OVERLAPPED* overlapped);
// A folder and everything in it (read-only files too); with or without the
// closing backslash.
void RemoveTree(const std::wstring& dir);
// The lines of a text split at each "\n" (a "\r" before it stays); no empty
// last line for a text that ends in "\n".
std::vector<std::wstring> SplitLines(const std::wstring& text);

std::string ToUtf8(const std::wstring& text);
std::wstring FromUtf8(const std::string& text);

// The directory of the running test executable (build/bin), with a backslash.
std::wstring ExeDir();

}  // namespace tntest

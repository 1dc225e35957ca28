#pragma once
// A registry value put back as it was (or deleted, if it was absent) when
// the object goes: the smoke run borrows the test prefix's "InstallPath"
// and stored language and must leave them as it found them.
#include <windows.h>

#include <string>
#include <vector>

namespace bench {

class SavedValue {
public:
    SavedValue(const std::wstring& subKey, const std::wstring& name);
    ~SavedValue();
    SavedValue(const SavedValue&) = delete;
    SavedValue& operator=(const SavedValue&) = delete;

private:
    std::wstring subKey_, name_;
    bool had_ = false;
    DWORD type_ = 0;
    std::vector<BYTE> data_;
};

// Sets a REG_SZ value below HKEY_LOCAL_MACHINE; false on failure.
bool SetMachineString(const std::wstring& subKey, const std::wstring& name,
                      const std::wstring& text);

}  // namespace bench

#include "saved_value.h"

namespace bench {

SavedValue::SavedValue(const std::wstring& subKey, const std::wstring& name)
    : subKey_(subKey), name_(name)
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, subKey.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return;
    DWORD size = 0;
    if (RegQueryValueExW(key, name.c_str(), nullptr, &type_, nullptr, &size) == ERROR_SUCCESS) {
        data_.resize(size);
        had_ = RegQueryValueExW(key, name.c_str(), nullptr, &type_, data_.data(), &size) ==
               ERROR_SUCCESS;
        data_.resize(size);
    }
    RegCloseKey(key);
}

SavedValue::~SavedValue()
{
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, subKey_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                        &key, nullptr) != ERROR_SUCCESS)
        return;
    if (had_)
        RegSetValueExW(key, name_.c_str(), 0, type_, data_.data(), DWORD(data_.size()));
    else
        RegDeleteValueW(key, name_.c_str());
    RegCloseKey(key);
}

bool SetMachineString(const std::wstring& subKey, const std::wstring& name,
                      const std::wstring& text)
{
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, subKey.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                        &key, nullptr) != ERROR_SUCCESS)
        return false;
    const LONG rc = RegSetValueExW(key, name.c_str(), 0, REG_SZ,
                                   reinterpret_cast<const BYTE*>(text.c_str()),
                                   DWORD((text.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
    return rc == ERROR_SUCCESS;
}

}  // namespace bench

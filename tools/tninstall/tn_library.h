#pragma once
#include <windows.h>
#include <string>

namespace tnt {

// A string export's return value and the text it left in the buffer.
struct StringAnswer {
    int result = 0;
    std::wstring text;
};

// A string answer with a second text (the owner of ordinal 4, the component
// of ordinal 18).
struct PairAnswer {
    int result = 0;
    std::wstring text;
    std::wstring second;
};

// TNInstall.dll, loaded from the standard search path (the tool's own folder
// first) and called by ordinal, as the suite's programs call it. Buffers are
// made large enough that an answer is never cut: a string that fills the
// buffer is asked for again with a larger one.
class TnLibrary {
public:
    TnLibrary() = default;
    ~TnLibrary();
    TnLibrary(const TnLibrary&) = delete;
    TnLibrary& operator=(const TnLibrary&) = delete;

    // Loads the module and resolves the 19 ordinals; on failure `error`
    // says what is missing.
    bool Load(std::wstring& error);

    StringAnswer GetInstallPath(const wchar_t* suffix) const;                       // 1
    StringAnswer GetBackupPath() const;                                             // 2
    StringAnswer GetMappedFileName(const wchar_t* owner, const wchar_t* file,
                                   const wchar_t* subKey) const;                    // 3
    PairAnswer GetUnmappedFileName(const wchar_t* mapped) const;                    // 4
    StringAnswer GetComponentFilePath(const wchar_t* component, const wchar_t* file,
                                      const wchar_t* destFilter) const;             // 5
    StringAnswer GetComponentPath(const wchar_t* component, const wchar_t* suffix) const;  // 6
    StringAnswer GetComponentProducts(const wchar_t* component, bool byId) const;   // 7
    int GetProductId(const wchar_t* product) const;                                 // 8
    int IsComponentInstalled(const wchar_t* component) const;                       // 9
    int IsProductInstalled(const wchar_t* product) const;                           // 10
    int IsInstalledFile(const wchar_t* path) const;                                 // 11
    int IsSingleProductComponent(const wchar_t* component) const;                   // 12
    int SetFileMapEnabled(int value) const;                                         // 13
    int GetFileMapEnabled() const;                                                  // 14
    LANGID GetLanguage() const;                                                     // 15
    int SetLanguage(DWORD language) const;                                          // 16
    StringAnswer GetOemName() const;                                                // 17
    PairAnswer FindInstalledFile(const wchar_t* file) const;                        // 18
    DWORD GetOsVersionType(int* isNt) const;                                        // 19

private:
    static constexpr int kOrdinalCount = 19;
    HMODULE module_ = nullptr;
    FARPROC exports_[kOrdinalCount + 1] = {};

    template <class Fn>
    Fn At(int ordinal) const
    {
        return reinterpret_cast<Fn>(reinterpret_cast<void*>(exports_[ordinal]));
    }
};

// The export's name for an ordinal (1 to 19), for messages and JSON.
const wchar_t* ExportName(int ordinal);

}  // namespace tnt

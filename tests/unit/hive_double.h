#pragma once
#include <windows.h>

#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

#include "platform/hive_interface.h"
#include "platform/hive_key.h"

namespace tntest {

// What the double answers.
struct HiveScript {
    LONG openResult = ERROR_SUCCESS;
    // ReadValue: the type, the bytes, and the size reported back (0: the
    // bytes' own size).
    DWORD readType = REG_SZ;
    std::vector<BYTE> readData;
    DWORD reportedSize = 0;
    // FindValue: the texts given back, and whether they are terminated
    // within the count (an unterminated text fills the whole count).
    LONG findResult = ERROR_SUCCESS;
    std::wstring findName;
    std::wstring findPath;
    bool terminate = true;
};

// A hive store that counts every call made to it and answers what the test
// sets up, including data a real store should never hand out. Installed
// with tn::SetHiveFactoryForTesting for the life of a HiveDoubleScope.
class HiveDouble final : public IHiveKey {
public:
    using Script = HiveScript;
    static inline Script script;
    static inline int created = 0;
    static inline int calls = 0;

    static IHiveKey* Create()
    {
        ++created;
        return new HiveDouble();
    }

    void Release() override
    {
        ++calls;
        delete this;
    }
    LONG Reserved1() override { return ++calls, 0; }
    LONG WriteValue(const wchar_t*, DWORD, const void*, DWORD) override { return ++calls, 0; }
    LONG ReadValue(const wchar_t*, DWORD* type, void* data, DWORD* size) override
    {
        ++calls;
        *type = script.readType;
        const DWORD bytes = DWORD(script.readData.size());
        if (data)
            std::memcpy(data, script.readData.data(), bytes < *size ? bytes : *size);
        *size = script.reportedSize ? script.reportedSize : bytes;
        return ERROR_SUCCESS;
    }
    LONG CreateKey(HKEY, const wchar_t*) override { return ++calls, 0; }
    LONG OpenKey(HKEY, const wchar_t*, DWORD) override { return ++calls, script.openResult; }
    LONG CloseKey() override { return ++calls, 0; }
    LONG Reserved7() override { return ++calls, 0; }
    LONG Reserved8() override { return ++calls, 0; }
    LONG Reserved9() override { return ++calls, 0; }
    LONG Reserved10() override { return ++calls, 0; }
    LONG Reserved11() override { return ++calls, 0; }
    LONG Reserved12() override { return ++calls, 0; }
    LONG FindValue(const wchar_t*, wchar_t* name, DWORD* count, wchar_t* path) override
    {
        ++calls;
        if (script.findResult != ERROR_SUCCESS)
            return script.findResult;
        Fill(name, *count, script.findName);
        Fill(path, *count, script.findPath);
        return ERROR_SUCCESS;
    }

private:
    static void Fill(wchar_t* buffer, DWORD count, const std::wstring& text)
    {
        if (!script.terminate) {
            for (DWORD i = 0; i < count; ++i)
                buffer[i] = text.empty() ? L'x' : text[i % text.size()];
            return;
        }
        const size_t n = text.size() < count ? text.size() : count - 1;
        std::wmemcpy(buffer, text.data(), n);
        buffer[n] = L'\0';
    }
};

class HiveDoubleScope {
public:
    HiveDoubleScope()
    {
        HiveDouble::script = HiveDouble::Script();
        HiveDouble::created = 0;
        HiveDouble::calls = 0;
        tn::SetHiveFactoryForTesting(&HiveDouble::Create);
    }
    ~HiveDoubleScope() { tn::SetHiveFactoryForTesting(nullptr); }
    HiveDoubleScope(const HiveDoubleScope&) = delete;
    HiveDoubleScope& operator=(const HiveDoubleScope&) = delete;
};

}  // namespace tntest

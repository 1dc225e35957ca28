#include <gtest/gtest.h>

#include "platform/registry.h"
#include "test_support.h"

namespace {

const wchar_t* const kScratchKey = L"Software\\Tessaron\\TestScratch";

void DeleteScratchKey() { RegDeleteKeyW(HKEY_LOCAL_MACHINE, kScratchKey); }

TEST(ReadRegistryValue, CreatesAbsentKeyButNeverTheValue)
{
    DeleteScratchKey();
    wchar_t buffer[16] = {0x7777};
    EXPECT_EQ(0, tn::ReadRegistryValue(HKEY_LOCAL_MACHINE, kScratchKey, L"Missing", buffer,
                                       sizeof(buffer)));
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExW(HKEY_LOCAL_MACHINE, kScratchKey, 0, KEY_READ, &key))
        << "the key was not created";
    DWORD values = 99;
    RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr,
                     nullptr, nullptr, nullptr);
    EXPECT_EQ(0u, values);
    RegCloseKey(key);
    DeleteScratchKey();
}

TEST(ReadRegistryValue, ReadsRawBytesOfAnyTypeAndRefusesWhatDoesNotFit)
{
    tntest::MachineValue text(L"TestValue", L"abc");  // 8 bytes with its terminator
    wchar_t buffer[8];
    std::fill(std::begin(buffer), std::end(buffer), 0x7777);
    EXPECT_EQ(1, tn::ReadRegistryValue(HKEY_LOCAL_MACHINE, tn::kProductRegistryKey, L"TestValue",
                                       buffer, 8));
    EXPECT_STREQ(L"abc", buffer);
    EXPECT_EQ(0x7777, buffer[4]) << "wrote past the value";
    EXPECT_EQ(0, tn::ReadRegistryValue(HKEY_LOCAL_MACHINE, tn::kProductRegistryKey, L"TestValue",
                                       buffer, 7));

    const DWORD number = 0x12345678;
    tntest::SetMachineBytes(L"TestValue", REG_DWORD, &number, sizeof(number));
    DWORD read = 0;
    EXPECT_EQ(1, tn::ReadRegistryValue(HKEY_LOCAL_MACHINE, tn::kProductRegistryKey, L"TestValue",
                                       &read, sizeof(read)));
    EXPECT_EQ(number, read);
}

TEST(ReadRegistryValue, NeverWritesPastTheCapacity)
{
    // 260 characters stored without a terminator fill a 520-byte buffer
    // exactly. Windows reads them (no terminator added); Wine counts a
    // terminator and refuses. Either way nothing lands past the capacity.
    const std::wstring full(260, L'x');
    tntest::MachineValue guard(L"TestValue", nullptr);
    tntest::SetMachineBytes(L"TestValue", REG_SZ, full.data(), DWORD(full.size() * 2));
    wchar_t buffer[261];
    buffer[260] = 0x7777;
    const int read = tn::ReadRegistryValue(HKEY_LOCAL_MACHINE, tn::kProductRegistryKey,
                                           L"TestValue", buffer, 520);
    if (read) {
        EXPECT_EQ(L'x', buffer[259]);
    }
    EXPECT_EQ(0x7777, buffer[260]);
}

}  // namespace

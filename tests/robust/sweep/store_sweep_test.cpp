// The hive store's key methods with the store's own allocations failing.
// The stand-in store's sources are compiled into this program, so the
// operator new replacement reaches them. Every method the library calls
// runs with allocation N failing, N = 1, 2, 3, ... until a call completes,
// once with every allocation from N on failing and once with N alone, in
// each state the store's copy of the vault can be in. A call must throw
// nothing and answer as with memory or ERROR_NOT_ENOUGH_MEMORY; a failed
// call leaves its key as it found it (open or not), and leaves no block and
// no handle behind; the same call on a fresh key then answers as with memory.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <map>
#include <new>
#include <string>
#include <utility>
#include <vector>

#include "alloc_hooks.h"
#include "platform/hive_interface.h"
#include "test_support.h"

// The store's entry point, compiled in.
extern "C" IHiveKey* GetHivePtr();

namespace tnrobust {
namespace {

// No store call needs more allocations than this; reaching it means the
// sweep does not end.
constexpr uint64_t kMaxAllocations = 20000;
constexpr DWORD kStoredLanguage = 0x0411;  // what the demo environment stores
// A value the store's copy holds in every state; changing it changes the
// vault without changing the shape of its copy.
const wchar_t* const kMarkerKey = L"UI";
const wchar_t* const kMarker = L"SweepMarker";
// Room for the longest line a call answers.
constexpr size_t kLineRoom = 1024;

// Where the store's copy of the vault stands when a call begins.
enum class Copy {
    Current,  // taken after the last change: lookups read it
    Stale,    // the vault changed since: lookups read the registry
    Due,      // stale, and the lookups since have paid for a new copy: the call takes it
};

const char* CopyName(Copy copy)
{
    return copy == Copy::Current ? "copy current" : copy == Copy::Stale ? "copy stale" : "copy due";
}

void ChangeVault()
{
    static DWORD flip = 0;
    flip ^= 1;
    tntest::SetVaultBytes(kMarkerKey, kMarker, REG_DWORD, &flip, sizeof(flip));
}

// A lookup through a fresh key, with memory: opens `path` and, given a
// text, searches below it.
void Lookup(const wchar_t* path, const wchar_t* text)
{
    IHiveKey* key = GetHivePtr();
    if (key->OpenKey(HKEY_LOCAL_MACHINE, path, KEY_READ) == ERROR_SUCCESS && text) {
        wchar_t name[MAX_PATH], found[MAX_PATH];
        DWORD count = MAX_PATH;
        key->FindValue(text, name, &count, found);
    }
    key->CloseKey();
    key->Release();
}

// Brings the store's copy into the state `copy`, always through a new copy
// (a search builds its index in the copy it reads).
void Settle(Copy copy)
{
    // A change, then a search through the registry, which costs as much as
    // a copy: the next lookup takes a new one.
    ChangeVault();
    Lookup(L"FileMap", L"none.dll");
    Lookup(L"FileMap", nullptr);
    if (copy == Copy::Current)
        return;
    ChangeVault();
    if (copy == Copy::Due)
        Lookup(L"FileMap", L"none.dll");
}

// The handles this process holds, from the system's handle table (Wine's
// GetProcessHandleCount answers 0).
DWORD OpenHandles()
{
    struct HandleEntry {
        ULONG ownerPid;
        BYTE objectType;
        BYTE flags;
        USHORT value;
        PVOID object;
        ACCESS_MASK access;
    };
    struct HandleTable {
        ULONG count;
        HandleEntry entries[1];
    };
    using QueryFn = LONG(WINAPI*)(int, void*, ULONG, ULONG*);
    constexpr int kSystemHandleInformation = 16;
    constexpr LONG kInfoLengthMismatch = LONG(0xC0000004);
    static const QueryFn query = reinterpret_cast<QueryFn>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQuerySystemInformation")));
    std::vector<BYTE> buffer(1 << 16);
    LONG status;
    while ((status = query(kSystemHandleInformation, buffer.data(), ULONG(buffer.size()),
                           nullptr)) == kInfoLengthMismatch)
        buffer.resize(buffer.size() * 2);
    if (status != 0)
        return 0;
    const HandleTable* table = reinterpret_cast<const HandleTable*>(buffer.data());
    const ULONG pid = GetCurrentProcessId();
    DWORD count = 0;
    for (ULONG i = 0; i < table->count; ++i)
        count += table->entries[i].ownerPid == pid;
    return count;
}

std::wstring Code(LONG rc) { return std::to_wstring(rc); }

// The calls: each answers the store's code and writes what the store gave,
// if anything, into `out` (of kOutChars), without allocating.
constexpr size_t kOutChars = 2 * MAX_PATH;
using CallFn = LONG (*)(IHiveKey* key, wchar_t* out);

LONG CallReadValue(IHiveKey* key, wchar_t* out)
{
    wchar_t data[MAX_PATH] = {};
    DWORD type = 0, size = sizeof(data) - sizeof(wchar_t);
    const LONG rc = key->ReadValue(L"tnengine.dll", &type, data, &size);
    swprintf(out, kOutChars, L"type %lu %ls", static_cast<unsigned long>(type), data);
    return rc;
}

LONG CallFindValue(IHiveKey* key, wchar_t* out)
{
    wchar_t name[MAX_PATH] = {}, path[MAX_PATH] = {};
    DWORD count = MAX_PATH;
    const LONG rc = key->FindValue(L"TNSANS_V3.TTF", name, &count, path);
    swprintf(out, kOutChars, L"%ls:%ls", path, name);
    return rc;
}

LONG CallWriteValue(IHiveKey* key, wchar_t*)
{
    const DWORD language = kStoredLanguage;
    return key->WriteValue(L"Language", REG_DWORD, &language, sizeof(language));
}

LONG CallOpenKey(IHiveKey* key, wchar_t*)
{
    return key->OpenKey(HKEY_LOCAL_MACHINE, L"FileMap\\Engine\\bin", KEY_READ);
}

LONG CallCreateKey(IHiveKey* key, wchar_t*) { return key->CreateKey(HKEY_LOCAL_MACHINE, L"UI"); }
LONG CallCloseKey(IHiveKey* key, wchar_t*) { return key->CloseKey(); }
LONG CallRelease(IHiveKey* key, wchar_t*) { return key->Release(), ERROR_SUCCESS; }

// The key a call finds: fresh, opened or created at a path.
enum class Before { Fresh, Opened, Created };

struct StoreCall {
    const char* name;
    Copy copy;
    Before before;
    const wchar_t* path;  // of the key opened or created before the call
    CallFn call;
};

// Every method the library calls, on each kind of key it calls it on: a
// key read from the copy, a registry key (copy stale, or made by
// CreateKey), and the calls that take a new copy.
const wchar_t* const kBin = L"FileMap\\Engine\\bin";
const StoreCall kStoreCalls[] = {
    {"OpenKey", Copy::Current, Before::Fresh, nullptr, CallOpenKey},
    {"OpenKey", Copy::Stale, Before::Fresh, nullptr, CallOpenKey},
    {"OpenKey", Copy::Due, Before::Fresh, nullptr, CallOpenKey},
    {"CreateKey", Copy::Current, Before::Fresh, nullptr, CallCreateKey},
    {"ReadValue", Copy::Current, Before::Opened, kBin, CallReadValue},
    {"ReadValue", Copy::Stale, Before::Opened, kBin, CallReadValue},
    {"FindValue", Copy::Current, Before::Opened, L"FileMap\\", CallFindValue},
    {"FindValue", Copy::Stale, Before::Opened, L"FileMap\\", CallFindValue},
    {"WriteValue", Copy::Current, Before::Opened, L"UI", CallWriteValue},
    {"WriteValue", Copy::Current, Before::Created, L"UI", CallWriteValue},
    {"CloseKey", Copy::Current, Before::Opened, kBin, CallCloseKey},
    {"CloseKey", Copy::Stale, Before::Opened, kBin, CallCloseKey},
    {"Release", Copy::Current, Before::Opened, kBin, CallRelease},
    {"Release", Copy::Stale, Before::Opened, kBin, CallRelease},
};

IHiveKey* Prepare(const StoreCall& row)
{
    IHiveKey* key = GetHivePtr();
    LONG rc = ERROR_SUCCESS;
    if (row.before == Before::Opened)
        rc = key->OpenKey(HKEY_LOCAL_MACHINE, row.path, KEY_READ | KEY_WRITE);
    else if (row.before == Before::Created)
        rc = key->CreateKey(HKEY_LOCAL_MACHINE, row.path);
    EXPECT_EQ(ERROR_SUCCESS, rc) << row.name << ": the key before the call";
    return key;
}

// The call's line: its code, and on success what it gave. Allocations stop
// failing as soon as the store returns; an exception that leaves the store
// is a line of its own.
std::wstring Call(const StoreCall& row, IHiveKey* key)
{
    wchar_t out[kOutChars] = {};
    LONG rc = ERROR_SUCCESS;
    try {
        rc = row.call(key, out);
    } catch (...) {
        DisarmAllocationFailure();
        return L"threw";
    }
    DisarmAllocationFailure();
    return rc == ERROR_SUCCESS ? Code(rc) + L" " + out : Code(rc);
}

// The call on a fresh key, with memory.
std::wstring CallWithMemory(const StoreCall& row)
{
    IHiveKey* key = Prepare(row);
    const std::wstring line = Call(row, key);
    if (row.call != CallRelease)
        key->Release();
    return line;
}

// What went wrong in a sweep, by kind: how often, and the first N.
struct Faults {
    std::map<std::string, std::pair<uint64_t, uint64_t>> byKind;

    void Note(const std::string& kind, uint64_t n)
    {
        auto& [count, firstN] = byKind[kind];
        if (count++ == 0)
            firstN = n;
    }
    std::string Text() const
    {
        std::string text;
        for (const auto& [kind, fault] : byKind)
            text += "\n  " + kind + ": " + std::to_string(fault.first) +
                    " times, first at N = " + std::to_string(fault.second);
        return text;
    }
};

class StoreSweep : public ::testing::TestWithParam<StoreCall> {
protected:
    static void SetUpTestSuite()
    {
        // The first exception thrown in a process makes the runtime take a
        // handle for good; it is not the store's.
        try {
            throw std::bad_alloc();
        } catch (const std::bad_alloc&) {
        }
        ChangeVault();
        Lookup(L"FileMap", nullptr);  // the first copy
    }
};

TEST_P(StoreSweep, FailsWithAnErrorCodeAndLeavesNothingBehind)
{
    // The count of open handles sees a registry key.
    const DWORD handles = OpenHandles();
    HKEY probeKey = nullptr;
    ASSERT_EQ(ERROR_SUCCESS,
              RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Software", 0, KEY_READ, &probeKey));
    EXPECT_EQ(handles + 1, OpenHandles());
    RegCloseKey(probeKey);

    const StoreCall& row = GetParam();
    const std::string label = std::string(row.name) + " (" + CopyName(row.copy) +
                              (row.before == Before::Created ? ", made by CreateKey)" : ")");
    Settle(row.copy);
    const std::wstring expected = CallWithMemory(row);
    ASSERT_NE(L"threw", expected) << label;
    const std::wstring outOfMemory = Code(ERROR_NOT_ENOUGH_MEMORY);
    // A failed call leaves the key as it found it: a fresh key not open, an
    // open key open (a missing value then answers "not found").
    const LONG probeAfterFailure =
        row.before == Before::Fresh ? ERROR_INVALID_HANDLE : ERROR_FILE_NOT_FOUND;

    for (const FailMode mode : {FailMode::FromThenOn, FailMode::Once}) {
        const char* modeName =
            mode == FailMode::Once ? "allocation N alone" : "allocations from N on";
        Faults faults;
        uint64_t n = 1;
        for (; n <= kMaxAllocations; ++n) {
            Settle(row.copy);
            // The line has its room before the count, so that only the
            // store's blocks are counted.
            std::wstring line;
            line.reserve(kLineRoom);
            const int64_t blocksBefore = LiveBlocks();
            const DWORD handlesBefore = OpenHandles();

            IHiveKey* key = Prepare(row);
            ArmAllocationFailure(mode, n);
            line = Call(row, key);
            const bool hit = FailuresSinceArm() != 0;
            const bool failed = hit && line != expected;
            LONG probe = probeAfterFailure;
            if (row.call != CallRelease) {
                if (failed) {
                    DWORD size = 0;
                    probe = key->ReadValue(L"no such value", nullptr, nullptr, &size);
                }
                key->Release();
            }
            const int64_t blocksAfterCall = LiveBlocks();
            const bool sameAgain = CallWithMemory(row) == expected;
            // A call that takes a new copy and fails leaves none; the next
            // call takes it, and only then are the blocks comparable.
            const int64_t blocksAfter = row.copy == Copy::Due ? LiveBlocks() : blocksAfterCall;
            const DWORD handlesAfter = OpenHandles();

            if (line == L"threw")
                faults.Note("an exception left " + std::string(row.name), n);
            else if (line != expected && line != outOfMemory)
                faults.Note("answered " + tntest::ToUtf8(line), n);
            if (probe != probeAfterFailure)
                faults.Note("the key was left in another state", n);
            if (failed && blocksAfter != blocksBefore)
                faults.Note("blocks left", n);
            if (handlesAfter != handlesBefore)
                faults.Note("handles left open", n);
            if (!sameAgain)
                faults.Note("the same call on a fresh key then answered otherwise", n);
            if (!hit) {
                if (line != expected)
                    faults.Note("the call that completed answered " + tntest::ToUtf8(line), n);
                break;
            }
        }
        EXPECT_LE(n, kMaxAllocations) << label << ": the sweep did not end";
        EXPECT_TRUE(faults.byKind.empty()) << label << ", " << modeName << ":" << faults.Text();
        if (mode == FailMode::FromThenOn)
            std::printf("store %-45s %6llu allocations\n", label.c_str(),
                        static_cast<unsigned long long>(n - 1));
    }
}

std::string RowName(const ::testing::TestParamInfo<StoreCall>& info)
{
    return std::string(info.param.name) + "_" + std::to_string(info.index);
}

INSTANTIATE_TEST_SUITE_P(Store, StoreSweep, ::testing::ValuesIn(kStoreCalls), RowName);

}  // namespace
}  // namespace tnrobust

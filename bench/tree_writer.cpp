#include "tree_writer.h"

#include <windows.h>

#include <map>
#include <vector>

#include "platform/hive_interface.h"

namespace bench {
namespace {

// Raise when the generated content changes, so cached trees are rewritten.
constexpr int kGeneratorVersion = 1;

// Where the stand-in store keeps its keys in the registry.
const wchar_t* const kVaultFileMapKey = L"Software\\Tessaron\\Vault\\FileMap";

void MakeDirs(const std::wstring& dir)
{
    for (size_t i = 3; i <= dir.size(); ++i)
        if (i == dir.size() || dir[i] == L'\\')
            CreateDirectoryW(dir.substr(0, i).c_str(), nullptr);
}

std::string StampText(const Installation& inst)
{
    const Preset& p = inst.preset;
    return "tnbench " + std::to_string(kGeneratorVersion) + " " + p.name + " " +
           std::to_string(p.components) + "x" + std::to_string(p.filesPerComponent) + " " +
           std::to_string(p.products) + " " + std::to_string(p.mapEvery) + " " +
           std::to_string(p.seed) + "\n";
}

std::string ReadSmallFile(const std::wstring& path)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return std::string();
    char buffer[512];
    DWORD read = 0;
    if (!ReadFile(file, buffer, sizeof(buffer), &read, nullptr))
        read = 0;
    CloseHandle(file);
    return std::string(buffer, read);
}

bool WriteBytes(const std::wstring& path, const void* data, DWORD size)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    const BOOL ok = WriteFile(file, data, size, &written, nullptr);
    CloseHandle(file);
    return ok && written == size;
}

GetHivePtrFn StoreEntry()
{
    HMODULE module = LoadLibraryW(L"Vaultcore.dll");
    return module ? reinterpret_cast<GetHivePtrFn>(
                        reinterpret_cast<void*>(GetProcAddress(module, "GetHivePtr")))
                  : nullptr;
}

void DeleteRegistryTree(HKEY parent, const std::wstring& name)
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(parent, name.c_str(), 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS)
        return;
    wchar_t child[256];
    for (;;) {
        DWORD length = 256;
        if (RegEnumKeyExW(key, 0, child, &length, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS)
            break;
        DeleteRegistryTree(key, child);
    }
    RegCloseKey(key);
    RegDeleteKeyW(parent, name.c_str());
}

std::vector<std::wstring> Owners(const Installation& inst)
{
    std::vector<std::wstring> owners;
    for (const Component& c : inst.components)
        owners.push_back(c.name);
    owners.push_back(inst.tnol.name);
    return owners;
}

}  // namespace

bool WriteUtf16File(const std::wstring& path, const std::wstring& text)
{
    std::vector<wchar_t> units;
    units.reserve(text.size() + 1);
    units.push_back(0xFEFF);
    units.insert(units.end(), text.begin(), text.end());
    return WriteBytes(path, units.data(), DWORD(units.size() * sizeof(wchar_t)));
}

bool WriteTree(const Installation& inst, const std::wstring& installDir, bool* reused)
{
    const std::wstring stampPath = installDir + L"bench.stamp";
    const std::string stamp = StampText(inst);
    *reused = ReadSmallFile(stampPath) == stamp;
    if (*reused)
        return true;

    DeleteFileW(stampPath.c_str());
    const std::wstring composeDir = installDir + L"Install\\Compose\\";
    const std::wstring productDir = installDir + L"Install\\Product\\";
    MakeDirs(composeDir);
    MakeDirs(productDir);
    bool ok = WriteUtf16File(installDir + L"Install\\install.ini", InstallIniText(inst)) &&
              WriteUtf16File(installDir + L"Install\\update.ini", UpdateIniText(inst)) &&
              WriteUtf16File(composeDir + inst.tnol.name + L".ini", ComponentText(inst.tnol));
    for (const Component& c : inst.components)
        ok = ok && WriteUtf16File(composeDir + c.name + L".ini", ComponentText(c));
    for (const Product& p : inst.products)
        ok = ok && WriteUtf16File(productDir + p.name + L".ini", ProductText(p));
    return ok && WriteBytes(stampPath, stamp.data(), DWORD(stamp.size()));
}

bool WriteStore(const Installation& inst)
{
    RemoveStore(inst);
    const GetHivePtrFn entry = StoreEntry();
    if (!entry)
        return false;
    // One key object per map key, as a writer of the store would use.
    std::map<std::wstring, std::vector<const MapEntry*>> byKey;
    for (const MapEntry& e : inst.fileMap)
        byKey[L"FileMap\\" + e.owner + (e.sub.empty() ? L"" : L"\\" + e.sub)].push_back(&e);
    bool ok = true;
    for (const auto& [path, entries] : byKey) {
        IHiveKey* key = entry();
        if (!key)
            return false;
        if (key->CreateKey(HKEY_LOCAL_MACHINE, path.c_str()) != ERROR_SUCCESS) {
            ok = false;
        } else {
            for (const MapEntry* e : entries) {
                const DWORD bytes = DWORD((e->mapped.size() + 1) * sizeof(wchar_t));
                ok = key->WriteValue(e->file.c_str(), REG_SZ, e->mapped.c_str(), bytes) ==
                         ERROR_SUCCESS && ok;
            }
        }
        key->CloseKey();
        key->Release();
    }
    IHiveKey* ui = entry();
    if (!ui)
        return false;
    const DWORD language = inst.storedLanguage;
    ok = ui->CreateKey(HKEY_LOCAL_MACHINE, L"UI") == ERROR_SUCCESS &&
         ui->WriteValue(L"Language", REG_DWORD, &language, sizeof(language)) == ERROR_SUCCESS &&
         ok;
    ui->CloseKey();
    ui->Release();
    return ok;
}

void RemoveStore(const Installation& inst)
{
    HKEY fileMap = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kVaultFileMapKey, 0, KEY_ALL_ACCESS, &fileMap) !=
        ERROR_SUCCESS)
        return;
    for (const std::wstring& owner : Owners(inst))
        DeleteRegistryTree(fileMap, owner);
    RegCloseKey(fileMap);
}

void RemoveTree(const std::wstring& dir)
{
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((dir + L"*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = data.cFileName;
            if (name == L"." || name == L"..")
                continue;
            const std::wstring full = dir + name;
            SetFileAttributesW(full.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(full + L"\\");
            else
                DeleteFileW(full.c_str());
        } while (FindNextFileW(find, &data));
        FindClose(find);
    }
    RemoveDirectoryW(dir.c_str());
}

}  // namespace bench

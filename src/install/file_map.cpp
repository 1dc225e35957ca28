#include "install/file_map.h"

#include <cwchar>

#include "config/text_utils.h"
#include "platform/hive_key.h"

namespace tn {
namespace {

// The length of a text the store wrote into a buffer of kFileMapTextChars
// units, or kFileMapTextChars when it left no terminator there.
size_t StoredLength(const wchar_t* buffer) { return wcsnlen(buffer, kFileMapTextChars); }

}  // namespace

bool IsDirectoryMacro(const wchar_t* text)
{
    // "$SYSTEM32" and "$WINDOWS" are the named macros; every text that starts
    // with "$" counts as one.
    return text != nullptr && text[0] == L'$';
}

std::wstring FileMapKeyPath(const wchar_t* owner, const wchar_t* subKey)
{
    std::wstring path = std::wstring(kFileMapKey) + L"\\";
    if (owner)
        path += owner;
    if (!IsNullOrEmpty(subKey) && !IsDirectoryMacro(subKey)) {
        path += L'\\';
        path += subKey;
    }
    return path;
}

std::wstring MapFileName(const wchar_t* owner, const wchar_t* fileName, const wchar_t* subKey,
                         const LookupContext& context)
{
    if (!fileName)
        return std::wstring();
    if (!context.fileMapEnabled || !owner) {
        context.Note(context.fileMapEnabled ? LookupEvent::kMapNoOwner
                                            : LookupEvent::kMapSwitchedOff,
                     {fileName});
        return fileName;
    }

    const std::wstring keyPath = FileMapKeyPath(owner, subKey);

    wchar_t mapped[kFileMapTextChars] = {};
    DWORD count = kFileMapTextChars;
    CHiveKey key;
    LONG rc = key.Open(HKEY_LOCAL_MACHINE, keyPath.c_str(), KEY_READ);
    if (rc == ERROR_SUCCESS)
        rc = key.QueryStringValue(fileName, mapped, &count);
    key.Close();

    // A value read successfully is terminated inside the buffer (the wrapper
    // checks that); an empty one names no file and counts as no entry.
    const bool found = rc == ERROR_SUCCESS && mapped[0] != L'\0';
    if (found)
        context.Note(LookupEvent::kMapped, {keyPath, fileName, mapped});
    else if (rc == ERROR_SUCCESS)
        context.Note(LookupEvent::kMapEmpty, {keyPath, fileName});
    else
        context.Note(LookupEvent::kMapMissing, {keyPath, fileName}, rc);
    return found ? std::wstring(mapped) : std::wstring(fileName);
}

std::wstring UnmapFileName(const wchar_t* mappedName, std::wstring& owner,
                           const LookupContext& context)
{
    if (!mappedName)
        return std::wstring();
    if (!context.fileMapEnabled) {
        context.Note(LookupEvent::kReverseSwitchedOff, {mappedName});
        return mappedName;
    }

    const std::wstring keyPath = FileMapKeyPath(nullptr, nullptr);
    CHiveKey key;
    const LONG opened = key.Open(HKEY_LOCAL_MACHINE, keyPath.c_str(), KEY_READ);
    if (opened != ERROR_SUCCESS) {
        context.Note(LookupEvent::kReverseNotOpened, {keyPath, mappedName}, opened);
        return mappedName;
    }

    wchar_t name[kFileMapTextChars] = {};
    wchar_t path[kFileMapTextChars] = {};
    DWORD count = kFileMapTextChars;
    const LONG rc = key.FindValue(mappedName, name, &count, path);
    if (rc != ERROR_SUCCESS) {
        context.Note(LookupEvent::kReverseMissing, {mappedName}, rc);
        return mappedName;
    }
    // The store is outside this library: texts it left unterminated are not
    // read past the buffers, and the answer is then taken as no entry.
    if (StoredLength(name) == kFileMapTextChars || StoredLength(path) == kFileMapTextChars) {
        context.Note(LookupEvent::kReverseUnterminated, {mappedName});
        return mappedName;
    }

    const wchar_t* slash = std::wcschr(path, L'\\');
    const std::wstring found(path, slash ? size_t(slash - path) : std::wcslen(path));
    if (!found.empty())
        owner = found;
    const std::wstring result = name[0] != L'\0' ? std::wstring(name) : std::wstring(mappedName);
    if (context.Noting())
        context.Note(LookupEvent::kReverseFound, {mappedName, keyPath + path, name, found, result});
    return result;
}

LONG WriteFileMapEntry(const wchar_t* owner, const wchar_t* subKey, const wchar_t* file,
                       const wchar_t* mapped)
{
    if (IsNullOrEmpty(owner) || IsNullOrEmpty(file) || IsNullOrEmpty(mapped) ||
        wcschr(owner, L'\\') || wcslen(mapped) > kMappedNameMaxChars)
        return ERROR_INVALID_PARAMETER;
    CHiveKey key;
    const LONG created = key.Create(HKEY_LOCAL_MACHINE, FileMapKeyPath(owner, subKey).c_str());
    if (created != ERROR_SUCCESS)
        return created;
    const LONG written = key.SetStringValue(file, mapped);
    key.Close();
    return written;
}

}  // namespace tn

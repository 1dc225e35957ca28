// map-set: writes one file-map entry through the hive store.
#include "commands.h"
#include "install/file_map.h"

namespace tnt {

int RunMapSet(const Invocation& run, Response& out)
{
    const wchar_t* owner = run.Arg(0);
    const wchar_t* file = run.Arg(1);
    const wchar_t* mapped = run.Arg(2);
    const wchar_t* sub = run.args.hasSub ? run.args.sub.c_str() : nullptr;
    const std::wstring keyPath = tn::FileMapKeyPath(owner, sub);

    out.json.Set(L"command", JsonValue::String(L"map-set"));
    out.json.Set(L"key", JsonValue::String(keyPath));
    out.json.Set(L"file", JsonValue::String(file));
    out.json.Set(L"mapped", JsonValue::String(mapped));

    const LONG rc = tn::WriteFileMapEntry(owner, sub, file, mapped);
    out.json.Set(L"error", JsonValue::Number(rc));
    if (rc == ERROR_SUCCESS) {
        out.Line(keyPath + L": " + file + L" = " + mapped);
        if (tn::IsDirectoryMacro(sub))
            out.Line(L"(a destination beginning with $ is looked up in the owner's own key)");
        return kExitAnswered;
    }
    if (rc == ERROR_INVALID_PARAMETER) {
        const std::wstring message =
            L"owner, file and mapped name must not be empty, the owner must not hold a "
            L"backslash, and the mapped name has at most " +
            std::to_wstring(tn::kMappedNameMaxChars) + L" characters";
        out.json.Set(L"message", JsonValue::String(message));
        out.Error(L"tninstall map-set: " + message);
        return kExitUsage;
    }
    if (rc == ERROR_MOD_NOT_FOUND) {
        out.Error(L"tninstall map-set: the hive store (Vaultcore.dll) cannot be loaded");
        return kExitUnavailable;
    }
    out.Error(L"tninstall map-set: the hive store refused the entry (error " +
              std::to_wstring(rc) + L")");
    return kExitEmpty;
}

}  // namespace tnt

// Whole installation trees: the demo installation with a few of its files
// replaced by mutated or generated ones (long lists, parent loops, moves of
// files between components, bad records, empty, missing or unreadable
// files), asked through all 19 exports in one long-running process. Every
// call must keep to its buffers and its result values, answer the same when
// asked again, answer a cut of its full answer in a small buffer, change no
// file, and leave no memory behind.
#include <windows.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "alloc_hooks.h"
#include "demo_files.h"
#include "demo_install.h"
#include "export_calls.h"
#include "fuzz_targets.h"
#include "mutator.h"
#include "platform/log.h"
#include "test_support.h"
#include "tree_hash.h"
#include "tree_input.h"

namespace tnrobust {
namespace {

constexpr uint64_t kCiIterations = 60;
constexpr size_t kBigBuffer = 4096;
constexpr int kSwitchOrdinal = 13;
constexpr int kGetSwitchOrdinal = 14;
constexpr int kSetLanguageOrdinal = 16;
constexpr int kOsVersionOrdinal = 19;
const wchar_t kRootToken[] = L"{I}";

bool IsStringOrdinal(int ordinal)
{
    return ordinal == 1 || ordinal == 2 || ordinal == 3 || ordinal == 5 || ordinal == 6 ||
           ordinal == 7 || ordinal == 18;
}

// Names the demo installation uses, and names it does not.
struct NamePools {
    std::vector<std::wstring> components, products, files, mapped, odd;
};

const NamePools& Pools()
{
    static const NamePools pools = [] {
        NamePools p;
        for (const DemoFile& file : DemoFiles()) {
            const std::wstring& path = file.relative;
            const size_t slash = path.find_last_of(L'\\');
            const std::wstring stem = path.substr(slash + 1, path.rfind(L'.') - slash - 1);
            if (path.find(L"\\Compose\\") != std::wstring::npos)
                p.components.push_back(stem);
            else if (path.find(L"\\Product\\") != std::wstring::npos)
                p.products.push_back(stem);
            for (const std::wstring& line : tntest::SplitLines(file.text))
                if (LooksLikeRecord(line))
                    p.files.push_back(line.substr(0, line.find(L'=')));
        }
        for (const tntest::FileMapEntry& entry : tntest::ReadDemoFileMap())
            p.mapped.push_back(entry.mapped);
        p.odd = {L"",        L" Core",       L"core",          L"x.y",         L"$X",
                 L"%TEMP%",  L"a\\b",        L"..\\Install\\install", L"New1", L"New2",
                 L"New3",    std::wstring(127, L'n'), std::wstring(128, L'n'),
                 std::wstring(259, L'n'), std::wstring(260, L'n'), std::wstring(511, L'n'),
                 std::wstring(512, L'n'), L"a,b",  L"TNOL",        L"\u6587\u4EF6"};
        return p;
    }();
    return pools;
}

const std::wstring& PickFrom(Rng& rng, const std::vector<std::wstring>& pool)
{
    return pool[rng.Below(uint32_t(pool.size()))];
}

std::wstring AnyName(Rng& rng)
{
    const NamePools& p = Pools();
    switch (rng.Below(5)) {
    case 0: return PickFrom(rng, p.products);
    case 1: return PickFrom(rng, p.files);
    case 2: return PickFrom(rng, p.odd);
    default: return PickFrom(rng, p.components);
    }
}

std::wstring ComponentName(Rng& rng)
{
    return rng.OneIn(4) ? PickFrom(rng, Pools().odd) : PickFrom(rng, Pools().components);
}

std::wstring ListOf(Rng& rng, std::wstring (*name)(Rng&))
{
    static const uint32_t kCounts[] = {0, 1, 2, 3, 5, 12, 60, 400};
    const uint32_t count = rng.Pick(kCounts);
    std::wstring list;
    for (uint32_t i = 0; i < count; ++i) {
        if (i > 0)
            list += rng.OneIn(12) ? L", " : rng.OneIn(12) ? L",," : L",";
        list += name(rng);
    }
    if (rng.OneIn(8))
        list += L",";
    return list;
}

std::wstring ProductName(Rng& rng)
{
    return rng.OneIn(4) ? PickFrom(rng, Pools().odd) : PickFrom(rng, Pools().products);
}

std::wstring GenInstallIni(Rng& rng)
{
    static const wchar_t* const kLangGroups[] = {L"0804,0409", L"", L"Lang0411", L"zz,0409",
                                                 L"0C0A"};
    return L"[InstallProduct]\nProductList=" + ListOf(rng, ProductName) +
           L"\n\n[InstallCompose]\nComposeList=" + ListOf(rng, ComponentName) +
           L"\nLangGroup=" + rng.Pick(kLangGroups) + L"\n";
}

std::wstring GenRecord(Rng& rng)
{
    static const wchar_t* const kDests[] = {L"",          L"bin",          L"$SYSTEM32",
                                            L"$SYSTEM32\\drivers", L"$WINDOWS\\Fonts",
                                            L"$OTHER\\x", L"%WINDIR%\\x",  L"%NOSUCHVAR%",
                                            L"bin\\",     L"..\\..\\up",  L"$"};
    static const wchar_t* const kMasks[] = {L"0", L"400", L"2000000", L"FFFFFFFF", L"", L" 400"};
    std::wstring dest = rng.Pick(kDests);
    if (rng.OneIn(10))
        dest += std::wstring(PickBoundaryLength(rng), L'd');
    const uint32_t items = rng.OneIn(6) ? rng.Below(16) : 16;
    std::wstring value = L"src," + dest;
    for (uint32_t i = 2; i < items; ++i)
        value += i == 15 ? std::wstring(L",") + rng.Pick(kMasks) : L",1";
    return value;
}

std::wstring GenComponent(Rng& rng, const std::wstring& name)
{
    static const wchar_t* const kPaths[] = {L"Program", L"", L"Program   ", L"..\\x",
                                            L"C:\\abs", L"Program\\", L"Program\\Engine"};
    std::wstring text = L"[Version]\nPath=";
    text += rng.OneIn(10) ? std::wstring(PickBoundaryLength(rng), L'p') : rng.Pick(kPaths);
    const wchar_t* const sections[] = {L"Files", L"More", L"Missing", L""};
    text += L"\n\n[HaveSection]\n" + (rng.OneIn(6) ? ComponentName(rng) : name) + L"=";
    const uint32_t listed = rng.Below(5);
    for (uint32_t i = 0; i < listed; ++i)
        text += (i ? L"," : L"") + std::wstring(rng.Pick(sections));
    for (const wchar_t* section : {L"Files", L"More"}) {
        text += std::wstring(L"\n\n[") + section + L"]\n";
        const uint32_t records = rng.Below(8);
        for (uint32_t i = 0; i < records; ++i)
            text += (rng.OneIn(3) ? AnyName(rng) : PickFrom(rng, Pools().files)) + L"=" +
                    GenRecord(rng) + L"\n";
    }
    text += L"\n[OldFile_Map]\n";
    const uint32_t moves = rng.Below(6);
    for (uint32_t i = 0; i < moves; ++i)
        text += PickFrom(rng, Pools().files) + L"=" + ComponentName(rng) + L"\n";
    return text;
}

std::wstring GenProduct(Rng& rng)
{
    static const wchar_t* const kIds[] = {L"101", L"", L"-5", L"2147483648", L"abc", L"0x10"};
    static const wchar_t* const kOs[] = {L"0", L"1000400", L"10000", L"FFFFFFFF", L""};
    std::wstring text = std::wstring(L"[Version]\nProductID=") + rng.Pick(kIds) +
                        L"\n\n[HaveCompose]\nAll=" + ListOf(rng, ComponentName) + L"\n";
    const uint32_t sections = rng.Below(8);
    for (uint32_t i = 0; i < sections; ++i) {
        text += L"\n[" + ComponentName(rng) + L"]\nParent=" +
                (rng.OneIn(4) ? L"\"\"" : ComponentName(rng)) + L"\nResource=" +
                ListOf(rng, ComponentName) + L"\nSupportOS=" + rng.Pick(kOs) + L"\nType=" +
                std::to_wstring(rng.Below(3)) + L"\nDetail0409=a||b|||c\n";
    }
    return text;
}

std::wstring DemoText(const std::wstring& relative)
{
    for (const DemoFile& file : DemoFiles())
        if (_wcsicmp(file.relative.c_str(), relative.c_str()) == 0)
            return file.text;
    return std::wstring();
}

TreeInput::File GenFile(Rng& rng)
{
    TreeInput::File file;
    const uint32_t kind = rng.Below(4);
    std::wstring text;
    if (kind == 0) {
        file.relative = L"Install\\install.ini";
        text = rng.OneIn(2) ? GenInstallIni(rng) : DemoText(file.relative);
    } else if (kind == 1) {
        const std::wstring name = rng.OneIn(5) ? PickFrom(rng, Pools().odd) : PickFrom(rng, Pools().products);
        file.relative = L"Install\\Product\\" + name + L".ini";
        text = rng.OneIn(2) ? GenProduct(rng) : DemoText(file.relative);
    } else {
        const std::wstring name = ComponentName(rng);
        file.relative = L"Install\\Compose\\" + name + L".ini";
        text = rng.OneIn(2) ? GenComponent(rng, name) : DemoText(file.relative);
    }
    switch (rng.Below(12)) {
    case 0: file.remove = true; return file;
    case 1: file.folder = true; return file;
    case 2: return file;  // empty
    default: break;
    }
    if (rng.OneIn(2))
        MutateText(text, rng, int(rng.Between(1, 6)));
    file.bytes = Utf16Bytes(text, !rng.OneIn(10), !rng.OneIn(5));
    if (rng.OneIn(8))
        MutateBytes(file.bytes, rng, 2);
    return file;
}

CallArg NameArg(Rng& rng, std::wstring (*name)(Rng&))
{
    return rng.OneIn(12) ? Null() : Text(name(rng));
}

std::wstring FileName(Rng& rng)
{
    if (rng.OneIn(4))
        return PickFrom(rng, Pools().mapped);
    return rng.OneIn(6) ? AnyName(rng) : PickFrom(rng, Pools().files);
}

ExportCall GenCall(Rng& rng, int ordinal)
{
    static const uint32_t kSizes[] = {0, 1, 2, 3, 16, 260, 2048};
    const uint32_t size = rng.Pick(kSizes);
    ExportCall call{ordinal, {}};
    auto& a = call.args;
    switch (ordinal) {
    case 1: a = {Buffer(size), Number(size), NameArg(rng, AnyName)}; break;
    case 2: a = {Buffer(size), Number(size)}; break;
    case 3: a = {Buffer(size), Number(size), NameArg(rng, ComponentName), NameArg(rng, FileName),
                 rng.OneIn(2) ? Null() : Text(rng.OneIn(2) ? L"bin" : L"$SYSTEM32")}; break;
    case 4: a = {Buffer(size), Number(size), NameArg(rng, FileName), rng.OneIn(4) ? Null() : Buffer(260)}; break;
    case 5: a = {Buffer(size), Number(size), NameArg(rng, ComponentName), NameArg(rng, FileName),
                 rng.OneIn(2) ? Null() : Text(rng.OneIn(2) ? L"bin" : L"")}; break;
    case 6: a = {Buffer(size), Number(size), NameArg(rng, ComponentName), NameArg(rng, AnyName)}; break;
    case 7: a = {Buffer(size), Number(size), NameArg(rng, ComponentName), Number(rng.Below(2))}; break;
    case 8: case 10: a = {NameArg(rng, ProductName)}; break;
    case 9: case 12: a = {NameArg(rng, ComponentName)}; break;
    case 11: {
        static const wchar_t* const kPaths[] = {L"Program\\tnmain.exe", L"Program\\Engine\\bin\\tnengine_412.dll",
                                                L"Online\\tnol.exe", L"x_2.dll", L""};
        a = {rng.OneIn(10) ? Null() : Text(std::wstring(kRootToken) + rng.Pick(kPaths))};
        break;
    }
    case 13: a = {Number(rng.OneIn(3) ? 0 : rng.OneIn(2) ? 1 : 7)}; break;
    case 16: a = {Number(rng.OneIn(2) ? 0x0409 : rng.Next() & 0xFFFFFFFF)}; break;
    case 17: a = {Buffer(size), Number(size * 2)}; break;
    case 18: a = {Buffer(size), Number(size), NameArg(rng, FileName), rng.OneIn(4) ? Null() : Buffer(512)}; break;
    case 19: a = {rng.OneIn(2) ? IntOut() : Null()}; break;
    default: break;
    }
    return call;
}

std::string Generate(uint64_t seed)
{
    Rng rng(seed);
    TreeInput input;
    const uint32_t files = rng.Between(1, 4);
    for (uint32_t i = 0; i < files; ++i)
        input.files.push_back(GenFile(rng));
    std::vector<int> ordinals;
    for (int o = 1; o <= 19; ++o)
        ordinals.push_back(o);
    const uint32_t extra = rng.Below(16);
    for (uint32_t i = 0; i < extra; ++i)
        ordinals.push_back(int(rng.Between(1, 19)));
    for (size_t i = ordinals.size(); i > 1; --i)
        std::swap(ordinals[i - 1], ordinals[rng.Below(uint32_t(i))]);
    for (int ordinal : ordinals)
        input.calls.push_back(GenCall(rng, ordinal));
    return SaveTreeInput(input);
}

std::wstring WithRoot(const std::wstring& text, const std::wstring& root)
{
    std::wstring out = text;
    for (size_t at = out.find(kRootToken); at != std::wstring::npos;
         at = out.find(kRootToken, at + root.size()))
        out.replace(at, wcslen(kRootToken), root);
    return out;
}

std::wstring FullPath(const std::wstring& path)
{
    wchar_t full[MAX_PATH * 4];
    const DWORD length = GetFullPathNameW(path.c_str(), MAX_PATH * 4, full, nullptr);
    return length > 0 && length < MAX_PATH * 4 ? std::wstring(full, length) : path;
}

class TreeCheck {
public:
    TreeCheck(const std::wstring& root, DWORD osMask)
        : root_(root), osMask_(osMask), demoHash_(HashTree(root))
    {
    }

    std::string operator()(const std::string& saved)
    {
        const TreeInput input = LoadTreeInput(saved);
        Restore();
        // Every input starts from the demo installation as it was written.
        if (HashTree(root_) != demoHash_)
            return "the demo installation was not restored before this input";
        for (const TreeInput::File& file : input.files)
            Apply(file);
        const ExportTable exports = LinkedExports();
        RunCall(exports, {kSwitchOrdinal, {Number(1)}});
        int fileMapSwitch = 1;

        const uint64_t before = HashTree(root_);
        const int64_t live = LiveBlocks();
        std::string problem;
        for (const ExportCall& original : input.calls) {
            ExportCall call = original;
            for (CallArg& arg : call.args)
                if (arg.kind == CallArg::Text)
                    arg.text = WithRoot(arg.text, root_);
            problem = CheckCall(exports, call, fileMapSwitch);
            if (!problem.empty()) {
                problem = tntest::ToUtf8(FormatCall(original)) + ": " + problem;
                break;
            }
        }
        RunCall(exports, {kSwitchOrdinal, {Number(1)}});
        if (problem.empty() && LiveBlocks() != live)
            problem = "memory left behind: " + std::to_string(LiveBlocks() - live) + " blocks";
        if (problem.empty() && HashTree(root_) != before)
            problem = "the calls changed a file";
        return problem;
    }

    void Restore()
    {
        for (const std::wstring& path : touched_) {
            RemoveDirectoryW(path.c_str());
            SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            DeleteFileW(path.c_str());
            for (const DemoFile& file : DemoFiles())
                if (_wcsicmp(FullPath(root_ + file.relative).c_str(), path.c_str()) == 0)
                    WriteFileBytes(root_ + file.relative, Utf16Bytes(file.text, true, true));
        }
        touched_.clear();
    }

private:
    void Apply(const TreeInput::File& file)
    {
        // Names such as "..\\x" reach files under other names: the full
        // path is what is restored afterwards.
        const std::wstring path = FullPath(root_ + file.relative);
        touched_.push_back(path);
        RemoveDirectoryW(path.c_str());
        DeleteFileW(path.c_str());
        if (file.folder)
            CreateDirectoryW(path.c_str(), nullptr);
        else if (!file.remove)
            WriteFileBytes(path, file.bytes);
    }

    std::string CheckCall(const ExportTable& exports, const ExportCall& call, int& fileMapSwitch)
    {
        const CallOutcome first = RunCall(exports, call);
        const std::string line = tntest::ToUtf8(first.Line());
        if (first.overrun)
            return "wrote past a buffer: " + line;
        for (const std::wstring& output : first.outputs)
            if (output.find(L"<unterminated>") != std::wstring::npos)
                return "left a buffer unterminated: " + line;
        const int ordinal = call.ordinal;
        const int32_t r = first.result;
        if (ordinal == kSwitchOrdinal) {
            if (r != fileMapSwitch)
                return "the switch answered " + line;
            fileMapSwitch = int(call.args[0].number);
            return "";
        }
        if (ordinal == kGetSwitchOrdinal)
            return r == fileMapSwitch ? "" : "the switch reads " + line;
        if (ordinal == kSetLanguageOrdinal || ordinal == 15)
            return ordinal == 15 || r == 0 || r == 1 ? "" : "answered " + line;
        if (ordinal == kOsVersionOrdinal)
            return DWORD(r) == osMask_ ? "" : "another Windows class: " + line;
        if (ordinal != 8 && r != 0 && r != 1)
            return "answered " + line;

        // Asked again, the same answer.
        const CallOutcome second = RunCall(exports, call);
        if (second.Line() != first.Line())
            return "answered " + line + " then " + tntest::ToUtf8(second.Line());

        if (IsStringOrdinal(ordinal)) {
            const std::wstring& shown = first.outputs[0];
            if (r == 0 && shown != L"b=<untouched>")
                return "answered 0 but wrote its buffer: " + line;
            if (ordinal == 18 && r == 0 && first.outputs.size() > 1 &&
                first.outputs[1] != L"b=<untouched>")
                return "answered 0 but wrote the component buffer: " + line;
            // In a small buffer, the full answer cut to fit.
            const size_t size = call.args[0].units;
            ExportCall big = call;
            big.args[0] = Buffer(kBigBuffer);
            big.args[1] = Number(uint32_t(kBigBuffer));
            const CallOutcome full = RunCall(exports, big);
            if (size == 0 || full.result == 0)
                return r == 0 ? "" : "answered in a small buffer only: " + line;
            const std::wstring whole = full.outputs[0].substr(2);
            const std::wstring expected = L"b=" + whole.substr(0, size - 1);
            if (r != 1 || shown != expected)
                return "a small buffer holds " + line + " of " + tntest::ToUtf8(whole);
        }
        if (ordinal == 4 && call.args[0].units > 0 && first.outputs[0] == L"b=<untouched>")
            return "left its buffer untouched: " + line;
        return "";
    }

    std::wstring root_;
    DWORD osMask_;
    uint64_t demoHash_;
    std::vector<std::wstring> touched_;
};

}  // namespace

int FuzzTree(const FuzzOptions& options)
{
    const std::wstring work = MakeWorkDir(options.workDir, L"tnfuzz-tree");
    const std::wstring root = work + L"Suite\\";
    WriteDemoTree(root);
    tntest::DeleteVaultTree(L"FileMap");
    for (const tntest::FileMapEntry& entry : tntest::ReadDemoFileMap())
        tntest::SetVaultString(entry.key, entry.name.c_str(), entry.mapped.c_str());
    int code = 0;
    {
        tntest::MachineValue install(L"InstallPath", root.c_str());
        tntest::MachineValue backup(L"BackupPath", (work + L"Backup").c_str());
        tntest::MachineValue oem(L"OemName", L"Tessaron Demo Edition");
        // The log folder is fixed by the first line the process writes; it
        // is written here so that no input is charged with it.
        tn::WriteLogA("tn_fuzz tree: start");
        const ExportTable exports = LinkedExports();
        const DWORD mask = DWORD(RunCall(exports, {kOsVersionOrdinal, {Null()}}).result);
        TreeCheck check(root, mask);
        code = RunFuzz(options, kCiIterations, L"tree", L".txt", Generate,
                       [&check](const std::string& input) { return check(input); });
        check.Restore();
    }
    tntest::DeleteVaultTree(L"FileMap");
    tntest::DeleteVaultTree(L"UI");
    tntest::RemoveTree(work);
    return code;
}

}  // namespace tnrobust

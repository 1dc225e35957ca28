// tn_churn: the two sides of the files-changing-underneath test.
//   tn_churn write <atomic|inplace> <folder> <stop file> <seed>
//     Until the stop file exists, rewrites the files kept in the folder
//     "versions" of <folder> (each as <name>.a and <name>.b, UTF-16 as the
//     installation keeps them) over their places in the folder "Suite",
//     picking file and version at random. "atomic" replaces each file whole, as the
//     library's own save does; "inplace" rewrites the open file in three
//     pieces with pauses, as other programs may. Prints the writes made.
//   tn_churn query <calls file> <rounds>
//     Loads TNInstall.dll beside it and makes the calls of the file (one a
//     line, in the probe's syntax) <rounds> times, printing
//     "<call number>\t<answer line>" for each.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "export_calls.h"
#include "file_util.h"
#include "platform/file_io.h"
#include "rng.h"
#include "test_support.h"

namespace {

using tnrobust::ReadFileBytes;

struct Target {
    std::wstring path;
    std::string versions[2];
};

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// Writes the file in three pieces through one handle opened for sharing,
// pausing between them; false when the file cannot be opened now.
bool RewriteInPlace(const std::wstring& path, const std::string& bytes)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    const size_t third = bytes.size() / 3 + 1;
    for (size_t at = 0; at < bytes.size(); at += third) {
        DWORD written = 0;
        const DWORD n = DWORD(bytes.size() - at < third ? bytes.size() - at : third);
        WriteFile(file, bytes.data() + at, n, &written, nullptr);
        FlushFileBuffers(file);
        Sleep(1);
    }
    SetEndOfFile(file);
    CloseHandle(file);
    return true;
}

int Write(const std::wstring& mode, std::wstring folder, const std::wstring& stopFile,
          uint64_t seed)
{
    if (!folder.empty() && folder.back() != L'\\')
        folder += L'\\';
    std::vector<Target> targets;
    const std::wstring versions = folder + L"versions\\";
    for (const std::wstring& file : tnrobust::ListFiles(versions.substr(0, versions.size() - 1))) {
        if (file.size() < 2 || file.compare(file.size() - 2, 2, L".a") != 0)
            continue;
        const std::wstring relative = file.substr(versions.size(), file.size() - versions.size() - 2);
        Target target;
        // Names in the versions folder use "#" for the backslash.
        std::wstring place = relative;
        for (wchar_t& c : place)
            if (c == L'#')
                c = L'\\';
        target.path = folder + L"Suite\\" + place;
        target.versions[0] = ReadFileBytes(file);
        target.versions[1] = ReadFileBytes(versions + relative + L".b");
        targets.push_back(target);
    }
    if (targets.empty())
        return 2;
    tnrobust::Rng rng(seed);
    const bool atomic = mode == L"atomic";
    unsigned long writes = 0, refused = 0;
    while (!Exists(stopFile)) {
        const Target& target = targets[rng.Below(uint32_t(targets.size()))];
        const std::string& bytes = target.versions[rng.Below(2)];
        // A reader holding the file open keeps it from being replaced or
        // written; the writer then tries again later.
        const bool done = atomic ? tn::ReplaceFileContent(target.path.c_str(), bytes.data(), bytes.size())
                                 : RewriteInPlace(target.path, bytes);
        if (done)
            ++writes;
        else
            ++refused;
        if (writes + refused > 0 && (writes + refused) % 64 == 0)
            Sleep(1);
    }
    std::printf("writes=%lu refused=%lu\n", writes, refused);
    return 0;
}

int Query(const std::wstring& callsFile, unsigned rounds)
{
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring dir(self);
    dir.erase(dir.find_last_of(L'\\') + 1);
    HMODULE dll = LoadLibraryW((dir + L"TNInstall.dll").c_str());
    if (!dll)
        return 2;
    const tnrobust::ExportTable exports = tnrobust::ExportsOfModule(dll);
    std::vector<tnrobust::ExportCall> calls;
    const std::wstring text = tntest::FromUtf8(ReadFileBytes(callsFile));
    for (const std::wstring& line : tntest::SplitLines(text))
        if (!line.empty())
            calls.push_back(tnrobust::ParseCall(line));
    std::string out;
    for (unsigned round = 0; round < rounds; ++round) {
        for (size_t i = 0; i < calls.size(); ++i) {
            const tnrobust::CallOutcome outcome = tnrobust::RunCall(exports, calls[i]);
            out += std::to_string(i) + "\t" + tntest::ToUtf8(outcome.Line()) + "\n";
        }
    }
    std::fwrite(out.data(), 1, out.size(), stdout);
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    const std::wstring command = argc > 1 ? argv[1] : L"";
    if (command == L"write" && argc == 6)
        return Write(argv[2], argv[3], argv[4], wcstoull(argv[5], nullptr, 0));
    if (command == L"query" && argc == 4)
        return Query(argv[2], unsigned(_wtoi(argv[3])));
    std::fprintf(stderr, "usage: tn_churn write <atomic|inplace> <folder> <stop file> <seed>\n"
                         "       tn_churn query <calls file> <rounds>\n");
    return 2;
}

// tn_limits: measures how far the library goes and how long a lookup takes
// there. Each experiment builds an installation tree of growing size, asks
// one export (the shims compiled in, as the DLL has them) and prints the
// size, the time of the call and its answer, so that growth can be read off
// as linear or not. With --quick only the two smallest sizes run (the test
// suite checks that the experiments still answer); --work DIR puts the trees
// in DIR; --only WORD runs the experiments whose name holds WORD; --sizes
// N,N,... runs them at those sizes instead (to look for where one fails).
#include <windows.h>

#include <cstdio>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "config/component.h"
#include "demo_files.h"
#include "export_calls.h"
#include "file_util.h"
#include "install/layout.h"
#include "mutator.h"
#include "test_support.h"
#include "install/log_folder.h"

namespace tnrobust {
namespace {

double Now()
{
    LARGE_INTEGER counter, frequency;
    QueryPerformanceCounter(&counter);
    QueryPerformanceFrequency(&frequency);
    return double(counter.QuadPart) * 1000.0 / double(frequency.QuadPart);
}

// A UTF-16LE file with its byte-order mark, written piece by piece with LF
// as CR LF, so that a file larger than the memory of a 32-bit process can be
// made; only a small buffer is held.
class TextFile {
public:
    explicit TextFile(const std::wstring& path)
    {
        MakeParentDirs(path);
        file_ = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        Put(0xFEFF);
    }
    ~TextFile()
    {
        Flush();
        if (file_ != INVALID_HANDLE_VALUE)
            CloseHandle(file_);
    }
    TextFile(const TextFile&) = delete;
    TextFile& operator=(const TextFile&) = delete;

    TextFile& operator<<(const std::wstring& text)
    {
        for (wchar_t c : text) {
            if (c == L'\n')
                Put(L'\r');
            Put(c);
        }
        return *this;
    }
    // The same character `count` times.
    void Repeat(wchar_t c, size_t count)
    {
        for (size_t i = 0; i < count; ++i)
            Put(c);
    }
    // Code units of the text written so far (CR LF counts two).
    uint64_t Units() const { return units_; }

private:
    static constexpr size_t kBufferBytes = 1 << 20;

    void Put(wchar_t c)
    {
        buffer_ += char(c & 0xFF);
        buffer_ += char((c >> 8) & 0xFF);
        ++units_;
        if (buffer_.size() >= kBufferBytes)
            Flush();
    }
    void Flush()
    {
        DWORD written = 0;
        if (!buffer_.empty() && file_ != INVALID_HANDLE_VALUE)
            WriteFile(file_, buffer_.data(), DWORD(buffer_.size()), &written, nullptr);
        buffer_.clear();
    }

    HANDLE file_ = INVALID_HANDLE_VALUE;
    std::string buffer_;
    uint64_t units_ = 0;
};

void WriteText(const std::wstring& path, const std::wstring& text) { TextFile(path) << text; }

// One tree per measurement, below the work folder, set as the install
// directory for the call.
class Tree {
public:
    Tree(const std::wstring& work, const std::wstring& name) : root_(work + name + L"\\")
    {
        tntest::RemoveTree(root_);
        CreateDirectoryW(root_.c_str(), nullptr);
        install_ = std::make_unique<tntest::MachineValue>(L"InstallPath", root_.c_str());
        tn::ResetInstallDirCacheForTesting();
    }
    ~Tree()
    {
        install_.reset();
        tn::ResetInstallDirCacheForTesting();
        tntest::RemoveTree(root_);
    }
    const std::wstring& Root() const { return root_; }
    void Compose(const std::wstring& name, const std::wstring& text) const
    {
        WriteText(ComposePath(name), text);
    }
    std::wstring ComposePath(const std::wstring& name) const
    {
        return root_ + L"Install\\Compose\\" + name + L".ini";
    }
    std::wstring ProductPath(const std::wstring& name) const
    {
        return root_ + L"Install\\Product\\" + name + L".ini";
    }
    void Product(const std::wstring& name, const std::wstring& text) const
    {
        WriteText(ProductPath(name), text);
    }
    void InstallIni(const std::wstring& text) const { WriteText(root_ + L"Install\\install.ini", text); }

private:
    std::wstring root_;
    std::unique_ptr<tntest::MachineValue> install_;
};

const std::wstring kRecordTail = L",1,2,3,4,5,6,7,8,a,b,1F,c,9,0";

struct Timed {
    double ms;
    std::wstring answer;
};

// Set when an allocation fails (the new handler below): an export that
// runs out of memory answers its failure value, which alone would read as
// "not found".
bool g_outOfMemory = false;

void NoteOutOfMemory()
{
    g_outOfMemory = true;
    throw std::bad_alloc();
}

// The call's time (the better of two runs, the file cache warm) and answer.
Timed TimeCall(const std::wstring& callText)
{
    const ExportTable exports = LinkedExports();
    const ExportCall call = ParseCall(callText);
    Timed best{1e300, L""};
    for (int run = 0; run < 2; ++run) {
        g_outOfMemory = false;
        const double start = Now();
        const CallOutcome outcome = RunCall(exports, call);
        const double ms = Now() - start;
        if (ms < best.ms)
            best = {ms, outcome.Line() + (g_outOfMemory ? L" (out of memory)" : L"")};
    }
    return best;
}

void Report(const char* experiment, const std::string& size, const Timed& timed, size_t cut = 70)
{
    std::wstring answer = timed.answer;
    if (answer.size() > cut)
        answer = answer.substr(0, cut) + L"...";
    std::printf("%-26s %-28s %10.1f ms  %s\n", experiment, size.c_str(), timed.ms,
                tntest::ToUtf8(answer).c_str());
    std::fflush(stdout);
}

std::string Count(size_t n) { return std::to_string(n); }

// Runs one step of an experiment. A step whose own work (making the tree,
// or a whole-component load, which is not an export) runs out of memory is
// reported as such and the experiment goes on; an export that runs out of
// memory answers its failure value, which is reported as its answer.
template <class Step>
void Guarded(const char* experiment, const std::string& size, Step step)
{
    try {
        step();
    } catch (const std::bad_alloc&) {
        std::printf("%-26s %-28s %13s  out of memory\n", experiment, size.c_str(), "");
        std::fflush(stdout);
    }
}

// A component file of about `megabytes`, its records in one section; the
// record asked for is the last line.
void LargestFile(const std::wstring& work, const std::vector<size_t>& sizes)
{
    for (size_t megabytes : sizes) {
        Guarded("largest file", Count(megabytes) + " MB", [&] {
            Tree tree(work, L"big");
            {
                TextFile file(tree.ComposePath(L"Big"));
                file << L"[Version]\nPath=P\n[HaveSection]\nBig=Files\n[Files]\n";
                const uint64_t units = uint64_t(megabytes) * 1024 * 1024 / 2;
                for (size_t i = 0; file.Units() < units; ++i)
                    file << L"f" + std::to_wstring(i) + L".dll=src," + kRecordTail + L"\n";
                file << L"target.dll=src,bin" + kRecordTail + L"\n";
            }
            tree.InstallIni(L"[InstallCompose]\nComposeList=Big\n");
            Report("largest file", Count(megabytes) + " MB",
                   TimeCall(L"5|b:260|i:260|s:Big|s:target.dll|n"));
            Report("", "  (search of installed)", TimeCall(L"18|b:260|i:260|s:target.dll|b:512"));
        });
    }
}

// One physical line of `length` characters in a component file: the line
// is read in pieces and cut, the rest of the file after it is not read.
void LongestLine(const std::wstring& work, const std::vector<size_t>& lengths)
{
    for (size_t length : lengths) {
        Guarded("longest line", Count(length) + " characters", [&] {
            Tree tree(work, L"line");
            {
                TextFile file(tree.ComposePath(L"Line"));
                file << L"[Version]\nPath=P\n[HaveSection]\nLine=Files\n[Files]\nlong.dll=src,bin,";
                file.Repeat(L'x', length);
                file << L"\nafter.dll=src,bin" + kRecordTail + L"\n";
            }
            Report("longest line", Count(length) + " characters",
                   TimeCall(L"5|b:260|i:260|s:Line|s:after.dll|n"));
        });
    }
}

// A product whose one listed component has a chain of `depth` parents.
void ParentChain(const std::wstring& work, const std::vector<size_t>& depths)
{
    for (size_t depth : depths) {
        Guarded("parent chain", Count(depth) + " parents", [&] {
            Tree tree(work, L"chain");
            {
                TextFile file(tree.ProductPath(L"P"));
                file << L"[Version]\nProductID=7\n[HaveCompose]\nAll=A0\n";
                for (size_t i = 0; i < depth; ++i)
                    file << L"[A" + std::to_wstring(i) + L"]\nParent=A" + std::to_wstring(i + 1) + L"\n";
            }
            tree.InstallIni(L"[InstallProduct]\nProductList=P\n");
            Report("parent chain", Count(depth) + " parents",
                   TimeCall(L"7|b:260|i:260|s:A" + std::to_wstring(depth) + L"|i:1"));
        });
    }
}

// `length` components, each sending the file on to the next through
// [OldFile_Map]; the last holds its record.
void OldFileMapChain(const std::wstring& work, const std::vector<size_t>& lengths)
{
    for (size_t length : lengths) {
        Tree tree(work, L"moves");
        for (size_t i = 0; i < length; ++i) {
            const std::wstring name = L"M" + std::to_wstring(i);
            std::wstring text = L"[Version]\nPath=" + name + L"\n[HaveSection]\n" + name + L"=Files\n[Files]\n";
            if (i + 1 == length)
                text += L"f.dll=src,bin" + kRecordTail + L"\n";
            else
                text += L"[OldFile_Map]\nf.dll=M" + std::to_wstring(i + 1) + L"\n";
            tree.Compose(name, text);
        }
        Report("[OldFile_Map] chain", Count(length) + " components",
               TimeCall(L"5|b:260|i:260|s:M0|s:f.dll|n"));
    }
}

// As many installed components as ComposeList can name in one line; the
// file asked for is in the last one, so the search reads every file.
void InstalledComponents(const std::wstring& work, const std::vector<size_t>& widths)
{
    for (size_t width : widths) {
        Tree tree(work, L"many");
        std::vector<std::wstring> names;
        std::wstring list;
        const size_t room = 2047 - wcslen(L"ComposeList=");
        for (size_t i = 0;; ++i) {
            // Names of `width` characters: digits, or for one character a
            // run of CJK ideographs, so that there are enough of them.
            std::wstring name;
            if (width == 1) {
                name = std::wstring(1, wchar_t(0x4E00 + i));
            } else {
                name = std::to_wstring(i);
                name = std::wstring(width - name.size(), L'c') + name;
            }
            if (list.size() + (list.empty() ? 0 : 1) + name.size() > room)
                break;
            list += (list.empty() ? L"" : L",") + name;
            names.push_back(name);
        }
        for (size_t i = 0; i < names.size(); ++i) {
            const std::wstring file = i + 1 == names.size() ? L"last.dll" : L"other.dll";
            tree.Compose(names[i], L"[Version]\nPath=" + std::to_wstring(i) + L"\n[HaveSection]\n" +
                                       names[i] + L"=Files\n[Files]\n" + file + L"=src,bin" +
                                       kRecordTail + L"\n");
        }
        tree.InstallIni(L"[InstallCompose]\nComposeList=" + list + L"\n");
        const std::string label = Count(names.size()) + " of " + Count(width) + " char";
        Report("installed components", label, TimeCall(L"18|b:260|i:260|s:last.dll|b:512"));
        Report("", "  (IsComponentInstalled)", TimeCall(L"9|s:" + EscapeText(names.back())));
    }
}

// The same limit for products: each installed product is read to answer
// which products hold a component.
void InstalledProducts(const std::wstring& work, const std::vector<size_t>& counts)
{
    for (size_t count : counts) {
        Tree tree(work, L"products");
        std::wstring list;
        for (size_t i = 0; i < count; ++i) {
            const std::wstring name = L"P" + std::to_wstring(i);
            list += (list.empty() ? L"" : L",") + name;
            tree.Product(name, L"[Version]\nProductID=" + std::to_wstring(i) +
                                   L"\n[HaveCompose]\nAll=Core,X" + std::to_wstring(i) + L"\n");
        }
        tree.InstallIni(L"[InstallProduct]\nProductList=" + list + L"\n");
        Report("installed products", Count(count) + " products",
               TimeCall(L"7|b:8192|i:8192|s:X" + std::to_wstring(count - 1) + L"|i:0"));
    }
}

// A component with many sections, its [HaveSection] line naming as many
// as fit (the line holds 2047 characters) and the record in the last named.
void ListedSections(const std::wstring& work, const std::vector<size_t>& counts)
{
    for (size_t count : counts) {
        Tree tree(work, L"sections");
        std::wstring listed;
        size_t named = 0;
        for (; named < count; ++named) {
            const std::wstring name = L"S" + std::to_wstring(count - 1 - named);
            if (4 + listed.size() + 1 + name.size() > 2047)
                break;
            listed += (listed.empty() ? L"" : L",") + name;
        }
        const size_t holder = count - named;  // the last section named
        std::wstring text = L"[Version]\nPath=P\n[HaveSection]\nSec=" + listed + L"\n";
        for (size_t i = 0; i < count; ++i)
            text += L"[S" + std::to_wstring(i) + L"]\n" +
                    (i == holder ? L"f.dll=src,bin" + kRecordTail + L"\n" : L"");
        tree.Compose(L"Sec", text);
        Report("sections in a component", Count(count) + ", " + Count(named) + " named",
               TimeCall(L"5|b:260|i:260|s:Sec|s:f.dll|n"));
    }
}

// Loading a whole component (as tools do, not the exports): records of one
// component, each checked against those loaded before it.
void ComponentRecords(const std::wstring& work, const std::vector<size_t>& counts)
{
    for (size_t count : counts) {
        Guarded("records of CComponent::Load", Count(count) + " records", [&] {
            Tree tree(work, L"records");
            {
                TextFile file(tree.ComposePath(L"R"));
                file << L"[Version]\nPath=P\n[HaveSection]\nR=Files\n[Files]\n";
                for (size_t i = 0; i < count; ++i)
                    file << L"f" + std::to_wstring(i) + L".dll=src," + kRecordTail + L"\n";
            }
            // Not an export: running out of memory here throws std::bad_alloc.
            auto component = std::make_unique<tn::CComponent>(tn::GetComposeFilePath(L"R").c_str());
            const double start = Now();
            const int code = component->Load();
            Report("records of CComponent::Load", Count(count) + " records",
                   {Now() - start, L"code=" + std::to_wstring(code) + L" entries=" +
                                       std::to_wstring(component->Entries.size())});
        });
    }
}

}  // namespace
}  // namespace tnrobust

int wmain(int argc, wchar_t** argv)
{
    tn::UseInstallLogFolder();
    using namespace tnrobust;
    std::set_new_handler(NoteOutOfMemory);
    bool quick = false;
    std::wstring work;
    std::wstring only;
    std::vector<size_t> sizes;
    for (int i = 1; i < argc; ++i) {
        const std::wstring arg = argv[i];
        if (arg == L"--quick")
            quick = true;
        else if (arg == L"--work" && i + 1 < argc)
            work = argv[++i];
        else if (arg == L"--only" && i + 1 < argc)
            only = argv[++i];
        else if (arg == L"--sizes" && i + 1 < argc)
            for (const wchar_t* p = argv[++i]; *p;) {
                wchar_t* end = nullptr;
                sizes.push_back(size_t(wcstoull(p, &end, 10)));
                p = *end == L',' ? end + 1 : end + wcslen(end);
            }
    }
    work = MakeWorkDir(work, L"tnlimits");
    auto pick = [quick, &sizes](std::vector<size_t> own) {
        if (!sizes.empty())
            return sizes;
        if (quick)
            own.resize(2);
        return own;
    };
    struct Experiment {
        const wchar_t* name;
        void (*run)(const std::wstring&, const std::vector<size_t>&);
        std::vector<size_t> sizes;
    } const experiments[] = {
        {L"file", LargestFile, {1, 4, 16, 64, 256, 512}},
        {L"line", LongestLine, {3000, 1 << 20, 16 << 20, 64 << 20}},
        {L"parents", ParentChain, {1000, 10000, 100000, 1000000}},
        {L"moves", OldFileMapChain, {10, 100, 1000, 10000}},
        {L"components", InstalledComponents, {4, 1}},
        {L"products", InstalledProducts, {10, 100, 339}},
        {L"sections", ListedSections, {1000, 10000, 100000}},
        {L"records", ComponentRecords, {1000, 4000, 16000, 64000, 256000}},
    };
    for (const Experiment& experiment : experiments)
        if (only.empty() || std::wstring(experiment.name).find(only) != std::wstring::npos)
            experiment.run(work, pick(experiment.sizes));
    tntest::RemoveTree(work);
    return 0;
}

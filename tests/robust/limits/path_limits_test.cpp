// The fixed buffers of paths, names and the caller's buffers at their
// limits, each at one below, at and one above: the install and backup
// directories (260), INI paths (259), file-name parts (260), the caller's
// buffers and the copy rule, the owner buffer (260) and mapped names (260)
// of the file map, environment expansions and normalised names (260),
// component names against the path limit, and the log's path (260 bytes)
// and line buffers.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <memory>
#include <string>

#include "config/component.h"
#include "config/ini_reader.h"
#include "export_calls.h"
#include "hive_double.h"
#include "install/file_locator.h"
#include "install/layout.h"
#include "install/product.h"
#include "limits_support.h"
#include "platform/log.h"
#include "platform/log_line.h"
#include "test_support.h"

namespace tnrobust {
namespace {

const int kAround[] = {-1, 0, 1};

std::wstring BufferText(const CallOutcome& outcome, size_t index = 0)
{
    return outcome.outputs[index].substr(2);
}

// The copy rule: an answer of size - 1 arrives whole, a longer one is cut,
// and nothing lands past the buffer.
TEST(PathLimits, CallerBuffersAndTheCopyRule)
{
    LimitsInstall install;
    const ExportTable exports = LinkedExports();
    const std::wstring answer = install.Root() + L"suffix";
    const size_t n = answer.size();
    for (const size_t size : {n, n + 1, n + 2, size_t(1)}) {
        const CallOutcome outcome = RunCall(
            exports, {1, {Buffer(size), Number(uint32_t(size)), Text(L"suffix")}});
        ASSERT_FALSE(outcome.overrun) << size;
        EXPECT_EQ(1, outcome.result) << size;
        EXPECT_EQ(answer.substr(0, size - 1), BufferText(outcome)) << size;
    }
    const CallOutcome none = RunCall(exports, {1, {Buffer(0), Number(0), Text(L"suffix")}});
    EXPECT_EQ(L"ret=0 b=<untouched>", none.Line());
}

// GetOemName counts its buffer in bytes: a value one byte larger than the
// capacity is not read, and nothing lands past the capacity.
TEST(PathLimits, OemNameInBytes)
{
    tntest::MachineValue oem(L"OemName", L"Tessaron");  // 18 bytes with the terminator
    const ExportTable exports = LinkedExports();
    for (int d : kAround) {
        const uint32_t capacity = 18 + d;
        const CallOutcome outcome = RunCall(exports, {17, {Buffer((capacity + 1) / 2), Number(capacity)}});
        ASSERT_FALSE(outcome.overrun) << capacity;
        EXPECT_EQ(d < 0 ? 0 : 1, outcome.result) << capacity;
        if (d >= 0) {
            EXPECT_EQ(L"Tessaron", BufferText(outcome));
        }
    }
}

// The install-directory cache and the backup buffer hold 260 units: a value
// fits with its added separator and terminator, or counts as missing.
TEST(PathLimits, DirectoryValuesOf260Units)
{
    struct Case {
        size_t length;    // characters stored
        bool separator;   // the value ends in "\"
        bool terminated;  // stored with its terminator
        bool kept;
    } const cases[] = {
        {257, false, true, true},  {258, false, true, true},  {259, false, true, false},
        {258, true, true, true},   {259, true, true, true},   {260, true, true, false},
        {260, true, false, false},
    };
    for (const Case& c : cases) {
        std::wstring value = L"C:\\" + std::wstring(c.length - 3 - (c.separator ? 1 : 0), L'd');
        if (c.separator)
            value += L'\\';
        ASSERT_EQ(c.length, value.size());
        const std::wstring expected = c.kept ? (c.separator ? value : value + L"\\") : L"";
        for (const wchar_t* name : {L"InstallPath", L"BackupPath"}) {
            tntest::MachineValue saved(name, nullptr);
            tntest::SetMachineBytes(name, REG_SZ, value.c_str(),
                                    DWORD((value.size() + (c.terminated ? 1 : 0)) * sizeof(wchar_t)));
            tn::ResetInstallDirCacheForTesting();
            const std::wstring got = std::wstring(name) == L"InstallPath" ? tn::GetInstallDir() : tn::GetBackupDir();
            EXPECT_EQ(expected, got) << tntest::ToUtf8(name) << " " << c.length;
        }
    }
    tn::ResetInstallDirCacheForTesting();
}

// An INI path holds 259 characters; a longer one is refused, not cut.
TEST(PathLimits, IniPathsOf259Characters)
{
    tntest::TempDir dir;
    for (int d : kAround) {
        const size_t length = tn::CIniReader::kMaxPathChars + d;
        const std::wstring path = dir.Path() + std::wstring(length - dir.Path().size(), L'p');
        if (length < MAX_PATH)
            tntest::WriteUtf16(path, L"[s]\nk=v\n");
        tn::CIniReader ini;
        EXPECT_EQ(d <= 0, ini.Load(path.c_str())) << length;
        EXPECT_EQ(d <= 0 ? path : L"", std::wstring(ini.GetPath())) << length;
    }
}

// Component and product names are taken from a file name in 260 units.
TEST(PathLimits, FileNamePartsOf260Units)
{
    for (int d : kAround) {
        const std::wstring name(259 + d, L'n');
        const tn::CComponent component((L"C:\\x\\" + name).c_str());
        EXPECT_EQ(std::min<size_t>(name.size(), 259), component.Name.size()) << name.size();
        tn::CProduct product;
        product.Load((L"C:\\x\\" + name).c_str(), tn::LocInstall, nullptr, 0);
        EXPECT_EQ(std::min<size_t>(name.size(), 259), product.Name.size()) << name.size();
    }
}

// A component's description file path must fit 259 characters: the longest
// name that does is found, and its name fills the component buffer whole;
// one character more and the file is not read.
TEST(PathLimits, ComponentNamesAgainstThePathLimit)
{
    LimitsInstall install;
    const ExportTable exports = LinkedExports();
    const size_t fixed = install.ComposeFile(L"").size();  // the path without the name
    for (int d : kAround) {
        const std::wstring name(tn::CIniReader::kMaxPathChars - fixed + d, L'c');
        const std::wstring path = install.ComposeFile(name);
        ASSERT_EQ(tn::CIniReader::kMaxPathChars + d, path.size());
        // Written through the extended-length form, which has no MAX_PATH limit.
        tntest::WriteBytes(L"\\\\?\\" + path, "\xFF\xFE");
        tntest::WriteUtf16(L"\\\\?\\" + path, L"[Version]\nPath=P\n[HaveSection]\n" + name +
                                                  L"=Files\n[Files]\nf.dll=" + RecordLine(L"") + L"\n");
        install.WriteInstallIni(L"[InstallCompose]\nComposeList=" + name + L"\n");
        const CallOutcome outcome = RunCall(
            exports, {18, {Buffer(260), Number(260), Text(L"f.dll"), Buffer(512)}});
        ASSERT_FALSE(outcome.overrun) << path.size();
        EXPECT_EQ(d <= 0 ? 1 : 0, outcome.result) << path.size();
        EXPECT_EQ(d <= 0 ? name : L"<untouched>", BufferText(outcome, 1)) << path.size();
        DeleteFileW((L"\\\\?\\" + path).c_str());
    }
}

// The owner buffer holds 260 units: an owner of 259 characters from the
// store arrives whole; a path the store leaves unterminated names none.
TEST(PathLimits, OwnerBufferOf260Units)
{
    const ExportTable exports = LinkedExports();
    for (int d : kAround) {
        tntest::HiveDoubleScope scope;
        const std::wstring owner(259 + d, L'o');
        tntest::HiveDouble::script.findPath = owner;
        tntest::HiveDouble::script.findName = L"f.dll";
        tntest::HiveDouble::script.terminate = d <= 0;
        const CallOutcome outcome = RunCall(
            exports, {4, {Buffer(260), Number(260), Text(L"f_m.dll"), Buffer(260)}});
        ASSERT_FALSE(outcome.overrun) << owner.size();
        EXPECT_EQ(d <= 0 ? 1 : 0, outcome.result) << owner.size();
        EXPECT_EQ(d <= 0 ? owner : L"", BufferText(outcome, 1)) << owner.size();
        EXPECT_EQ(d <= 0 ? L"f.dll" : L"f_m.dll", BufferText(outcome, 0));
    }
}

// A mapped name is read into 260 units: 259 characters and the terminator fit.
TEST(PathLimits, MappedNamesOf260Units)
{
    const ExportTable exports = LinkedExports();
    for (int d : kAround) {
        tntest::HiveDoubleScope scope;
        const std::wstring mapped = std::wstring(259 + d, L'm') + L'\0';
        tntest::HiveDouble::script.readData.assign(
            reinterpret_cast<const BYTE*>(mapped.data()),
            reinterpret_cast<const BYTE*>(mapped.data() + mapped.size()));
        const CallOutcome outcome = RunCall(
            exports, {3, {Buffer(600), Number(600), Text(L"Comp"), Text(L"f.dll"), Null()}});
        ASSERT_FALSE(outcome.overrun);
        EXPECT_EQ(d <= 0 ? mapped.substr(0, mapped.size() - 1) : L"f.dll", BufferText(outcome))
            << mapped.size() - 1;
    }
}

// An environment destination is expanded into 260 units; an expansion that
// does not fit leaves the directory empty.
TEST(PathLimits, EnvironmentExpansionsOf260Units)
{
    for (int d : kAround) {
        const std::wstring value = L"C:\\" + std::wstring(259 + d - 3, L'e');
        SetEnvironmentVariableW(L"TN_LIMIT_DIR", value.c_str());
        auto entry = std::make_unique<tn::FileEntry>();
        wcscpy(entry->Record.Name, L"f.dll");
        wcscpy(entry->Record.DestDir, L"%TN_LIMIT_DIR%");
        tn::LookupContext off;
        off.fileMapEnabled = false;
        EXPECT_EQ(d <= 0 ? value + L"\\f.dll" : L"\\f.dll", tn::ResolveFileRecordPath(*entry, off))
            << value.size();
    }
    SetEnvironmentVariableW(L"TN_LIMIT_DIR", nullptr);
}

// Names are normalised in 260 units; a longer one is used as it is. Paths
// of any length are looked up without harm.
TEST(PathLimits, NormalisedNamesOf260Units)
{
    for (int d : kAround) {
        const std::wstring name = std::wstring(259 + d - 6, L'n') + L"_2.exe";
        const std::wstring normal = std::wstring(259 + d - 6, L'n') + L".exe";
        EXPECT_EQ(d <= 0 ? normal : name, tn::NormalizeFileName(name.c_str())) << name.size();
        LimitsInstall install;
        const std::wstring path = L"C:\\" + std::wstring(259 + d - 3, L'p');
        tn::LookupContext off;
        off.fileMapEnabled = false;
        EXPECT_FALSE(tn::IsInstalledFile(path.c_str(), off)) << path.size();
    }
}

// The log's file path holds 260 bytes: a path of 259 characters is written,
// a longer one drops the call.
TEST(PathLimits, LogPathOf260Bytes)
{
    tntest::TempDir tmp;
    char exe[MAX_PATH];
    GetModuleFileNameA(nullptr, exe, MAX_PATH);
    const std::string exeName = std::string(exe).substr(std::string(exe).find_last_of('\\') + 1);
    const size_t tail = std::string("Data\\TNLog\\").size() + exeName.size() + 4;
    for (int d : kAround) {
        const size_t pathLength = MAX_PATH - 1 + d;
        std::wstring dir = tmp.Path();
        dir += std::wstring(pathLength - tail - dir.size() - 1, L'd') + L"\\";
        tntest::MakeDirs(dir);
        tntest::MachineValue install(L"InstallPath", dir.c_str());
        tn::ResetInstallDirCacheForTesting();
        tn::ResetLogFolderForTesting();
        tn::WriteLogA("limit");
        const std::wstring log = dir + L"Data\\TNLog\\" + tntest::FromUtf8(exeName) + L".log";
        ASSERT_EQ(pathLength, log.size());
        EXPECT_EQ(d <= 0, tntest::FileExists(log)) << pathLength;
    }
    tn::ResetInstallDirCacheForTesting();
    tn::ResetLogFolderForTesting();
}

// A log line fits its buffer exactly, or its message is cut so that the
// line keeps its ending; nothing lands past the buffer.
TEST(PathLimits, LogLinesAtTheirBuffer)
{
    const char stamp[] = "2009-03-07 14:05:09";
    const std::string message = "message";
    const std::string whole = std::string(stamp) + " " + message + " \r\n";
    for (int d : kAround) {
        const size_t capacity = whole.size() + 1 + d;
        std::string line(capacity + 16, '\x7f');
        const size_t length = tn::FormatMessageLine(&line[0], capacity, stamp, message.c_str());
        const std::string expected =
            d < 0 ? std::string(stamp) + " " + message.substr(0, message.size() - 1) + " \r\n" : whole;
        EXPECT_EQ(expected, line.substr(0, length)) << capacity;
        EXPECT_EQ(std::string(16, '\x7f'), line.substr(capacity)) << capacity;
    }
}

}  // namespace
}  // namespace tnrobust

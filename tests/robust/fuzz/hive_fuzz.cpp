// The hive store's answers: a stand-in store whose every answer (result
// codes, value types, data of any size, sizes that do not match the data,
// texts without terminator) comes from the input. The file-map lookups, the
// language and the exports over them must answer as the store's contract
// says, keep to the calling protocol, and release every key object.
#include <windows.h>

#include <cstring>
#include <cwchar>
#include <memory>
#include <string>
#include <vector>

#include "byte_source.h"
#include "demo_files.h"
#include "export_calls.h"
#include "fuzz_targets.h"
#include "install/file_map.h"
#include "install/language.h"
#include "install/lookup_context.h"
#include "platform/hive_key.h"
#include "platform/sysenv.h"
#include "rng.h"
#include "test_support.h"

namespace tnrobust {
namespace {

constexpr uint64_t kCiIterations = 3000;
// The buffers the library hands to the store, in code units.
constexpr size_t kStoreTextUnits = 260;
constexpr LANGID kChinese = 0x0804;
constexpr LANGID kEnglish = 0x0409;

// What the store was asked and what it answered, in order.
struct StoreEvent {
    enum Op { Open, Create, Read, Write, Find, Close, Release };
    explicit StoreEvent(Op what, std::wstring keyPath = std::wstring())
        : op(what), path(std::move(keyPath))
    {
    }
    Op op;
    std::wstring path;          // Open, Create
    LONG rc = 0;
    DWORD type = 0;             // Read
    std::string written;        // Read: the bytes put into the buffer
    DWORD reported = 0;         // Read: the size reported back
    std::wstring name, where;   // Find: the two buffers as left, 260 units each
};

std::wstring StoreText(ByteSource& in, size_t maxUnits)
{
    static const wchar_t kUnits[] = {L'a', L'B', L'\\', L'.', L'_', L'$', L' ', L'\0', L'z',
                                     wchar_t(0x6587), wchar_t(0xD800), L'|'};
    const size_t length = in.Below(uint32_t(maxUnits + 1));
    std::wstring text;
    for (size_t i = 0; i < length; ++i)
        text += in.Pick(kUnits);
    return text;
}

LONG Code(ByteSource& in)
{
    static const LONG kCodes[] = {0, 0, 0, 0, 2, 5, 13, 87, 126, 234, 1010, 0x7FFFFFFF, LONG(0xFFFFFFFF)};
    return in.Pick(kCodes);
}

// One key object of the stand-in store. Objects are kept until the step
// ends, so a call after Release is seen rather than touching freed memory.
class FuzzHiveKey final : public IHiveKey {
public:
    static inline ByteSource* input = nullptr;
    static inline std::vector<StoreEvent> events;
    static inline std::vector<std::unique_ptr<FuzzHiveKey>> objects;
    static inline std::string violation;

    static IHiveKey* Make()
    {
        if (input && input->Below(64) == 0)
            return nullptr;  // GetHivePtr found no store object
        objects.push_back(std::make_unique<FuzzHiveKey>());
        return objects.back().get();
    }

    static void BeginStep(ByteSource* source)
    {
        input = source;
        events.clear();
        objects.clear();
    }

    // Every object handed out was released exactly once.
    static bool AllReleased()
    {
        for (const auto& object : objects)
            if (!object->released_)
                return false;
        return true;
    }

    void Release() override
    {
        Check("Release");
        released_ = true;
        events.push_back(StoreEvent(StoreEvent::Release));
    }
    LONG Reserved1() override { return Wrong("slot 1"); }
    LONG WriteValue(const wchar_t*, DWORD, const void*, DWORD) override
    {
        Check("WriteValue");
        if (!created_)
            violation = "WriteValue on a key that is not created";
        StoreEvent event(StoreEvent::Write);
        event.rc = Code(*input);
        events.push_back(event);
        return event.rc;
    }
    LONG ReadValue(const wchar_t*, DWORD* type, void* data, DWORD* size) override
    {
        Check("ReadValue");
        if (!open_)
            violation = "ReadValue on a key that is not open";
        static const DWORD kTypes[] = {REG_SZ, REG_SZ, REG_EXPAND_SZ, REG_DWORD, REG_DWORD,
                                       REG_NONE, REG_BINARY, REG_MULTI_SZ, 0xFFFFFFFF};
        StoreEvent event(StoreEvent::Read);
        event.type = input->Pick(kTypes);
        event.rc = Code(*input);
        // The data: a text, terminated or not, or raw bytes; odd lengths too.
        std::string bytes;
        if (input->Below(2)) {
            const std::wstring text = StoreText(*input, 300) + (input->Below(2) ? L"" : std::wstring(1, L'\0'));
            bytes.assign(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
        } else {
            const uint32_t length = input->Below(24);
            for (uint32_t i = 0; i < length; ++i)
                bytes += char(input->Byte());
        }
        if (input->Below(4) == 0 && !bytes.empty())
            bytes.pop_back();
        const DWORD capacity = *size;
        const size_t copied = data ? (bytes.size() < capacity ? bytes.size() : capacity) : 0;
        if (copied)
            std::memcpy(data, bytes.data(), copied);
        event.written = bytes.substr(0, copied);
        const DWORD sizes[] = {DWORD(bytes.size()), capacity, capacity + 1, capacity + 2, 0, 1,
                               0xFFFFFFFF, DWORD(bytes.size() | 1), input->U32()};
        event.reported = input->Pick(sizes);
        if (type)
            *type = event.type;
        *size = event.reported;
        events.push_back(event);
        return event.rc;
    }
    LONG CreateKey(HKEY, const wchar_t* path) override
    {
        Check("CreateKey");
        StoreEvent event(StoreEvent::Create, path ? path : L"<null>");
        event.rc = Code(*input);
        created_ = open_ = event.rc == 0;
        events.push_back(event);
        return event.rc;
    }
    LONG OpenKey(HKEY, const wchar_t* path, DWORD access) override
    {
        Check("OpenKey");
        if (access != KEY_READ)
            violation = "OpenKey without KEY_READ";
        StoreEvent event(StoreEvent::Open, path ? path : L"<null>");
        event.rc = Code(*input);
        open_ = event.rc == 0;
        events.push_back(event);
        return event.rc;
    }
    LONG CloseKey() override
    {
        Check("CloseKey");
        open_ = created_ = false;
        StoreEvent event(StoreEvent::Close);
        event.rc = Code(*input);
        events.push_back(event);
        return event.rc;
    }
    LONG Reserved7() override { return Wrong("slot 7"); }
    LONG Reserved8() override { return Wrong("slot 8"); }
    LONG Reserved9() override { return Wrong("slot 9"); }
    LONG Reserved10() override { return Wrong("slot 10"); }
    LONG Reserved11() override { return Wrong("slot 11"); }
    LONG Reserved12() override { return Wrong("slot 12"); }
    LONG FindValue(const wchar_t*, wchar_t* name, DWORD* count, wchar_t* path) override
    {
        Check("FindValue");
        if (!open_)
            violation = "FindValue on a key that is not open";
        if (*count != kStoreTextUnits)
            violation = "FindValue with a count other than 260";
        StoreEvent event(StoreEvent::Find);
        event.rc = Code(*input);
        // The library's buffers are zero-filled; the store writes at most
        // `count` units into each, with or without a terminator.
        const DWORD capacity = *count;
        std::vector<wchar_t> seenName(name, name + kStoreTextUnits);
        std::vector<wchar_t> seenPath(path, path + kStoreTextUnits);
        Fill(name, capacity, seenName);
        Fill(path, capacity, seenPath);
        event.name.assign(seenName.begin(), seenName.end());
        event.where.assign(seenPath.begin(), seenPath.end());
        if (input->Below(4) == 0)
            *count = input->U32();
        events.push_back(event);
        return event.rc;
    }

private:
    void Fill(wchar_t* buffer, DWORD capacity, std::vector<wchar_t>& seen)
    {
        const std::wstring text = input->Below(6) == 0 ? std::wstring(kStoreTextUnits + 40, L'u')
                                                       : StoreText(*input, 40);
        const size_t n = text.size() < capacity ? text.size() : capacity;
        for (size_t i = 0; i < n; ++i)
            buffer[i] = seen[i] = text[i];
        if (n < capacity && input->Below(3) != 0)
            buffer[n] = seen[n] = L'\0';
    }
    void Check(const char* op)
    {
        if (released_)
            violation = std::string(op) + " after Release";
    }
    LONG Wrong(const char* slot)
    {
        violation = std::string("the library called ") + slot;
        return ERROR_CALL_NOT_IMPLEMENTED;
    }

    bool open_ = false;
    bool created_ = false;
    bool released_ = false;
};

const StoreEvent* FindEvent(StoreEvent::Op op)
{
    for (const StoreEvent& event : FuzzHiveKey::events)
        if (event.op == op)
            return &event;
    return nullptr;
}

// What MapFileName must answer after the events of one lookup.
std::wstring ExpectedMapped(const wchar_t* owner, const wchar_t* file, const wchar_t* subKey,
                            bool enabled, std::string& problem)
{
    if (!file)
        return std::wstring();
    if (!enabled || !owner)
        return file;
    std::wstring path = std::wstring(L"FileMap\\") + owner;
    if (subKey && *subKey && *subKey != L'$')
        path += std::wstring(L"\\") + subKey;
    const StoreEvent* open = FindEvent(StoreEvent::Open);
    if (open && open->path != path)
        problem = "the key path is not " + tntest::ToUtf8(path);
    const StoreEvent* read = FindEvent(StoreEvent::Read);
    if (!open || open->rc != 0 || !read)
        return file;
    const DWORD capacity = kStoreTextUnits * sizeof(wchar_t);
    std::vector<wchar_t> buffer(kStoreTextUnits, L'\0');
    std::memcpy(buffer.data(), read->written.data(), read->written.size());
    const DWORD size = read->reported;
    const bool ok = read->rc == 0 && (read->type == REG_SZ || read->type == REG_EXPAND_SZ) &&
                    size <= capacity && size != 0 && size % 2 == 0 && buffer[size / 2 - 1] == L'\0' &&
                    buffer[0] != L'\0';
    return ok ? std::wstring(buffer.data()) : std::wstring(file);
}

// What UnmapFileName must answer, and the owner it must give.
std::wstring ExpectedUnmapped(const wchar_t* mapped, bool enabled, std::wstring& owner,
                              std::string& problem)
{
    owner.clear();
    if (!mapped)
        return std::wstring();
    if (!enabled)
        return mapped;
    const StoreEvent* open = FindEvent(StoreEvent::Open);
    if (open && open->path != L"FileMap\\")
        problem = "the reverse lookup opens another key";
    const StoreEvent* find = FindEvent(StoreEvent::Find);
    if (!open || open->rc != 0 || !find || find->rc != 0)
        return mapped;
    if (wcsnlen(find->name.c_str(), kStoreTextUnits) == kStoreTextUnits ||
        wcsnlen(find->where.c_str(), kStoreTextUnits) == kStoreTextUnits)
        return mapped;
    const std::wstring where(find->where.c_str());
    owner = where.substr(0, where.find(L'\\'));
    return find->name[0] != L'\0' ? std::wstring(find->name.c_str()) : std::wstring(mapped);
}

// The copy rule, as the caller sees a buffer of `size` units.
std::wstring Copied(const std::wstring& answer, size_t size)
{
    if (answer.empty() || size == 0)
        return L"<untouched>";
    return answer.substr(0, size - 1);
}

std::wstring BufferText(const std::wstring& output) { return output.substr(2); }

const wchar_t* PickName(ByteSource& in, const std::vector<std::wstring>& names)
{
    const uint32_t i = in.Below(uint32_t(names.size() + 1));
    return i == names.size() ? nullptr : names[i].c_str();
}

class HiveCheck {
public:
    HiveCheck()
    {
        owners_ = {L"Engine", L"Core", L"", L"a\\b", L"$X", std::wstring(300, L'o'), L"UI"};
        files_ = {L"tnengine.dll", L"", std::wstring(300, L'f'), L"x|y", L"tnsans.ttf"};
        subKeys_ = {L"", L"bin", L"$SYSTEM32", L"sub\\deeper", std::wstring(300, L's')};
        mapped_ = {L"tnengine_412.dll", L"", std::wstring(300, L'm'), L"daily_0412.sig"};
        paths_ = {L"C:\\x\\tnengine_412.dll", L"setup_2.exe", L"", L"\\", std::wstring(400, L'p')};
    }

    std::string operator()(const std::string& input) const
    {
        ByteSource in(input);
        const ExportTable exports = LinkedExports();
        const int steps = 1 + int(in.Below(6));
        for (int step = 0; step < steps; ++step) {
            FuzzHiveKey::BeginStep(&in);
            FuzzHiveKey::violation.clear();
            const bool enabled = in.Below(8) != 0;
            RunCall(exports, {13, {Number(enabled ? 1 : 0)}});
            std::string problem = Step(in, exports, enabled);
            if (problem.empty() && !FuzzHiveKey::violation.empty())
                problem = FuzzHiveKey::violation;
            if (problem.empty() && !FuzzHiveKey::AllReleased())
                problem = "a key object was not released";
            FuzzHiveKey::BeginStep(nullptr);
            if (!problem.empty())
                return "step " + std::to_string(step) + ": " + problem;
        }
        RunCall(exports, {13, {Number(1)}});
        return "";
    }

private:
    std::string Step(ByteSource& in, const ExportTable& exports, bool enabled) const
    {
        std::string problem;
        const tn::LookupContext context{enabled, nullptr};
        const size_t sizes[] = {0, 1, 2, 8, 259, 260, 261, 600};
        switch (in.Below(8)) {
        case 0: {
            const wchar_t* owner = PickName(in, owners_);
            const wchar_t* file = PickName(in, files_);
            const wchar_t* subKey = PickName(in, subKeys_);
            const std::wstring got = tn::MapFileName(owner, file, subKey, context);
            const std::wstring want = ExpectedMapped(owner, file, subKey, enabled, problem);
            if (problem.empty() && got != want)
                problem = "MapFileName gave " + tntest::ToUtf8(got) + " for " + tntest::ToUtf8(want);
            return problem;
        }
        case 1: {
            const wchar_t* mapped = PickName(in, mapped_);
            std::wstring owner;
            const std::wstring got = tn::UnmapFileName(mapped, owner, context);
            std::wstring wantOwner;
            const std::wstring want = ExpectedUnmapped(mapped, enabled, wantOwner, problem);
            if (problem.empty() && (got != want || owner != wantOwner))
                problem = "UnmapFileName gave " + tntest::ToUtf8(got) + " / " + tntest::ToUtf8(owner);
            return problem;
        }
        case 2: {
            const LANGID got = tn::GetLanguage();
            const StoreEvent* open = FindEvent(StoreEvent::Open);
            const StoreEvent* read = FindEvent(StoreEvent::Read);
            DWORD stored = 0;
            if (open && open->rc == 0 && read && read->rc == 0 && read->type == REG_DWORD)
                std::memcpy(&stored, read->written.data(), read->written.size());
            const DWORD language = stored != 0 ? stored : tn::GetSystemUILanguage();
            // install.ini offers 0804 and 0409; anything else gives the first.
            const LANGID want = language == kEnglish ? kEnglish : kChinese;
            return got == want ? "" : "GetLanguage gave " + std::to_string(got);
        }
        case 3: {
            const DWORD language = in.U32();
            const int got = tn::SetLanguage(language);
            const StoreEvent* create = FindEvent(StoreEvent::Create);
            const StoreEvent* write = FindEvent(StoreEvent::Write);
            const int want = create && create->rc == 0 && write && write->rc == 0 ? 1 : 0;
            if (create && create->path != L"UI")
                return "SetLanguage creates another key";
            return got == want ? "" : "SetLanguage answered " + std::to_string(got);
        }
        case 4: {
            const size_t size = in.Pick(sizes);
            const wchar_t* owner = PickName(in, owners_);
            const wchar_t* file = PickName(in, files_);
            const wchar_t* subKey = PickName(in, subKeys_);
            const CallOutcome outcome = RunCall(
                exports, {3, {Buffer(size), Number(uint32_t(size)), owner ? Text(owner) : Null(), file ? Text(file) : Null(),
                              subKey ? Text(subKey) : Null()}});
            const std::wstring want = ExpectedMapped(owner, file, subKey, enabled, problem);
            if (problem.empty() && (outcome.result != (want.empty() || size == 0 ? 0 : 1) ||
                                    BufferText(outcome.outputs[0]) != Copied(want, size)))
                problem = "export 3: " + tntest::ToUtf8(outcome.Line());
            return problem;
        }
        case 5: {
            const size_t size = in.Pick(sizes);
            const wchar_t* mapped = PickName(in, mapped_);
            const bool withOwner = in.Below(4) != 0;
            const CallOutcome outcome = RunCall(
                exports, {4, {Buffer(size), Number(uint32_t(size)), mapped ? Text(mapped) : Null(),
                              withOwner ? Buffer(260) : Null()}});
            if (outcome.overrun)
                return "export 4 wrote past a buffer";
            if (size == 0)
                return outcome.result == 0 ? "" : "export 4 answered for a size of 0";
            std::wstring wantOwner;
            const std::wstring want = ExpectedUnmapped(mapped, enabled, wantOwner, problem);
            const std::wstring name = want.empty() ? std::wstring() : want.substr(0, size - 1);
            if (problem.empty() && (outcome.result != (wantOwner.empty() ? 0 : 1) ||
                                    BufferText(outcome.outputs[0]) != (name.empty() ? L"" : name) ||
                                    (withOwner && BufferText(outcome.outputs[1]) != wantOwner)))
                problem = "export 4: " + tntest::ToUtf8(outcome.Line());
            return problem;
        }
        case 6: {
            const size_t size = in.Pick(sizes);
            const CallOutcome outcome = RunCall(
                exports, {18, {Buffer(size), Number(uint32_t(size)), Text(in.Below(2) ? L"tnengine_412.dll" : L"tnsans.ttf"),
                               Buffer(512)}});
            return outcome.overrun || (outcome.result != 0 && outcome.result != 1)
                       ? "export 18: " + tntest::ToUtf8(outcome.Line())
                       : "";
        }
        default: {
            const wchar_t* path = PickName(in, paths_);
            const CallOutcome outcome = RunCall(exports, {11, {path ? Text(path) : Null()}});
            return outcome.result == 0 || outcome.result == 1 ? "" : "export 11 answered " +
                                                                      std::to_string(outcome.result);
        }
        }
    }

    std::vector<std::wstring> owners_, files_, subKeys_, mapped_, paths_;
};

std::string Generate(uint64_t seed)
{
    Rng rng(seed);
    std::string bytes(rng.Between(16, 600), '\0');
    for (char& b : bytes)
        b = char(rng.Below(256));
    return bytes;
}

}  // namespace

int FuzzHive(const FuzzOptions& options)
{
    // The demo installation gives the language lookups their install.ini.
    const std::wstring work = MakeWorkDir(options.workDir, L"tnfuzz-hive");
    WriteDemoTree(work);
    int code = 0;
    {
        tntest::MachineValue install(L"InstallPath", work.c_str());
        tn::SetHiveFactoryForTesting(&FuzzHiveKey::Make);
        code = RunFuzz(options, kCiIterations, L"hive", L".bin", Generate, HiveCheck());
        tn::SetHiveFactoryForTesting(nullptr);
    }
    tntest::RemoveTree(work);
    return code;
}

}  // namespace tnrobust

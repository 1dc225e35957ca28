#include "bench_run.h"

#include <windows.h>

#include <memory>

#include "api.h"
#include "counters.h"
#include "floor.h"
#include "json_line.h"
#include "memory_files.h"
#include "oracle.h"
#include "profile_queries.h"
#include "queries.h"
#include "sampler.h"
#include "saved_value.h"
#include "store_client.h"
#include "tree_writer.h"

namespace bench {
namespace {

// Calls of the linked-in code that are counted per query; the store's time
// and its share of the call are their medians.
constexpr int kCountedCalls = 25;

void Progress(const RunOptions& o, const std::wstring& text)
{
    if (!o.quiet)
        fprintf(stderr, "%s\n", ToUtf8(text).c_str());
}

void Emit(const RunOptions& o, const JsonLine& line)
{
    fputs(line.Text().c_str(), o.out);
    fflush(o.out);
}

const char* SwitchName(bool on) { return on ? "on" : "off"; }

// One query with one state of the file-map switch.
struct Row {
    const QueryCase* query = nullptr;
    bool mapOn = false;
    Answer expected;
    std::vector<FloorFile> floorFiles;
    long dllWrong = 0, linkedWrong = 0, profileWrong = 0;
    size_t floorKeys = 0;
};

bool Check(const RunOptions& o, const Row& row, const char* who, const Answer& answer)
{
    if (answer == row.expected)
        return true;
    Progress(o, L"MISMATCH " + std::wstring(row.query->name.begin(), row.query->name.end()) +
                    L" (switch " + (row.mapOn ? L"on" : L"off") + L") by " +
                    std::wstring(who, who + strlen(who)) + L": " + answer.Describe() +
                    L"; expected " + row.expected.Describe());
    return false;
}

uint64_t FileSize(const std::wstring& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data))
        return 0;
    return (uint64_t(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

// Everything a run needs, set up once: the model, the installation on disk
// and in the store, the oracle, both ways into the library, the queries.
class Session {
public:
    explicit Session(const RunOptions& o) : o_(o), inst_(BuildInstallation(o.preset)) {}

    bool SetUp()
    {
        bool reused = false;
        if (!WriteTree(inst_, o_.installDir, &reused)) {
            fprintf(stderr, "cannot write the installation below %s\n",
                    ToUtf8(o_.installDir).c_str());
            return false;
        }
        Progress(o_, L"installation " + o_.installDir +
                         (reused ? L" (kept from an earlier run)" : L" (written)"));
        if (!SetMachineString(L"Software\\Tessaron", L"InstallPath", o_.installDir) ||
            !WriteStore(inst_)) {
            fprintf(stderr, "cannot set InstallPath or write the hive store (is Vaultcore.dll here?)\n");
            return false;
        }
        env_ = Environment::Current(o_.installDir);
        oracle_ = std::make_unique<Oracle>(inst_, env_);
        profile_ = std::make_unique<ProfileQueries>(env_, store_);
        if (!Api::FromModule(LoadLibraryW(L"TNInstall.dll"), dll_)) {
            fprintf(stderr, "cannot load TNInstall.dll or find its ordinals\n");
            return false;
        }
        counting_ = InstallCounters();
        if (!counting_)
            fprintf(stderr, "warning: cannot redirect the heap and file imports; no counts\n");
        inMemory_ = InstallMemoryFiles();
        if (!inMemory_)
            fprintf(stderr, "warning: cannot redirect the file imports; no in-memory figures\n");
        linked_ = Api::Linked();
        cases_ = MakeQueryCases(inst_, env_, *oracle_, *profile_);
        return true;
    }

    const Installation& Inst() const { return inst_; }
    const StoreClient& Store() const { return store_; }
    const Api& Dll() const { return dll_; }
    const Api& Linked() const { return linked_; }
    bool Counting() const { return counting_; }
    bool InMemory() const { return inMemory_; }
    const std::vector<QueryCase>& Cases() const { return cases_; }

private:
    const RunOptions& o_;
    const Installation inst_;
    Environment env_;
    std::unique_ptr<Oracle> oracle_;
    StoreClient store_;
    std::unique_ptr<ProfileQueries> profile_;
    Api dll_, linked_;
    bool counting_ = false;
    bool inMemory_ = false;
    std::vector<QueryCase> cases_;
};

}  // namespace

long RunBenchmark(const RunOptions& o)
{
    Session session(o);
    if (!session.SetUp())
        return -1;
    const Installation& inst = session.Inst();
    const StoreClient& store = session.Store();
    const Api& dll = session.Dll();
    const Api& linked = session.Linked();
    const bool counting = session.Counting();
    const bool inMemory = session.InMemory();
    const std::vector<QueryCase>& cases = session.Cases();

    uint64_t treeBytes = FileSize(o.installDir + L"Install\\install.ini");
    uint64_t largestComponent = 0, largestProduct = 0;
    for (const Component& c : inst.components) {
        const uint64_t size = FileSize(o.installDir + L"Install\\Compose\\" + c.name + L".ini");
        treeBytes += size;
        largestComponent = std::max(largestComponent, size);
    }
    for (const Product& p : inst.products) {
        const uint64_t size = FileSize(o.installDir + L"Install\\Product\\" + p.name + L".ini");
        treeBytes += size;
        largestProduct = std::max(largestProduct, size);
    }
    Emit(o, JsonLine()
                .Add("type", "meta")
                .Add("preset", o.preset.name)
                .Add("components", o.preset.components)
                .Add("files_per_component", o.preset.filesPerComponent)
                .Add("products", o.preset.products)
                .Add("map_entries", uint64_t(inst.fileMap.size()))
                .Add("tree_bytes", treeBytes)
                .Add("largest_component_file", largestComponent)
                .Add("largest_product_file", largestProduct));

    // Every answer checked once, and one call of the linked-in code counted.
    std::vector<std::unique_ptr<Row>> rows;
    FloorReader floor;
    for (const QueryCase& q : cases) {
        if (q.name.find(o.only) == std::string::npos)
            continue;
        for (bool on : q.switches) {
            auto row = std::make_unique<Row>();
            row->query = &q;
            row->mapOn = on;
            row->expected = q.expected(on);
            row->floorFiles = q.floorFiles;
            if (inMemory)
                for (const FloorFile& f : row->floorFiles)
                    HoldInMemory(f.path);
            dll.SetFileMapEnabled(on ? 1 : 0);
            linked.SetFileMapEnabled(on ? 1 : 0);
            row->dllWrong += Check(o, *row, "TNInstall.dll", q.ask(dll)) ? 0 : 1;
            row->linkedWrong += Check(o, *row, "linked code", q.ask(linked)) ? 0 : 1;
            row->profileWrong += Check(o, *row, "profile API", q.profile(on)) ? 0 : 1;
            row->floorKeys = floor.Run(row->floorFiles);

            std::vector<double> storeSeconds, callSeconds, storeShares;
            CallCounts counts;
            if (counting) {
                ArmCounting(true);
                for (int i = 0; i < kCountedCalls; ++i) {
                    q.ask(linked);
                    counts = LastCounts();
                    storeSeconds.push_back(counts.storeSeconds);
                    callSeconds.push_back(counts.callSeconds);
                    storeShares.push_back(counts.callSeconds > 0
                                              ? counts.storeSeconds / counts.callSeconds
                                              : 0);
                }
                ArmCounting(false);
            }
            Emit(o, JsonLine()
                        .Add("type", "counts")
                        .Add("preset", o.preset.name)
                        .Add("query", q.name)
                        .Add("switch", SwitchName(on))
                        .Add("multi_file", q.multiFile)
                        .Add("expected", row->expected.Describe())
                        .Add("floor_files", uint64_t(row->floorFiles.size()))
                        .Add("floor_bytes", floor.LastBytes())
                        .Add("opens", counts.opens)
                        .Add("reads", counts.reads)
                        .Add("bytes_read", counts.bytesRead)
                        .Add("largest_read", counts.largestRead)
                        .Add("allocations", counts.allocations)
                        .Add("allocated_bytes", counts.allocatedBytes)
                        .Add("peak_bytes", int64_t(counts.peakBytes))
                        .Add("store_objects", counts.storeObjects)
                        .Add("store_opens", counts.storeOpens)
                        .Add("store_reads", counts.storeReads)
                        .Add("store_finds", counts.storeFinds)
                        .Add("store_us", Quantile(storeSeconds, 0.5) * 1e6)
                        .Add("counted_call_us", Quantile(callSeconds, 0.5) * 1e6)
                        .Add("store_share", Quantile(storeShares, 0.5)));
            rows.push_back(std::move(row));
        }
    }

    // The figures: the library, its floor and the profile API, per row.
    std::vector<Figure> figures;
    size_t sink = 0;
    for (auto& owned : rows) {
        Row* row = owned.get();
        const QueryCase* q = row->query;
        const bool on = row->mapOn;
        Figure f;
        f.query = q->name;
        f.mapOn = on;
        f.method = "dll";
        f.prepare = [&dll, on] {
            ServeFromMemory(false);
            dll.SetFileMapEnabled(on ? 1 : 0);
        };
        f.call = [&dll, row, q] {
            if (!(q->ask(dll) == row->expected))
                ++row->dllWrong;
        };
        figures.push_back(f);
        f.method = "raw";
        f.prepare = [] { ServeFromMemory(false); };
        f.call = [&floor, &store, &sink, row, q] {
            sink += floor.Run(row->floorFiles);
            if (q->floorReadsLanguage)
                sink += store.ReadLanguage();
        };
        figures.push_back(f);
        f.method = "profile";
        f.call = [row, q, on] {
            if (!(q->profile(on) == row->expected))
                ++row->profileWrong;
        };
        figures.push_back(f);
        if (!inMemory || on)
            continue;
        // The library's own work: the same export code answering from the
        // query's files held in memory, against one pass over their bytes.
        f.method = "memory";
        f.prepare = [&linked] {
            ServeFromMemory(true);
            linked.SetFileMapEnabled(0);
        };
        f.call = [&linked, row, q] {
            if (!(q->ask(linked) == row->expected))
                ++row->linkedWrong;
        };
        figures.push_back(f);
        f.method = "pass";
        f.prepare = [] { ServeFromMemory(false); };
        f.call = [&floor, &store, &sink, row, q] {
            sink += floor.ScanHeld(row->floorFiles);
            if (q->floorReadsLanguage)
                sink += store.ReadLanguage();
        };
        figures.push_back(f);
    }
    Progress(o, L"timing " + std::to_wstring(figures.size()) + L" figures");
    RunInterleaved(figures, o.timing);
    ServeFromMemory(false);
    if (OpenedFromDisk() != 0)
        Progress(o, L"note: " + std::to_wstring(OpenedFromDisk()) +
                        L" files were read from disk during the in-memory figures");

    for (const Figure& f : figures) {
        Emit(o, JsonLine()
                    .Add("type", "figure")
                    .Add("preset", o.preset.name)
                    .Add("query", f.query)
                    .Add("switch", SwitchName(f.mapOn))
                    .Add("method", f.method)
                    .Add("median_us", Quantile(f.perCall, 0.5) * 1e6)
                    .Add("q1_us", Quantile(f.perCall, 0.25) * 1e6)
                    .Add("q3_us", Quantile(f.perCall, 0.75) * 1e6)
                    .Add("rounds", uint64_t(f.perCall.size()))
                    .Add("batch", f.batch)
                    .Add("seconds", f.measuredSeconds));
    }
    long wrong = 0;
    for (const auto& row : rows) {
        Emit(o, JsonLine()
                    .Add("type", "answers")
                    .Add("preset", o.preset.name)
                    .Add("query", row->query->name)
                    .Add("switch", SwitchName(row->mapOn))
                    .Add("dll_wrong", int64_t(row->dllWrong))
                    .Add("linked_wrong", int64_t(row->linkedWrong))
                    .Add("profile_wrong", int64_t(row->profileWrong))
                    .Add("floor_keys", uint64_t(row->floorKeys)));
        wrong += row->dllWrong + row->linkedWrong + row->profileWrong;
    }
    if (sink == 0)
        Progress(o, L"note: the floors found no key lines");
    return wrong;
}

int ProfileQuery(const RunOptions& o, const std::string& query, bool mapOn, bool fromMemory,
                 double seconds)
{
    Session session(o);
    if (!session.SetUp())
        return 1;
    const QueryCase* found = nullptr;
    for (const QueryCase& q : session.Cases())
        if (!found && q.name.find(query) != std::string::npos)
            found = &q;
    if (!found) {
        fprintf(stderr, "no query named like \"%s\"\n", query.c_str());
        return 1;
    }
    session.Linked().SetFileMapEnabled(mapOn ? 1 : 0);
    if (fromMemory) {
        if (!session.InMemory()) {
            fprintf(stderr, "cannot serve the files from memory\n");
            return 1;
        }
        for (const FloorFile& f : found->floorFiles)
            HoldInMemory(f.path);
        ServeFromMemory(true);
    }
    struct Work {
        const QueryCase* query;
        const Api* api;
        uint64_t calls;
    } work{found, &session.Linked(), 0};
    auto body = [](void* p) {
        Work& w = *static_cast<Work*>(p);
        w.query->ask(*w.api);
        ++w.calls;
    };
    body(&work);  // first use is not sampled
    const Profile profile = SampleWhile(seconds, body, &work);
    fprintf(o.out, "query %s\ncalls %llu\nsamples %llu\n", found->name.c_str(),
            static_cast<unsigned long long>(work.calls),
            static_cast<unsigned long long>(profile.samples));
    for (const auto& [address, count] : profile.self)
        fprintf(o.out, "self %llx %llu\n", static_cast<unsigned long long>(address),
                static_cast<unsigned long long>(count));
    for (const auto& [address, count] : profile.inclusive)
        fprintf(o.out, "incl %llx %llu\n", static_cast<unsigned long long>(address),
                static_cast<unsigned long long>(count));
    for (const auto& [address, count] : profile.systemCallers)
        fprintf(o.out, "caller %llx %llu\n", static_cast<unsigned long long>(address),
                static_cast<unsigned long long>(count));
    for (const auto& [entry, count] : profile.systemEntries)
        fprintf(o.out, "entry %s %llu\n", ToUtf8(entry).c_str(),
                static_cast<unsigned long long>(count));
    for (const auto& [module, count] : profile.modules)
        fprintf(o.out, "module %s %llu\n", ToUtf8(module).c_str(),
                static_cast<unsigned long long>(count));
    return 0;
}

}  // namespace bench

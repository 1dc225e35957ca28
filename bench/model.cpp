#include "model.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <set>

#include "catalog_expansion.h"
#include "rng.h"

namespace bench {

const wchar_t* const kBuiltInComponent = L"TNol";

bool FindPreset(const std::string& name, Preset& preset)
{
    static const Preset kPresets[] = {
        {"typical", 60, 40, 10, 10, 0x7E5A11C0DEull},
        {"large", 300, 300, 30, 30, 0x1A26E5EEDull},
        {"smoke", 8, 6, 3, 3, 0x5A0CEull},
    };
    for (const Preset& p : kPresets) {
        if (p.name == name) {
            preset = p;
            return true;
        }
    }
    return false;
}

bool SameName(const std::wstring& a, const std::wstring& b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        wchar_t x = a[i], y = b[i];
        if (x >= L'A' && x <= L'Z') x = wchar_t(x + 32);
        if (y >= L'A' && y <= L'Z') y = wchar_t(y + 32);
        if (x != y)
            return false;
    }
    return true;
}

std::wstring Record::Value() const
{
    wchar_t mask[16];
    swprintf(mask, 16, L"%X", osMask);
    return source + L"," + dest + L"," + rest + L"," + mask;
}

const Section* Component::FindSection(const std::wstring& section) const
{
    for (const Section& s : sections)
        if (SameName(s.name, section))
            return &s;
    return nullptr;
}

Record* Component::FindRecord(const std::wstring& file)
{
    for (Section& s : sections)
        for (Record& r : s.records)
            if (SameName(r.name, file))
                return &r;
    return nullptr;
}

const CatalogEntry* Product::FindEntry(const std::wstring& component) const
{
    for (const CatalogEntry& e : entries)
        if (SameName(e.name, component))
            return &e;
    return nullptr;
}

const Component* Installation::FindComponent(const std::wstring& name) const
{
    for (const Component& c : components)
        if (SameName(c.name, name))
            return &c;
    return SameName(tnol.name, name) ? &tnol : nullptr;
}

const Product* Installation::FindProduct(const std::wstring& name) const
{
    for (const Product& p : products)
        if (SameName(p.name, name))
            return &p;
    return nullptr;
}

namespace {

// Component families; the index of a component picks its family, so
// families repeat every eight components.
enum Family { kRuntime, kScan, kFirewall, kMail, kWeb, kUpdate, kUi, kDriver, kFamilyCount };
const wchar_t* const kFamilyPrefix[kFamilyCount] = {L"Rt", L"Sc", L"Fw", L"Ml",
                                                    L"Wb", L"Up", L"Ui", L"Dr"};

const wchar_t* const kStems[] = {L"engine", L"sigdb", L"hook",  L"filter", L"report",
                                 L"sched",  L"quar",  L"heur",  L"unpack", L"netmon",
                                 L"tray",   L"shell", L"svc",   L"core",   L"rules",
                                 L"lang",   L"help",  L"skin",  L"cfg",    L"plug"};
constexpr size_t kStemCount = sizeof(kStems) / sizeof(kStems[0]);

const wchar_t* const kSectionRoles[] = {L"Main", L"Bin", L"Sys", L"Data", L"Res"};

// Destination directories a record may have, with the source folder and the
// kind of file that usually goes there.
struct DestChoice {
    const wchar_t* dest;
    const wchar_t* source;
    const wchar_t* ext;
    uint32_t weight;
};
const DestChoice kDests[] = {
    {L"", L"bin", L"dll", 18},
    {L"bin", L"bin\\x86", L"dll", 22},
    {L"bin\\plugins", L"plugins", L"dll", 10},
    {L"data", L"data", L"dat", 12},
    {L"lang", L"lang", L"xml", 6},
    {L"$SYSTEM32", L"sys32", L"dll", 8},
    {L"$SYSTEM32\\drivers", L"drivers", L"sys", 6},
    {L"$WINDOWS\\Fonts", L"fonts", L"ttf", 4},
    {L"%ProgramFiles%\\Tessaron\\Shared", L"shared", L"dll", 9},
    {L"%CommonProgramFiles%\\Tessaron", L"common", L"cat", 5},
};

const wchar_t* const kSharedFile = L"tncommon.dll";

std::wstring Num(unsigned value, int width)
{
    wchar_t text[16];
    swprintf(text, 16, L"%0*u", width, value);
    return text;
}

std::wstring Hex(uint64_t value, int digits)
{
    static const wchar_t kDigits[] = L"0123456789ABCDEF";
    std::wstring text(size_t(digits), L'0');
    for (int i = digits - 1; i >= 0; --i, value >>= 4)
        text[size_t(i)] = kDigits[value & 15];
    return text;
}

std::wstring Guid(Rng& rng)
{
    return L"{" + Hex(rng.Next(), 8) + L"-" + Hex(rng.Next(), 4) + L"-" + Hex(rng.Next(), 4) + L"-" +
           Hex(rng.Next(), 4) + L"-" + Hex(rng.Next(), 12) + L"}";
}

const DestChoice& PickDest(Rng& rng, Family family)
{
    if (family == kDriver && rng.Chance(60))
        return kDests[6];
    uint32_t total = 0;
    for (const DestChoice& d : kDests)
        total += d.weight;
    uint32_t pick = rng.Below(total);
    for (const DestChoice& d : kDests) {
        if (pick < d.weight)
            return d;
        pick -= d.weight;
    }
    return kDests[0];
}

// Items 3 to 15 of a record: numbers, a class id, a description, flags and
// a checksum, as the build tools write them.
std::wstring RecordRest(Rng& rng, const std::wstring& description)
{
    std::wstring rest;
    rest += (rng.Chance(50) ? L"1.0" : L"2.5");
    rest += L"," + std::to_wstring(rng.Below(4096));
    rest += L",0,1,0,1," + std::to_wstring(rng.Below(4)) + L",0,";
    rest += Guid(rng) + L"," + description + L"," + Hex(rng.Below(256), 2) + L",";
    rest += Hex(rng.Next(), 16) + L",9.7";
    return rest;
}

uint32_t PickOsMask(Rng& rng)
{
    const uint32_t pick = rng.Below(100);
    if (pick < 70)
        return 0;
    if (pick < 90)
        return 0x1000002;  // Windows 6 and later
    if (pick < 95)
        return 0x400002;   // XP SP2
    return 0x400;          // 32-bit process on 64-bit Windows
}

Record MakeRecord(Rng& rng, const std::wstring& name, const DestChoice& dest,
                  const std::wstring& description)
{
    Record r;
    r.name = name;
    r.source = dest.source;
    r.dest = dest.dest;
    r.osMask = PickOsMask(rng);
    r.rest = RecordRest(rng, description);
    return r;
}

bool IsRelativeDir(const std::wstring& dest)
{
    return !dest.empty() && dest[0] != L'$' && dest[0] != L'%';
}

// A target the benchmark resolves: a fixed destination and an OS mask
// without the 64-bit bits, so every platform resolves it the same way.
void MakeTarget(Record& r, const wchar_t* dest, const wchar_t* source)
{
    r.dest = dest;
    r.source = source;
    r.osMask = 0x1000002;
}

Component MakeComponent(Rng& rng, int index, int files, int count)
{
    const Family family = Family(index % kFamilyCount);
    Component c;
    c.name = kFamilyPrefix[family] + Num(unsigned(index + 1), 3);
    if (family == kDriver)
        c.path = L"Drivers\\" + c.name;
    else if (index % 15 == 7)
        c.path = L"";
    else
        c.path = L"Compose\\" + c.name;
    c.curVersion = 1 + int(rng.Below(60));
    c.size = int(rng.Below(50000)) * 10;

    const int sectionCount = 2 + int(rng.Below(4));
    for (int k = 0; k < sectionCount; ++k)
        c.sections.push_back(Section{c.name + L"_" + kSectionRoles[k], {}});
    const std::wstring description = L"Part of " + c.name;
    for (int j = 0; j < files; ++j) {
        const DestChoice& dest = PickDest(rng, family);
        std::wstring name = kStems[(size_t(index) * 7 + size_t(j)) % kStemCount] +
                            Num(unsigned(index + 1), 3) + Num(unsigned(j), 3) + L"." + dest.ext;
        if (j == 0 && index % 20 == 10)
            name = kSharedFile;
        c.sections[size_t(j * sectionCount / files)].records.push_back(
            MakeRecord(rng, name, dest, description));
    }
    const int rotate = int(rng.Below(unsigned(sectionCount)));
    for (int k = 0; k < sectionCount; ++k)
        c.listed.push_back(c.sections[size_t((k + rotate) % sectionCount)].name);

    if (rng.Chance(20)) {
        Section old{c.name + L"_Old", {}};
        for (int j = 0; j < 2; ++j)
            old.records.push_back(MakeRecord(rng, L"old" + Num(unsigned(index + 1), 3) +
                                                      Num(unsigned(j), 2) + L".dll",
                                             kDests[1], description));
        c.otherHave.push_back({L"Legacy", old.name});
        c.sections.push_back(std::move(old));
    }
    if (rng.Chance(30)) {
        const Section& s = c.sections[0];
        if (!s.records.empty())
            c.options.push_back({s.records[0].name, Guid(rng) + L",Plugin"});
    }
    if (rng.Chance(25))
        c.oldFileMap.push_back({L"prev" + Num(unsigned(index + 1), 3) + L".dll",
                                kFamilyPrefix[(index + 1) % kFamilyCount] +
                                    Num(unsigned((index + 1) % count + 1), 3)});
    return c;
}

Component MakeBuiltIn(Rng& rng, int files)
{
    Component c;
    c.name = kBuiltInComponent;
    c.path = L"Compose\\TNol";
    c.curVersion = 3;
    c.size = 81920;
    c.sections.push_back(Section{L"TNol_Main", {}});
    c.sections.push_back(Section{L"TNol_Net", {}});
    for (int j = 0; j < files; ++j) {
        const DestChoice& dest = PickDest(rng, kUpdate);
        c.sections[size_t(j * 2 / files)].records.push_back(
            MakeRecord(rng, L"tnol" + std::wstring(kStems[size_t(j) % kStemCount]) +
                                Num(unsigned(j), 3) + L"." + dest.ext,
                       dest, L"Online services"));
    }
    c.listed = {L"TNol_Main", L"TNol_Net"};
    return c;
}

// Parent and Resource relations of the catalog, the same in every product.
struct Relations {
    std::vector<std::wstring> parent;
    std::vector<std::wstring> resource;
};

Relations MakeRelations(Rng& rng, const std::vector<Component>& components)
{
    const int n = int(components.size());
    Relations rel;
    rel.parent.resize(size_t(n));
    rel.resource.resize(size_t(n));
    std::vector<int> runtimes;
    for (int i = 0; i < n; i += kFamilyCount)
        runtimes.push_back(i);
    for (int i = 0; i < n; ++i) {
        const Family family = Family(i % kFamilyCount);
        if (family == kUi && i >= 5)
            rel.parent[size_t(i)] = components[size_t(i - 5)].name;
        else if (family == kScan && rng.Chance(35))
            rel.parent[size_t(i)] = components[size_t(i - 1)].name;
        else if (family == kWeb && rng.Chance(20))
            rel.parent[size_t(i)] = components[size_t(i - 3)].name;
        if (family == kScan || family == kFirewall || family == kMail || family == kWeb) {
            const int count = 1 + int(rng.Below(2));
            std::wstring list;
            for (int k = 0; k < count; ++k) {
                const int r = runtimes[rng.Below(unsigned(runtimes.size()))];
                if (!list.empty())
                    list += L",";
                list += components[size_t(r)].name;
            }
            rel.resource[size_t(i)] = list;
        }
    }
    return rel;
}

int IndexOf(const std::vector<Component>& components, const std::wstring& name)
{
    for (size_t i = 0; i < components.size(); ++i)
        if (SameName(components[i].name, name))
            return int(i);
    return -1;
}

Product MakeProduct(Rng& rng, int p, int count, const std::vector<Component>& components,
                    const Relations& rel)
{
    const int n = int(components.size());
    Product product;
    product.name = L"Pr" + Num(unsigned(p + 1), 2);
    product.productId = 1000 + 7 * (p + 1);
    product.conflict = p > 0 && rng.Chance(30) ? L"Pr" + Num(unsigned(p), 2) : L"";

    const int start = p * n / count;
    const int length = std::max(3, 2 * n / count);
    std::set<int> chosen;
    for (int k = 0; k < length; ++k) {
        const int c = (start + k) % n;
        if (rng.Chance(70) && chosen.insert(c).second)
            product.all.push_back(components[size_t(c)].name);
    }
    const int extras = 1 + int(rng.Below(3));
    for (int k = 0; k < extras; ++k) {
        const int c = int(rng.Below(unsigned(n)));
        if (chosen.insert(c).second)
            product.all.push_back(components[size_t(c)].name);
    }
    if (product.all.empty())
        product.all.push_back(components[size_t(start)].name);

    auto parentOf = [&](const std::wstring& name) {
        const int i = IndexOf(components, name);
        return i < 0 ? std::wstring() : rel.parent[size_t(i)];
    };
    auto resourceOf = [&](const std::wstring& name) {
        const int i = IndexOf(components, name);
        return i < 0 ? std::wstring() : rel.resource[size_t(i)];
    };
    for (const std::wstring& name : ExpandComponentList(product.all, parentOf, resourceOf)) {
        const int i = IndexOf(components, name);
        CatalogEntry e;
        e.name = name;
        e.type = rng.Chance(90) ? 1 : 2;
        e.parent = parentOf(name);
        e.quotedNoParent = e.parent.empty() && rng.Chance(50);
        e.resource = resourceOf(name);
        const uint32_t os = rng.Below(100);
        e.supportOS = os < 70 ? L"" : os < 85 ? L"0" : os < 95 ? L"3600402" : L"10000";
        e.langGroup = (i >= 0 && i % kFamilyCount == kRuntime) ? 1 : 0;
        product.entries.push_back(std::move(e));
    }
    return product;
}

std::vector<Record*> ListedRecords(Component& c)
{
    std::vector<Record*> records;
    for (const std::wstring& name : c.listed)
        for (Section& s : c.sections)
            if (s.name == name)
                for (Record& r : s.records)
                    records.push_back(&r);
    return records;
}

// The last record of the component's last listed section that is not the
// shared file.
Record& LastListedRecord(Component& c)
{
    for (Section& s : c.sections) {
        if (s.name != c.listed.back())
            continue;
        for (size_t k = s.records.size(); k-- > 0;)
            if (!SameName(s.records[k].name, kSharedFile))
                return s.records[k];
    }
    return *ListedRecords(c).back();
}

}  // namespace

Installation BuildInstallation(const Preset& preset)
{
    Installation inst;
    inst.preset = preset;
    Rng rng(preset.seed);
    const int n = preset.components;
    for (int i = 0; i < n; ++i)
        inst.components.push_back(MakeComponent(rng, i, preset.filesPerComponent, n));
    inst.tnol = MakeBuiltIn(rng, std::max(4, preset.filesPerComponent / 2));

    const Relations rel = MakeRelations(rng, inst.components);
    for (int p = 0; p < preset.products; ++p)
        inst.products.push_back(MakeProduct(rng, p, preset.products, inst.components, rel));
    inst.langGroup = L"Lang0804,Lang0409,Lang0411";
    inst.storedLanguage = 0x0409;

    // Targets: fixed destinations of each kind (relative, environment,
    // macro), in the last listed section so a search walks the whole list.
    Targets& t = inst.targets;
    Record& first = LastListedRecord(inst.components.front());
    MakeTarget(first, L"bin", L"bin\\x86");
    t.firstComponentFile = first.name;

    Record& online = LastListedRecord(inst.tnol);
    MakeTarget(online, L"%ProgramFiles%\\Tessaron\\Online", L"online");
    t.tnolFile = online.name;

    Component& last = inst.components.back();
    std::vector<Record*> lastRecords = ListedRecords(last);
    Record* lastPick = lastRecords[lastRecords.size() / 2];
    if (SameName(lastPick->name, kSharedFile))
        lastPick = lastRecords.back();
    MakeTarget(*lastPick, L"$SYSTEM32", L"sys32");
    t.lastComponentFile = lastPick->name;

    Component& middle = inst.components[size_t(n / 2)];
    Record& inMiddle = LastListedRecord(middle);
    MakeTarget(inMiddle, L"bin\\plugins", L"plugins");
    t.filePathComponent = middle.name;
    t.filePathFile = inMiddle.name;
    t.filePathFilter = inMiddle.dest;

    t.pathComponent = inst.components[size_t((n / 2 + 1) % n)].name;
    t.pathSuffix = L"bin\\scan.dll";
    t.installedComponent = last.name;
    t.product = inst.products.back().name;

    // The file map: every n-th listed record, the targets that resolve
    // through it, and never the one that must stay unmapped.
    Component& third = inst.components[size_t(n / 3)];
    Record* reverse = nullptr;
    for (Record* r : ListedRecords(third))
        if (!reverse && !SameName(r->name, kSharedFile))
            reverse = r;
    std::set<std::wstring> mapped{first.name, online.name, inMiddle.name, reverse->name};
    std::set<std::wstring> usedNames;
    unsigned counter = 0;
    auto addEntries = [&](Component& c) {
        for (Record* r : ListedRecords(c)) {
            const bool wanted = counter++ % unsigned(preset.mapEvery) == 0 ||
                                mapped.count(r->name) != 0;
            if (!wanted || r == lastPick)
                continue;
            MapEntry e;
            e.owner = c.name;
            e.sub = IsRelativeDir(r->dest) ? r->dest : L"";
            e.file = r->name;
            Rng nameRng(preset.seed ^ (uint64_t(counter) << 20));
            do
                e.mapped = L"m" + Hex(nameRng.Next(), 8) + L".tnm";
            while (!usedNames.insert(e.mapped).second);
            if (r == reverse)
                t.mappedName = e.mapped;
            inst.fileMap.push_back(std::move(e));
        }
    };
    for (Component& c : inst.components)
        addEntries(c);
    addEntries(inst.tnol);

    // The shared component: the one contained in the number of products
    // nearest to three (at least two where possible).
    int best = -1, bestScore = 1 << 30;
    for (int i = 0; i < n; ++i) {
        int count = 0;
        for (const Product& p : inst.products)
            count += ProductContains(p, inst.components[size_t(i)].name) ? 1 : 0;
        const int score = count >= 2 ? std::abs(count - 3) : 1000 - count;
        if (score < bestScore) {
            best = i;
            bestScore = score;
        }
    }
    t.sharedComponent = inst.components[size_t(best)].name;
    return inst;
}

}  // namespace bench

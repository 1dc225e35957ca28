#include "explain.h"

#include <vector>

#include "install/file_locator.h"
#include "install/file_map.h"
#include "install/lookup_context.h"

namespace tnt {
namespace {

// A name as the steps show it: in double quotes.
std::wstring Quoted(const std::wstring& text) { return L"\"" + text + L"\""; }

// One step of a lookup in words.
std::wstring Describe(const tn::LookupStep& step)
{
    using tn::LookupEvent;
    auto text = [&](size_t i) { return i < step.texts.size() ? step.texts[i] : std::wstring(); };
    auto quoted = [&](size_t i) { return Quoted(text(i)); };
    const std::wstring code = L"(code " + std::to_wstring(step.code) + L")";
    const std::wstring line = L"[" + text(0) + L"] " + text(1) + L"=" + text(2);
    switch (step.event) {
    case LookupEvent::kDescriptionFileRead:
        return L"component " + quoted(0) + L": description file " + text(1) + L" read";
    case LookupEvent::kDescriptionFileNotLoaded:
        return L"component " + quoted(0) + L": description file " + text(1) + L" not loaded";
    case LookupEvent::kComponentPath:
        return L"[Version] Path = " + quoted(0);
    case LookupEvent::kSectionList:
        return L"[HaveSection] " + text(0) + L" = " + quoted(1);
    case LookupEvent::kSectionMissing:
        return L"section [" + text(0) + L"] not found, skipped";
    case LookupEvent::kRecordPassedOver:
        return line + L" passed over: destination " + quoted(3) + L" is not " + quoted(4);
    case LookupEvent::kRecordMatched:
        return line + L" matches";
    case LookupEvent::kSystem64Asked:
        return L"OsMask asks for the 64-bit system directory";
    case LookupEvent::kSystem64Unavailable:
        return L"64-bit system directory not available, system directory used";
    case LookupEvent::kDestinationExpanded:
        return L"destination " + quoted(0) + L" expands to " + quoted(1);
    case LookupEvent::kDestinationMacro:
        return L"destination " + quoted(0) + L" is a directory macro: " + quoted(1);
    case LookupEvent::kDestinationRelative:
        return L"destination " + quoted(0) + L" below component path " + quoted(1) + L": " +
               quoted(2);
    case LookupEvent::kResolved:
        return L"resolved to " + text(0);
    case LookupEvent::kDefaultPath:
        return L"no record and no [OldFile_Map] redirection: default path";
    case LookupEvent::kMoved:
        return L"[OldFile_Map] " + text(0) + L" = " + text(1) + L": the search moves to " +
               quoted(1);
    case LookupEvent::kMoveIgnored:
        return L"[OldFile_Map] " + quoted(0) +
               L" was already searched, redirection ignored: default path";
    case LookupEvent::kInstallIniNotLoaded:
        return L"search: " + text(0) + L" not loaded";
    case LookupEvent::kSearchOrder: {
        std::wstring order;
        for (const std::wstring& name : step.texts)
            order += (order.empty() ? L"" : L", ") + name;
        return L"search order: " + order;
    }
    case LookupEvent::kNoRecord:
        return L"component " + quoted(0) + L" holds no record of " + quoted(1);
    case LookupEvent::kNotFound:
        return L"search: no installed component holds the file";
    case LookupEvent::kOwnerFromMap:
        return L"the file map names the owner " + quoted(0);
    case LookupEvent::kNameNormalized:
        return L"file name " + quoted(0) + L" looked up as " + quoted(1);
    case LookupEvent::kNotLocated:
        return L"the file is not located: not installed";
    case LookupEvent::kSamePath:
        return L"the located path is this path";
    case LookupEvent::kShortFormsSame:
    case LookupEvent::kShortFormsDiffer:
        return L"located " + text(0) + L"; short forms " + quoted(1) + L" and " + quoted(2) +
               (step.event == LookupEvent::kShortFormsSame ? L" are the same" : L" differ");
    case LookupEvent::kMapSwitchedOff:
        return L"file map: switched off, " + quoted(0) + L" used as it is";
    case LookupEvent::kMapNoOwner:
        return L"file map: no owner, " + quoted(0) + L" used as it is";
    case LookupEvent::kMapped:
        return L"file map: " + text(0) + L" maps " + quoted(1) + L" to " + quoted(2);
    case LookupEvent::kMapEmpty:
        return L"file map: " + text(0) + L" holds an empty name for " + quoted(1) +
               L", name used as it is";
    case LookupEvent::kMapMissing:
        return L"file map: " + text(0) + L" holds no " + quoted(1) + L" " + code +
               L", name used as it is";
    case LookupEvent::kReverseSwitchedOff:
        return L"reverse file map: switched off, " + quoted(0) + L" used as it is";
    case LookupEvent::kReverseNotOpened:
        return L"reverse file map: " + text(0) + L" not opened " + code + L", " + quoted(1) +
               L" used as it is";
    case LookupEvent::kReverseMissing:
        return L"reverse file map: no entry holds " + quoted(0) + L" " + code;
    case LookupEvent::kReverseUnterminated:
        return L"reverse file map: the store's answer for " + quoted(0) +
               L" is not terminated, ignored";
    case LookupEvent::kReverseFound:
        return L"reverse file map: " + quoted(0) + L" found under " + text(1) + L" as " +
               quoted(2) + L", owner " + quoted(3) + L", file name " + quoted(4);
    }
    return L"(a step this tool does not know)";
}

// A lookup context like the export's: the file map as the command line
// sets it, and the steps kept.
struct TracedRun {
    explicit TracedRun(const Invocation& run)
    {
        context.fileMapEnabled = !run.args.noFileMap;
        context.steps = &steps;
    }
    std::vector<tn::LookupStep> steps;
    tn::LookupContext context;
};

// Adds the steps and the traced answer to the response, and warns when the
// export answered otherwise.
void ShowTrace(Response& out, const wchar_t* command, const TracedRun& traced,
               const std::wstring& tracedAnswer, const std::wstring& exportAnswer)
{
    JsonValue& explained = out.json.Set(L"explained", JsonValue::Object());
    JsonValue& steps = explained.Set(L"steps", JsonValue::Array());
    explained.Set(L"answer", JsonValue::String(tracedAnswer));
    std::wstring text = L"How the answer was reached:\n";
    for (size_t i = 0; i < traced.steps.size(); ++i) {
        const std::wstring words = Describe(traced.steps[i]);
        steps.Add(JsonValue::String(words));
        text += L"  " + std::to_wstring(i + 1) + L". " + words + L"\n";
    }
    if (traced.steps.empty())
        text += L"  (no steps: the lookup ended at once)\n";
    out.text = text + L"Answer:\n" + out.text;
    if (tracedAnswer != exportAnswer)
        out.Error(std::wstring(L"tninstall ") + command +
                  L": warning: TNInstall.dll answered \"" + exportAnswer +
                  L"\" but the traced lookup answered \"" + tracedAnswer +
                  L"\"; the DLL beside the tool may come from another build");
}

std::wstring YesNo(bool value) { return value ? L"yes" : L"no"; }

}  // namespace

void ExplainMap(const Invocation& run, Response& out, const StringAnswer& exported)
{
    TracedRun traced(run);
    const std::wstring answer = tn::MapFileName(run.Arg(0), run.Arg(1), run.Arg(2), traced.context);
    ShowTrace(out, L"map", traced, answer, exported.text);
}

void ExplainUnmap(const Invocation& run, Response& out, const PairAnswer& exported)
{
    TracedRun traced(run);
    std::wstring owner;
    const std::wstring name = tn::UnmapFileName(run.Arg(0), owner, traced.context);
    ShowTrace(out, L"unmap", traced, name + L" / " + owner, exported.text + L" / " + exported.second);
}

void ExplainFile(const Invocation& run, Response& out, const StringAnswer& exported)
{
    TracedRun traced(run);
    const std::wstring answer =
        tn::FindComponentFile(run.Arg(0), run.Arg(1), run.Arg(2), traced.context);
    ShowTrace(out, L"file", traced, answer, exported.text);
}

void ExplainFind(const Invocation& run, Response& out, const PairAnswer& exported)
{
    TracedRun traced(run);
    std::wstring component;
    const std::wstring path = tn::LocateInstalledFile(run.Arg(0), &component, traced.context);
    ShowTrace(out, L"find", traced, path.empty() ? path : path + L" / " + component,
              exported.result ? exported.text + L" / " + exported.second : std::wstring());
}

void ExplainIsInstalled(const Invocation& run, Response& out, int exported)
{
    TracedRun traced(run);
    const bool answer = tn::IsInstalledFile(run.Arg(0), traced.context);
    ShowTrace(out, L"is-installed", traced, YesNo(answer), YesNo(exported != 0));
}

}  // namespace tnt

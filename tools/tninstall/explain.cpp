#include "explain.h"

#include <vector>

#include "install/file_locator.h"
#include "install/file_map.h"
#include "install/lookup_context.h"

namespace tnt {
namespace {

class StepList final : public tn::ITraceSink {
public:
    void Step(const std::wstring& text) override { steps.push_back(text); }
    std::vector<std::wstring> steps;
};

// A lookup context like the export's: the file map as the command line
// sets it, and the steps collected.
struct TracedRun {
    explicit TracedRun(const Invocation& run)
    {
        context.fileMapEnabled = !run.args.noFileMap;
        context.trace = &sink;
    }
    StepList sink;
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
    for (size_t i = 0; i < traced.sink.steps.size(); ++i) {
        steps.Add(JsonValue::String(traced.sink.steps[i]));
        text += L"  " + std::to_wstring(i + 1) + L". " + traced.sink.steps[i] + L"\n";
    }
    if (traced.sink.steps.empty())
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

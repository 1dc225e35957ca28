#pragma once
#include "commands.h"

namespace tnt {

// --explain for map, unmap, file, find and is-installed. The steps come from
// the library's own lookup code, linked into the tool, run with a list of
// steps in its LookupContext: the same operations the exports call, noting
// what they found and which way they went, so the explanation cannot tell
// another story than the answer; this tool puts the steps into words. The answer shown is the
// export's, asked of TNInstall.dll as usual; should the traced run answer
// otherwise (a DLL from another build beside the tool), a warning says so.
// Each takes the export's answer, already in the response.
void ExplainMap(const Invocation&, Response&, const StringAnswer& exported);
void ExplainUnmap(const Invocation&, Response&, const PairAnswer& exported);
void ExplainFile(const Invocation&, Response&, const StringAnswer& exported);
void ExplainFind(const Invocation&, Response&, const PairAnswer& exported);
void ExplainIsInstalled(const Invocation&, Response&, int exported);

}  // namespace tnt

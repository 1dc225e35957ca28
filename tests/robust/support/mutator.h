#pragma once
#include <string>
#include <vector>

#include "rng.h"

namespace tnrobust {

// Lengths just below, at and above the limits of the configuration files:
// key and section name (127), list item (511), record item (256), line piece
// (1023), line (2047), three pieces (3069).
extern const size_t kBoundaryLengths[];
extern const size_t kBoundaryLengthCount;
size_t PickBoundaryLength(Rng& rng);

// Characters the readers treat specially, and texts they look for.
const std::vector<std::wstring>& SpecialTokens();

// Random edits of UTF-16 text: inserted tokens and long runs, deleted,
// duplicated and swapped stretches, changed characters.
void MutateText(std::wstring& text, Rng& rng, int edits);

// Random edits of raw bytes, including odd lengths, lone bytes of code
// units and a missing or byte-swapped byte-order mark.
void MutateBytes(std::string& bytes, Rng& rng, int edits);

// UTF-16LE bytes of a text, with or without the byte-order mark; "\n" is
// written as CR LF when `crlf` is set.
std::string Utf16Bytes(const std::wstring& text, bool bom, bool crlf);
std::wstring TextOfUtf16(const std::string& bytes);  // drops a leading mark

}  // namespace tnrobust

#pragma once
#include <cstddef>

namespace tn {

class CIniKeyFilter;
class CIniReader;
class FileText;

// A physical line is read in pieces of at most this many characters, into
// a line of at most CIniReader::kMaxLineChars; the rest is cut.
constexpr size_t kPieceMaxChars = 1023;
// A line examines at most three pieces, each up to the character after it
// (a line feed there is taken with the piece, and after a piece of full
// length the line goes on with the next physical line): a parser that
// reads its text in windows keeps this much ahead of the line it starts.
constexpr size_t kLineLookahead = 3 * (kPieceMaxChars + 1);

// Reads the INI lines of a text of UTF-16 code units into `document`,
// appending its sections and their entries; a byte-order mark (either way
// round) at the start is skipped. With `keys`, a section keeps only the
// entries whose key the filter holds.
//
// Parsing a text of the document's own: `text` holds `count` code units
// followed by one spare unit. TABs are turned into blanks in place, and the
// key and value of a line that is one piece are terminated in place, so its
// entry points into the text without a copy; a line joined from several
// pieces is assembled in the document's line buffer and its texts are
// stored apart.
void ParseIniText(wchar_t* text, size_t count, CIniReader& document, const CIniKeyFilter* keys);
// Parsing the rest of `file` read through a window of `capacity` code units
// at `window`, which moves along the file (a partial load, which keeps few
// lines): every text kept is stored apart. A window of more than
// kLineLookahead units reads every line as the whole text would.
void ParseIniFileText(FileText& file, wchar_t* window, size_t capacity, CIniReader& document,
                      const CIniKeyFilter* keys);

}  // namespace tn

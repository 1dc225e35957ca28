#pragma once
#include <string>
#include <vector>

#include "export_calls.h"

namespace tnrobust {

// One input of the tree fuzzer: files written over the demo installation
// (or removed from it) and the export calls made on the result.
struct TreeInput {
    struct File {
        std::wstring relative;  // below the install directory
        bool remove = false;
        bool folder = false;    // a folder of that name takes the file's place
        std::string bytes;
    };
    std::vector<File> files;
    std::vector<ExportCall> calls;
};

// Saved form, one item a line: "file <path>" then the bytes in hex on the
// next line, "remove <path>", "folder <path>", "call <call>" (texts escaped
// as in the call syntax). In call texts, "{I}" stands for the install
// directory, so a saved input replays under any folder.
std::string SaveTreeInput(const TreeInput& input);
TreeInput LoadTreeInput(const std::string& saved);

}  // namespace tnrobust

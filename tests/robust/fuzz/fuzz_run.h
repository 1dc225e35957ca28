#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "file_util.h"

namespace tnrobust {

// The options every fuzzer takes:
//   --iterations N   generated inputs to try (default: the target's CI count)
//   --seed S         first seed (default 1); input i uses InputSeed(S, i)
//   --only I         try input number I alone (to replay a reported one)
//   --corpus DIR     replay the target's saved inputs below DIR first
//   --failures DIR   save every failing input there (default: none)
//   --work DIR       folder for the files a fuzzer writes (default: a temp folder)
//   --guard BYTES    guard pages behind heap blocks of at least BYTES bytes
//   --hang SECONDS   report a hang after this long without progress (default 300)
struct FuzzOptions {
    std::wstring target;
    uint64_t iterations = 0;
    bool iterationsGiven = false;
    uint64_t seed = 1;
    bool onlyOne = false;
    uint64_t only = 0;
    std::wstring corpusDir;
    std::wstring failuresDir;
    std::wstring workDir;
    size_t guardBytes = 0;
    unsigned hangSeconds = 300;
};

bool ParseFuzzOptions(int argc, wchar_t** argv, FuzzOptions& options, std::string& error);

// One failing input: what went wrong and the bytes that make it happen.
struct FuzzFailure {
    std::string message;
    std::string input;           // the saved form of the input
    std::wstring extension;      // of the saved file, e.g. L".ini"
};

// Runs `check` on every saved input of `corpusSubdir` below the corpus folder
// (files in name order; each file's bytes are the input), then on the
// generated inputs. `generate` makes input number i's saved form from its
// seed; `check` returns an empty message when the input passes. Returns the
// process exit code: 0 when every input passed, 1 otherwise.
int RunFuzz(const FuzzOptions& options, uint64_t defaultIterations,
            const std::wstring& corpusSubdir, const std::wstring& extension,
            const std::function<std::string(uint64_t seed)>& generate,
            const std::function<std::string(const std::string& input)>& check);

}  // namespace tnrobust

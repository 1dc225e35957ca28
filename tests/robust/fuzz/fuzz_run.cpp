#include "fuzz_run.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>

#include "alloc_hooks.h"
#include "crash_guard.h"
#include "rng.h"
#include "test_support.h"

namespace tnrobust {
namespace {

bool Number(const wchar_t* text, uint64_t& value)
{
    wchar_t* end = nullptr;
    value = wcstoull(text, &end, 0);
    return end != text && *end == L'\0';
}

void Say(const std::string& text)
{
    std::fputs(text.c_str(), stderr);
    std::fflush(stderr);
}

}  // namespace

bool ParseFuzzOptions(int argc, wchar_t** argv, FuzzOptions& options, std::string& error)
{
    if (argc < 2) {
        error = "usage: tn_fuzz <ini|record|tree|hive> [options]";
        return false;
    }
    options.target = argv[1];
    for (int i = 2; i < argc; ++i) {
        const std::wstring flag = argv[i];
        if (i + 1 >= argc) {
            error = "missing value after " + tntest::ToUtf8(flag);
            return false;
        }
        const wchar_t* value = argv[++i];
        uint64_t number = 0;
        const bool numeric = Number(value, number);
        if (flag == L"--iterations" && numeric) {
            options.iterations = number;
            options.iterationsGiven = true;
        } else if (flag == L"--seed" && numeric) {
            options.seed = number;
        } else if (flag == L"--only" && numeric) {
            options.onlyOne = true;
            options.only = number;
        } else if (flag == L"--guard" && numeric) {
            options.guardBytes = static_cast<size_t>(number);
        } else if (flag == L"--hang" && numeric) {
            options.hangSeconds = static_cast<unsigned>(number);
        } else if (flag == L"--corpus") {
            options.corpusDir = value;
        } else if (flag == L"--failures") {
            options.failuresDir = value;
        } else if (flag == L"--work") {
            options.workDir = value;
        } else {
            error = "unknown option " + tntest::ToUtf8(flag) + " " + tntest::ToUtf8(value);
            return false;
        }
    }
    return true;
}

int RunFuzz(const FuzzOptions& options, uint64_t defaultIterations,
            const std::wstring& corpusSubdir, const std::wstring& extension,
            const std::function<std::string(uint64_t seed)>& generate,
            const std::function<std::string(const std::string& input)>& check)
{
    const std::string name = tntest::ToUtf8(options.target);
    SetGuardPages(options.guardBytes);
    int failures = 0;
    auto fail = [&](const std::string& where, const std::string& input, const std::string& message) {
        ++failures;
        Say("FAIL " + name + " " + where + ": " + message + "\n");
        if (!options.failuresDir.empty()) {
            CreateDirectoryW(options.failuresDir.c_str(), nullptr);
            WriteFileBytes(options.failuresDir + L"\\" + options.target + L"-" +
                               std::wstring(where.begin(), where.end()) + extension,
                           input);
        }
    };

    uint64_t replayed = 0;
    if (!options.corpusDir.empty() && !options.onlyOne) {
        for (const std::wstring& file : ListFiles(options.corpusDir + L"\\" + corpusSubdir)) {
            const std::string input = ReadFileBytes(file);
            const std::string where = "corpus " + tntest::ToUtf8(file.substr(file.find_last_of(L'\\') + 1));
            SetCurrentInput([where] { return where + "\n"; });
            const std::string message = check(input);
            if (!message.empty())
                fail(where, input, message);
            ++replayed;
            Progress();
        }
    }

    const uint64_t count = options.iterationsGiven ? options.iterations : defaultIterations;
    const uint64_t first = options.onlyOne ? options.only : 0;
    const uint64_t last = options.onlyOne ? options.only + 1 : count;
    const DWORD started = GetTickCount();
    uint64_t tried = 0;
    for (uint64_t i = first; i < last; ++i) {
        const uint64_t seed = InputSeed(options.seed, i);
        const std::string input = generate(seed);
        const std::string where = "seed-" + std::to_string(options.seed) + "-input-" + std::to_string(i);
        SetCurrentInput([&input, where, &options] {
            return where + " (replay: tn_fuzz " + tntest::ToUtf8(options.target) + " --seed " +
                   std::to_string(options.seed) + " --only " +
                   where.substr(where.rfind('-') + 1) + ")\n";
        });
        const std::string message = check(input);
        if (!message.empty())
            fail(where, input, message);
        ++tried;
        Progress();
        if (tried % 100000 == 0)
            Say(name + ": " + std::to_string(tried) + " inputs, " + std::to_string(failures) +
                " failures\n");
    }
    SetCurrentInput(nullptr);
    Say(name + ": " + std::to_string(replayed) + " saved inputs replayed, " +
        std::to_string(tried) + " generated inputs (seed " + std::to_string(options.seed) +
        ") in " + std::to_string((GetTickCount() - started) / 1000) + " s, " +
        std::to_string(failures) + " failures\n");
    return failures == 0 ? 0 : 1;
}

}  // namespace tnrobust

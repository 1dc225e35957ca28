#pragma once
#include <cstdint>
#include <functional>
#include <string>

namespace tnrobust {

// Long runs must say which input brought them down. While a guard is set,
// a crash (an unhandled exception, a stack-protector trap, an exception that
// escapes) or a hang (no call of Progress for `hangSeconds`) writes the
// text of `describe` (the input being tried) to standard error and to
// `reportPath`, then ends the process with exit code 3.
void InstallCrashGuard(const std::wstring& reportPath, unsigned hangSeconds);
// What is being tried now; called before each input. Its text is made only
// when the process is about to end.
void SetCurrentInput(std::function<std::string()> describe);
// Tells the hang watch that the run moves on.
void Progress();

}  // namespace tnrobust

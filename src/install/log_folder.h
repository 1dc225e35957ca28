#pragma once

namespace tn {

// Sends the diagnostic log to {I}Data\TNLog\, {I} being the install
// directory as the first log call finds it (the Windows directory when none
// is set). A program that uses the core calls this once as it starts,
// before anything logs; TNInstall.dll does so when it is loaded. Without it
// the log writes below the Windows directory.
void UseInstallLogFolder();

}  // namespace tn

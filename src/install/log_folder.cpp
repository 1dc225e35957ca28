// The diagnostic log's folder rule: {I}Data\TNLog\ when the install
// directory is known at the first log call. The log (platform/) asks for the
// base folder through a source; this file sets it while the program starts,
// before anything can log. Nothing calls into this file, so the build links
// it into every program of the core as an object of its own.
#include "install/layout.h"
#include "platform/log.h"

namespace tn {
namespace {

// {I}Data, or empty when the install directory is unknown.
std::wstring InstallDataFolder()
{
    const std::wstring installDir = GetInstallDir();
    return installDir.empty() ? installDir : installDir + L"Data";
}

struct LogFolderRule {
    LogFolderRule() { SetLogBaseFolderSource(&InstallDataFolder); }
};
const LogFolderRule g_logFolderRule;

}  // namespace
}  // namespace tn

#include "install/log_folder.h"

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

}  // namespace

void UseInstallLogFolder() { SetLogBaseFolderSource(&InstallDataFolder); }

}  // namespace tn

#include "api/filemap_switch.h"

namespace tn {
namespace {
int g_fileMapSwitch = 1;
}

int SetFileMapSwitch(int value)
{
    const int previous = g_fileMapSwitch;
    g_fileMapSwitch = value;
    return previous;
}

int GetFileMapSwitch() { return g_fileMapSwitch; }

}  // namespace tn

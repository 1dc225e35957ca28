// The export shims compiled into this program, as a table by ordinal.
#include "export_calls.h"

#include "TNInstall.h"

namespace tnrobust {
namespace {

template <class Fn>
FARPROC Entry(Fn* fn)
{
    return reinterpret_cast<FARPROC>(reinterpret_cast<void*>(fn));
}

}  // namespace

ExportTable LinkedExports()
{
    ExportTable t;
    t.entry[1] = Entry(&GetInstallPath);
    t.entry[2] = Entry(&GetBackupPath);
    t.entry[3] = Entry(&GetMappedFileName);
    t.entry[4] = Entry(&GetUnmappedFileName);
    t.entry[5] = Entry(&GetComponentFilePath);
    t.entry[6] = Entry(&GetComponentPath);
    t.entry[7] = Entry(&GetComponentProducts);
    t.entry[8] = Entry(&GetProductId);
    t.entry[9] = Entry(&IsComponentInstalled);
    t.entry[10] = Entry(&IsProductInstalled);
    t.entry[11] = Entry(&IsInstalledFile);
    t.entry[12] = Entry(&IsSingleProductComponent);
    t.entry[13] = Entry(&SetFileMapEnabled);
    t.entry[14] = Entry(&GetFileMapEnabled);
    t.entry[15] = Entry(&GetLanguage);
    t.entry[16] = Entry(&SetLanguage);
    t.entry[17] = Entry(&GetOemName);
    t.entry[18] = Entry(&FindInstalledFile);
    t.entry[19] = Entry(&GetOsVersionType);
    return t;
}

}  // namespace tnrobust

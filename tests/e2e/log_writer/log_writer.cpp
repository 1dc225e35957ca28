// Writes diagnostic log lines from a fresh process, so that the log folder is
// computed anew for each run. Each argument is one command, its fields
// separated by '|':
//   a|text                 WriteLogA with the text
//   w|text                 WriteLogW with the text
//   null                   WriteLogA and WriteLogW with a null message
//   reg|Name|text          set a REG_SZ under HKLM\Software\Tessaron
//   regdel|Name            delete such a value
#include <windows.h>

#include <string>

#include "platform/log.h"
#include "test_support.h"
#include "install/log_folder.h"

namespace {

std::string Narrow(const std::wstring& text)
{
    std::string out;
    for (wchar_t c : text)
        out += static_cast<char>(c < 0x80 ? c : '?');
    return out;
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    tn::UseInstallLogFolder();
    for (int i = 1; i < argc; ++i) {
        const std::wstring command = argv[i];
        const size_t bar = command.find(L'|');
        const std::wstring verb = command.substr(0, bar);
        const std::wstring rest = bar == std::wstring::npos ? L"" : command.substr(bar + 1);
        const size_t bar2 = rest.find(L'|');
        if (verb == L"a")
            tn::WriteLogA(Narrow(rest).c_str());
        else if (verb == L"w")
            tn::WriteLogW(rest.c_str());
        else if (verb == L"null") {
            tn::WriteLogA(nullptr, 5, 1);
            tn::WriteLogW(nullptr, 5, 1);
        } else if (verb == L"reg" && bar2 != std::wstring::npos) {
            const std::wstring text = rest.substr(bar2 + 1);
            tntest::SetMachineBytes(rest.substr(0, bar2).c_str(), REG_SZ, text.c_str(),
                                    DWORD((text.size() + 1) * sizeof(wchar_t)));
        } else if (verb == L"regdel")
            tntest::DeleteMachineValue(rest.c_str());
        else
            return 2;
    }
    return 0;
}

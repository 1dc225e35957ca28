#include "api/copy_rule.h"

#include <cwchar>

#include "win32/wide_text.h"

namespace tn {

int CopyAnswer(const std::wstring& answer, wchar_t* buffer, DWORD size)
{
    if (answer.empty() || size == 0)
        return 0;
    CopyCut(answer, buffer, size);
    return 1;
}

}  // namespace tn

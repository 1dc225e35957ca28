#include "api/copy_rule.h"

#include <cwchar>

namespace tn {

int CopyAnswer(const std::wstring& answer, wchar_t* buffer, DWORD size)
{
    if (answer.empty() || size == 0)
        return 0;
    const size_t n = answer.size() < size - 1 ? answer.size() : size - 1;
    wmemcpy(buffer, answer.data(), n);
    buffer[n] = L'\0';
    return 1;
}

}  // namespace tn

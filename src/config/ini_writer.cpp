#include "config/ini_writer.h"

#include <windows.h>

#include <new>
#include <string>

#include "config/ini_section.h"
#include "config/ini_syntax.h"
#include "platform/file_io.h"

namespace tn {
namespace {

void AppendLine(std::wstring& out, const wchar_t* text)
{
    out += text;
    out += L"\r\n";
}

}  // namespace

bool WriteIniFile(const wchar_t* path, const std::vector<CIniSection*>& sections)
{
    SetFileAttributesW(path, FILE_ATTRIBUTE_NORMAL);
    try {
        std::wstring out(1, kByteOrderMark);
        std::wstring line;
        for (const CIniSection* section : sections) {
            line.assign(1, kOpenBracket).append(section->GetName()).append(1, kCloseBracket);
            AppendLine(out, line.c_str());
            for (size_t i = 0; i < section->GetEntryCount(); ++i) {
                const CIniEntry* entry = section->GetEntryAt(i);
                line.assign(entry->GetKey()).append(1, kKeySeparator).append(entry->GetValue());
                AppendLine(out, line.c_str());
            }
            AppendLine(out, L"");
        }
        return ReplaceFileContent(path, out.data(), out.size() * sizeof(wchar_t));
    } catch (const std::bad_alloc&) {
        return false;
    }
}

}  // namespace tn

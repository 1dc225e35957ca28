#include "install_tree.h"

namespace tntest {

InstallTree::InstallTree() : install_(L"InstallPath", dir_.Path().c_str()) {}

std::wstring InstallTree::ComposeFile(const std::wstring& component) const
{
    return Dir() + L"Install\\Compose\\" + component + L".ini";
}

void InstallTree::WriteComponent(const std::wstring& component, const std::wstring& text) const
{
    WriteUtf16(ComposeFile(component), text);
}

void InstallTree::WriteInstallIni(const std::wstring& composeList) const
{
    WriteUtf16(Dir() + L"Install\\install.ini",
               L"[InstallCompose]\nComposeList=" + composeList + L"\n");
}

std::wstring InstallTree::MakeFile(const std::wstring& relative) const
{
    const std::wstring path = Dir() + relative;
    WriteBytes(path, std::string());
    return path;
}

std::string InstallTree::ReadLog(const std::wstring& program) const
{
    const std::wstring path = Dir() + L"Data\\TNLog\\" + program + L".log";
    return FileExists(path) ? ReadBytes(path) : std::string();
}

std::wstring RecordValue(const std::wstring& dest, const std::wstring& osMask)
{
    return L"src," + dest + L",1,2,3,4,5,6,7,8,a,b,1F,c,9," + osMask;
}

}  // namespace tntest

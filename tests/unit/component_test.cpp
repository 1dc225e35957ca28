// CComponent: loading a component description file, its result codes and
// messages, the record sections, [OptionPlugin] and the display texts.
#include <gtest/gtest.h>

#include <cstring>
#include <cwchar>
#include <memory>
#include <string>

#include "config/component.h"
#include "install/layout.h"
#include "install_tree.h"
#include "platform/log.h"
#include "stdout_capture.h"

namespace {

using tn::CComponent;
using tntest::RecordValue;

constexpr const wchar_t* kProgram = L"tn_unit_tests.exe";

std::string Ansi(const std::wstring& text)
{
    const int n = WideCharToMultiByte(CP_THREAD_ACP, 0, text.c_str(), int(text.size()), nullptr,
                                      0, nullptr, nullptr);
    std::string out(size_t(n), '\0');
    WideCharToMultiByte(CP_THREAD_ACP, 0, text.c_str(), int(text.size()), &out[0], n, nullptr,
                        nullptr);
    return out;
}

class ComponentFile : public ::testing::Test {
protected:
    void SetUp() override
    {
        tn::ResetInstallDirCacheForTesting();
        tn::ResetLogFolderForTesting();
    }
    void TearDown() override
    {
        tn::ResetInstallDirCacheForTesting();
        tn::ResetLogFolderForTesting();
    }

    std::string Log() const { return tree.ReadLog(kProgram); }

    tntest::InstallTree tree;
};

TEST_F(ComponentFile, LoadAnswersItsResultCodes)
{
    const std::wstring rec = RecordValue(L"bin");
    struct Case {
        const char* what;
        std::wstring text;  // empty: no file
        int code;
        size_t entries;
        size_t sections;
        std::wstring logged;  // a text the log must hold afterwards
        bool complains;       // the short-line message on standard output
    };
    const std::wstring path = tree.ComposeFile(L"Comp");
    const Case cases[] = {
        {"complete", L"[HaveSection]\nComp=Files\n[Files]\na.dll=" + rec, 0, 1, 1, L"", false},
        {"no file", L"", 18, 0, 0, L"Error,LoadTNFile file=" + path, false},
        {"no [HaveSection]", L"[Version]\nCurVersion=3\n", 20, 0, 0,
         L"Error,not found HaveSection key in this file=" + path, false},
        {"empty [HaveSection]", L"[HaveSection]\n[Files]\na.dll=" + rec, 21, 0, 0, L"", false},
        {"listed section missing", L"[HaveSection]\nComp=Files,Nope\n[Files]\na.dll=" + rec, 23,
         1, 1, L"  error: can not find \"Nope\" section .\n", false},
        {"short record", L"[HaveSection]\nComp=Files\n[Files]\na.dll=1,2,3\n", 23, 0, 1, L"",
         true},
        {"same file in two sections",
         L"[HaveSection]\nComp=Files\nOther=More\n[Files]\na.dll=" + rec +
             L"\n[More]\nA.DLL=" + RecordValue(L"$SYSTEM32"),
         23, 1, 2,
         L"  \u6587\u4EF6A.DLL\u5728\u7EC4\u4EF6Comp\u4E2D\u6709\u591A\u4E2A\u5730\u65B9"
         L"\u51FA\u73B0\uFF0C\u8BF7\u4FEE\u6539\uFF01\n",
         false},
        {"section named twice", L"[HaveSection]\nComp=Files,files\nOther=FILES\n[Files]\na.dll=" +
                                    rec,
         0, 1, 1, L"", false},
        {"empty names", L"[HaveSection]\nComp=,,Files,\n[Files]\na.dll=" + rec, 0, 1, 1, L"",
         false},
        {"600-character name ends the list",
         L"[HaveSection]\nComp=Files," + std::wstring(600, L'x') + L",More\n[Files]\na.dll=" +
             rec + L"\n[More]\nb.dll=" + rec,
         0, 1, 1, L"", false},
    };
    for (const Case& c : cases) {
        DeleteFileW(path.c_str());
        if (!c.text.empty())
            tree.WriteComponent(L"Comp", c.text);
        CComponent component(path.c_str());
        std::string out;
        {
            tntest::StdoutCapture capture;
            EXPECT_EQ(c.code, component.Load()) << c.what;
            out = capture.Text();
        }
        EXPECT_EQ(c.code == 0 ? 1 : 0, component.Loaded) << c.what;
        EXPECT_EQ(c.entries, component.Entries.size()) << c.what;
        EXPECT_EQ(c.sections, component.LoadedSections.Count()) << c.what;
        if (!c.logged.empty()) {
            EXPECT_NE(std::string::npos, Log().find(Ansi(c.logged))) << c.what << "\n" << Log();
        }
        EXPECT_EQ(c.complains, out.find("Item Count error,current count is 3 ,request 16") !=
                                   std::string::npos)
            << c.what << ": " << out;
    }
}

TEST_F(ComponentFile, GarbageDescriptionFileIsNotAComponent)
{
    std::string bytes;
    unsigned seed = 12345;
    for (int i = 0; i < 4099; ++i) {
        seed = seed * 1103515245u + 12345u;
        bytes.push_back(char(seed >> 16));
    }
    tntest::WriteBytes(tree.ComposeFile(L"Junk"), bytes);
    CComponent component(tree.ComposeFile(L"Junk").c_str());
    EXPECT_EQ(tn::kComponentNoHaveSection, component.Load());
    EXPECT_TRUE(component.Entries.empty());
}

TEST_F(ComponentFile, ReadsVersionDataAndRecords)
{
    struct Case {
        const wchar_t* version;
        int curVersion;
    };
    const Case cases[] = {{L"", 1}, {L"CurVersion=0\n", 1}, {L"CurVersion=-3\n", 1},
                          {L"CurVersion=7\n", 7}};
    for (const Case& c : cases) {
        tree.WriteComponent(L"Comp", std::wstring(L"[Version]\n") + c.version +
                                         L"Size=42\nPath=Compose\\Comp\n[HaveSection]\n"
                                         L"Comp=Files,Sys\n[Files]\na.dll=" +
                                         RecordValue(L"bin") + L"\nb.dll=" + RecordValue(L"") +
                                         L"\n[Sys]\nc.dll=" + RecordValue(L"$SYSTEM32", L"400"));
        CComponent component(tree.ComposeFile(L"Comp").c_str());
        ASSERT_EQ(0, component.Load()) << c.version;
        EXPECT_EQ(c.curVersion, component.CurVersion) << c.version;
        EXPECT_EQ(42, component.Size);
        EXPECT_EQ(L"Compose\\Comp", component.Path);
        ASSERT_EQ(3u, component.Entries.size());
        const tn::FileEntry& c3 = component.Entries[2];
        EXPECT_STREQ(L"c.dll", c3.Record.Name);
        EXPECT_STREQ(L"Sys", c3.Section);
        EXPECT_STREQ(L"Comp", c3.Component);
        EXPECT_STREQ(L"Compose\\Comp", c3.ComponentPath);
        EXPECT_EQ(0x400u, c3.Record.OsMask);
        EXPECT_EQ(0, component.FindLoadedSection(L"files"));
        EXPECT_EQ(1, component.FindLoadedSection(L"SYS"));
        EXPECT_EQ(-1, component.FindLoadedSection(L"Other"));
        EXPECT_EQ(-1, component.FindLoadedSection(nullptr));
    }
}

TEST_F(ComponentFile, FindsEntriesByNameAndDestination)
{
    CComponent component(L"C:\\x\\Comp.ini");
    component.Path = L"P";
    auto make = [](const wchar_t* name, const wchar_t* dest, const wchar_t* owner) {
        auto e = std::make_unique<tn::FileEntry>();
        std::memset(e.get(), 0, sizeof(tn::FileEntry));
        wcscpy(e->Record.Name, name);
        wcscpy(e->Record.DestDir, dest);
        wcscpy(e->Component, owner);
        return e;
    };
    EXPECT_EQ(1, component.AddFileEntry(*make(L"a.dll", L"bin", L"Comp")));
    EXPECT_EQ(0, component.AddFileEntry(*make(L"A.DLL", L"lib", L"comp")));  // duplicate
    EXPECT_EQ(1, component.AddFileEntry(*make(L"b.dll", L"lib", L"")));
    ASSERT_EQ(2u, component.Entries.size());
    EXPECT_STREQ(L"Comp", component.Entries[1].Component);  // the copy gets the component
    EXPECT_STREQ(L"P", component.Entries[1].ComponentPath);

    EXPECT_EQ(&component.Entries[0], component.FindFileEntry(L"A.dll", nullptr));
    EXPECT_EQ(&component.Entries[0], component.FindFileEntry(L"a.dll", L"BIN"));
    EXPECT_EQ(nullptr, component.FindFileEntry(L"a.dll", L"lib"));
    EXPECT_EQ(&component.Entries[1], component.FindFileEntry(L"b.dll", L"lib"));
    EXPECT_EQ(nullptr, component.FindFileEntry(nullptr, nullptr));
}

TEST_F(ComponentFile, AFailedReloadKeepsEarlierEntries)
{
    tree.WriteComponent(L"Comp", L"[HaveSection]\nComp=Files\n[Files]\na.dll=" + RecordValue(L""));
    CComponent component(tree.ComposeFile(L"Comp").c_str());
    ASSERT_EQ(0, component.Load());
    ASSERT_EQ(0, component.Load());  // a reload starts afresh
    EXPECT_EQ(1u, component.Entries.size());
    DeleteFileW(tree.ComposeFile(L"Comp").c_str());
    EXPECT_EQ(18, component.Load());
    EXPECT_EQ(0, component.Loaded);
    EXPECT_EQ(1u, component.Entries.size());
}

TEST_F(ComponentFile, OptionPluginFillsTenSlotsPerFile)
{
    std::wstring text = L"[HaveSection]\nComp=Files\n[Files]\na.dll=" + RecordValue(L"") +
                        L"\nb.dll=" + RecordValue(L"") + L"\nc.dll=" + RecordValue(L"") +
                        L"\n[OptionPlugin]\n"
                        L"a.dll={1},{2}\n"
                        L"a.dll=,second\n"
                        L"a.dll=first,\n"   // stored, but the slot stays free
                        L"a.dll=x,y\n"
                        L"a.dll=p,q,r\n"    // three items: ignored
                        L"nofile.dll=m,n\n"  // no such file: ignored
                        L"b.dll=" + std::wstring(50, L'f') + L"," + std::wstring(50, L's') + L"\n";
    for (int i = 1; i <= 11; ++i)
        text += L"c.dll=k" + std::to_wstring(i) + L",v" + std::to_wstring(i) + L"\n";
    tree.WriteComponent(L"Comp", text);
    CComponent component(tree.ComposeFile(L"Comp").c_str());
    ASSERT_EQ(0, component.Load());

    const tn::FileEntry* a = component.FindFileEntry(L"a.dll", nullptr);
    ASSERT_NE(nullptr, a);
    EXPECT_STREQ(L"{1}", a->Options[0].First);
    EXPECT_STREQ(L"{2}", a->Options[0].Second);
    EXPECT_STREQ(L"", a->Options[1].First);
    EXPECT_STREQ(L"second", a->Options[1].Second);
    EXPECT_STREQ(L"x", a->Options[2].First);
    EXPECT_STREQ(L"y", a->Options[2].Second);
    EXPECT_STREQ(L"", a->Options[3].Second);

    const tn::FileEntry* b = component.FindFileEntry(L"b.dll", nullptr);
    EXPECT_EQ(std::wstring(41, L'f'), b->Options[0].First);
    EXPECT_EQ(std::wstring(41, L's'), b->Options[0].Second);

    const tn::FileEntry* c = component.FindFileEntry(L"c.dll", nullptr);
    EXPECT_STREQ(L"k10", c->Options[9].First);
    const std::string log = Log();
    const std::string warning = "waring!!! option clsid one file must least then 10, clsid=";
    EXPECT_NE(std::string::npos, log.find(warning + "k11,v11"));
    EXPECT_EQ(log.find(warning), log.rfind(warning)) << "warned more than once";
}

TEST_F(ComponentFile, ReadsDisplayTextsUnlessTypeTwo)
{
    tree.WriteComponent(L"Comp", L"[Info]\nTitle0409=Hello\nDetail0409=A||B\nTitle000A=Hola\n"
                                 L"[HaveSection]\nComp=Files\n[Files]\na.dll=" +
                                     RecordValue(L""));
    for (int type : {0, 2}) {
        CComponent component(tree.ComposeFile(L"Comp").c_str());
        component.Type = type;
        wcscpy(component.Texts[0].Title, L"Old");
        ASSERT_EQ(0, component.Load());
        EXPECT_STREQ(type == 2 ? L"Old" : L"", component.Texts[0].Title);  // 0804: absent
        EXPECT_STREQ(type == 2 ? L"" : L"Hello", component.Texts[1].Title);
        EXPECT_STREQ(type == 2 ? L"" : L"A||B", component.Texts[1].Detail);
        EXPECT_STREQ(type == 2 ? L"" : L"Hola", component.Texts[4].Title);
    }
    EXPECT_STREQ(L"000A", tn::kLanguageCodes[4]);

    CComponent reload(tree.ComposeFile(L"Comp").c_str());
    EXPECT_EQ(1, reload.ReadInfo(true));
    EXPECT_EQ(1, reload.Loaded);
    EXPECT_STREQ(L"Hello", reload.Texts[1].Title);
    CComponent missing(tree.ComposeFile(L"Nope").c_str());
    EXPECT_EQ(0, missing.ReadInfo(true));
}

TEST(ComponentName, IsTheFileNameWithoutExtension)
{
    struct Case {
        const wchar_t* path;
        const wchar_t* name;
    };
    const std::wstring longName = L"C:\\x\\" + std::wstring(300, L'n') + L".ini";
    const Case cases[] = {
        {L"C:\\x\\abc.def.ini", L"abc.def"},
        {L"abc.ini", L"abc"},
        {L"C:\\x.y\\noext", L"noext"},
        {L"C:\\x\\", L""},
        {longName.c_str(), nullptr},  // cut to 259 characters; the dot is beyond
    };
    for (const Case& c : cases) {
        CComponent component(c.path);
        EXPECT_EQ(c.path, component.FilePath);
        EXPECT_EQ(c.name ? std::wstring(c.name) : std::wstring(259, L'n'), component.Name)
            << c.path;
    }
    CComponent component(L"a.ini");
    EXPECT_EQ(0, component.SetFilePath(nullptr));
    EXPECT_EQ(L"a", component.Name);
}

}  // namespace

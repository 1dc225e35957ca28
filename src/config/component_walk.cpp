#include "config/component_walk.h"

#include <cwchar>
#include <vector>

#include "config/text_utils.h"

namespace tn {
namespace {

const wchar_t kHaveSection[] = L"HaveSection";

// The sections a walk has taken: a component lists a handful, so the first
// ones are kept without an allocation. Sections found are told apart by
// their objects (a name finds the first section of its name); missing ones
// by name.
class SectionsTaken {
public:
    bool Take(const CIniSection* section)
    {
        for (size_t i = 0; i < inlineCount_; ++i)
            if (inline_[i] == section)
                return false;
        for (const CIniSection* taken : more_)
            if (taken == section)
                return false;
        if (inlineCount_ < kInline)
            inline_[inlineCount_++] = section;
        else
            more_.push_back(section);
        return true;
    }
    bool TakeMissing(const wchar_t* name, size_t length)
    {
        if (missing_.ContainsNoCase(name, length))
            return false;
        missing_.Append(std::wstring(name, length));
        return true;
    }

private:
    static constexpr size_t kInline = 16;
    const CIniSection* inline_[kInline];
    size_t inlineCount_ = 0;
    std::vector<const CIniSection*> more_;
    StringList missing_;
};

class Walk {
public:
    Walk(const CIniReader& ini, const RecordWalk& walk, IRecordVisitor& visitor)
        : ini_(ini), walk_(walk), visitor_(visitor)
    {
        if (walk.match == KeyMatch::kStoredKey)
            nameLength_ = wcsnlen(walk.fileName, CIniEntry::kMaxKeyChars);
        else if (walk.match == KeyMatch::kWholeName)
            nameLength_ = wcslen(walk.fileName);
    }

    // One [HaveSection] list; false when the walk ends.
    bool List(const wchar_t* list)
    {
        ForEachItem(list, list + wcslen(list), L',', LongItems::kEndTheWalk, EmptyItems::kSkip,
                    [&](const wchar_t* name, size_t length) { return Section(name, length); });
        return end_ == WalkEnd::kComplete;
    }

    WalkEnd End() const { return end_; }

private:
    bool Section(const wchar_t* name, size_t length)
    {
        const CIniSection* section = ini_.FindSection(name, length);
        if (!section) {
            if (!taken_.TakeMissing(name, length))
                return true;
            if (visitor_.Section(name, length, nullptr) == SectionTurn::kEndTheWalk)
                return Stop(WalkEnd::kVisitorEnded);
            return walk_.missing == MissingSections::kSkip || Stop(WalkEnd::kMissingSection);
        }
        if (!taken_.Take(section))
            return true;
        const SectionTurn turn = visitor_.Section(name, length, section);
        if (turn == SectionTurn::kEndTheWalk)
            return Stop(WalkEnd::kVisitorEnded);
        if (turn == SectionTurn::kPassOver)
            return true;
        for (size_t i = 0; i < section->GetEntryCount(); ++i) {
            const CIniEntry& line = *section->GetEntryAt(i);
            if (walk_.match != KeyMatch::kEveryRecord &&
                !EqualsNoCase(line.GetKey(), line.GetKeyLength(), walk_.fileName, nameLength_))
                continue;
            if (!visitor_.Record(*section, line))
                return Stop(WalkEnd::kVisitorEnded);
        }
        return true;
    }
    bool Stop(WalkEnd end)
    {
        end_ = end;
        return false;
    }

    const CIniReader& ini_;
    const RecordWalk& walk_;
    IRecordVisitor& visitor_;
    size_t nameLength_ = 0;
    SectionsTaken taken_;
    WalkEnd end_ = WalkEnd::kComplete;
};

}  // namespace

WalkEnd WalkComponentRecords(const CIniReader& ini, const RecordWalk& walk,
                             IRecordVisitor& visitor)
{
    Walk walker(ini, walk, visitor);
    if (walk.lists == SectionLists::kComponentLine) {
        walker.List(ini.GetString(kHaveSection, walk.component));
        return walker.End();
    }
    const CIniSection* have = ini.FindSection(kHaveSection);
    for (size_t i = 0; have && i < have->GetEntryCount(); ++i)
        if (!walker.List(have->GetEntryAt(i)->GetValue()))
            break;
    return walker.End();
}

WalkEnd WalkSectionList(const CIniReader& ini, const wchar_t* list, const RecordWalk& walk,
                        IRecordVisitor& visitor)
{
    Walk walker(ini, walk, visitor);
    if (list)
        walker.List(list);
    return walker.End();
}

}  // namespace tn

#pragma once
#include <cstddef>
#include <utility>

#include "config/ini_reader.h"

namespace tn {

// The walk over the records of a component description file, the one
// reading of its schema that the loader (CComponent::Load), the file search
// and the installation doctor share.
//
// [HaveSection] names the record sections in comma lists (an item longer
// than kListItemMaxChars ends its list; empty items name nothing). The walk
// takes each named section once (names compared with ASCII letters folded),
// in list order, and in each its record lines in file order.

// Which [HaveSection] lines name the sections: every line (the whole
// component), or only the line keyed by the component's name (what a file
// search reads).
enum class SectionLists { kEveryLine, kComponentLine };

// A listed section the file lacks: passed over, or the end of the walk.
enum class MissingSections { kSkip, kEndTheWalk };

// Which record lines are visited: every one, or those keyed by a file name,
// compared whole (a name of more than CIniEntry::kMaxKeyChars characters
// finds none) or as a key is stored, cut to kMaxKeyChars (as
// CIniSection::FindEntry looks a key up).
enum class KeyMatch { kEveryRecord, kWholeName, kStoredKey };

struct RecordWalk {
    SectionLists lists = SectionLists::kEveryLine;
    MissingSections missing = MissingSections::kEndTheWalk;
    KeyMatch match = KeyMatch::kEveryRecord;
    const wchar_t* component = nullptr;  // for SectionLists::kComponentLine
    const wchar_t* fileName = nullptr;   // unless KeyMatch::kEveryRecord
};

// What the walk does after a visitor has seen a listed section.
enum class SectionTurn { kReadRecords, kPassOver, kEndTheWalk };

class IRecordVisitor {
public:
    // A listed section, once, before its records, by its name as listed;
    // `section` is null when the file lacks it (then its records are not
    // read, and the walk ends as MissingSections says or the visitor asks).
    virtual SectionTurn Section(const wchar_t* name, size_t length,
                                const CIniSection* section) = 0;
    // A record line of the section announced last. False ends the walk.
    virtual bool Record(const CIniSection& section, const CIniEntry& line) = 0;

protected:
    ~IRecordVisitor() = default;
};

enum class WalkEnd {
    kComplete,        // every listed section walked
    kVisitorEnded,    // the visitor said so
    kMissingSection,  // a listed section is missing (MissingSections::kEndTheWalk)
};

// Walks the sections the [HaveSection] lines name, as `walk` says.
WalkEnd WalkComponentRecords(const CIniReader& ini, const RecordWalk& walk,
                             IRecordVisitor& visitor);
// Walks the sections one list text names (`walk.lists` does not apply).
WalkEnd WalkSectionList(const CIniReader& ini, const wchar_t* list, const RecordWalk& walk,
                        IRecordVisitor& visitor);

// Callables in the roles of Section and Record, as a visitor.
template <class OnSection, class OnRecord>
class RecordVisitor final : public IRecordVisitor {
public:
    RecordVisitor(OnSection onSection, OnRecord onRecord)
        : onSection_(std::move(onSection)), onRecord_(std::move(onRecord))
    {
    }
    SectionTurn Section(const wchar_t* name, size_t length, const CIniSection* section) override
    {
        return onSection_(name, length, section);
    }
    bool Record(const CIniSection& section, const CIniEntry& line) override
    {
        return onRecord_(section, line);
    }

private:
    OnSection onSection_;
    OnRecord onRecord_;
};

template <class OnSection, class OnRecord>
RecordVisitor<OnSection, OnRecord> MakeRecordVisitor(OnSection onSection, OnRecord onRecord)
{
    return RecordVisitor<OnSection, OnRecord>(std::move(onSection), std::move(onRecord));
}

}  // namespace tn

#pragma once
#include <cwchar>
#include <initializer_list>
#include <string>
#include <vector>

namespace tn {

// What a file lookup found and which way it went, one step at a time. Each
// step names its event and the texts the event is about, in the order the
// event's comment gives; a caller that wants to see how an answer was
// reached (tninstall --explain) puts them into words.
enum class LookupEvent {
    // A component's description file, read or not: component, file.
    kDescriptionFileRead,
    kDescriptionFileNotLoaded,
    // [Version] Path of the file: the path.
    kComponentPath,
    // The component's [HaveSection] line: component, the section list.
    kSectionList,
    // A listed section the file lacks, passed over: section.
    kSectionMissing,
    // A record of the file name whose destination is not the one asked
    // for: section, key, value, its destination, the destination asked for.
    kRecordPassedOver,
    // The record that answers: section, key, value.
    kRecordMatched,
    // The record's OsMask asks for the 64-bit system directory; the next
    // step says it could not be had and the system directory serves.
    kSystem64Asked,
    kSystem64Unavailable,
    // The record's destination and the directory it gives: an environment
    // path (destination, expansion), a directory macro (destination,
    // directory), or a directory below the component (destination, the
    // component's path, directory).
    kDestinationExpanded,
    kDestinationMacro,
    kDestinationRelative,
    // The path the record gives its file: path.
    kResolved,
    // No record and no [OldFile_Map] line: the component's default path.
    kDefaultPath,
    // [OldFile_Map] sends the search on: file name, component.
    kMoved,
    // [OldFile_Map] names a component already searched: component.
    kMoveIgnored,
    // The search of the installed components: install.ini not loaded
    // (install.ini); the components in the order searched (one text each);
    // a component without a record of the file (component, file name); no
    // component holds it.
    kInstallIniNotLoaded,
    kSearchOrder,
    kNoRecord,
    kNotFound,
    // The reverse file map names the file's owner: component.
    kOwnerFromMap,
    // The installed-file test: the path's file name and the name looked up;
    // the file is not located; the located path is the path; the located
    // path's short form and the path's are the same or differ (located
    // path, its short form, the path's short form).
    kNameNormalized,
    kNotLocated,
    kSamePath,
    kShortFormsSame,
    kShortFormsDiffer,
    // The file map, asked for a file's stored name: not asked, the switch
    // being off or the owner missing (file name); an entry (key, file name,
    // stored name); an empty entry (key, file name); no entry (key, file
    // name; the store's code).
    kMapSwitchedOff,
    kMapNoOwner,
    kMapped,
    kMapEmpty,
    kMapMissing,
    // The reverse file map, asked for a stored name: switched off (stored
    // name); the map's key not opened (key, stored name; the code); no entry
    // (stored name; the code); the store's answer unterminated (stored
    // name); an entry (stored name, where it was found, the file name it
    // holds, the owner, the file name answered).
    kReverseSwitchedOff,
    kReverseNotOpened,
    kReverseMissing,
    kReverseUnterminated,
    kReverseFound,
};

struct LookupStep {
    LookupEvent event;
    std::vector<std::wstring> texts;
    long code = 0;  // a store's error code, where the event says so

    bool operator==(const LookupStep& other) const
    {
        return event == other.event && texts == other.texts && code == other.code;
    }
};

// A text a step may keep: a terminated text or a counted one. Nothing is
// measured or copied unless a step is kept.
class StepText {
public:
    StepText(const wchar_t* text) : text_(text), length_(kTerminated) {}
    StepText(const wchar_t* text, size_t length) : text_(text), length_(length) {}
    StepText(const std::wstring& text) : text_(text.data()), length_(text.size()) {}

    std::wstring Get() const
    {
        if (!text_)
            return std::wstring();
        return length_ == kTerminated ? std::wstring(text_) : std::wstring(text_, length_);
    }

private:
    static constexpr size_t kTerminated = size_t(-1);
    const wchar_t* text_;
    size_t length_;
};

// What a lookup is told by its caller: whether the file map is consulted
// (the process-wide switch, read once per export call) and where to keep
// its steps. Without a list, Note keeps nothing and costs a test.
struct LookupContext {
    bool fileMapEnabled = true;
    std::vector<LookupStep>* steps = nullptr;

    bool Noting() const { return steps != nullptr; }
    void Note(LookupEvent event, std::initializer_list<StepText> texts = {}, long code = 0) const
    {
        if (!steps)
            return;
        LookupStep step{event, {}, code};
        step.texts.reserve(texts.size());
        for (const StepText& text : texts)
            step.texts.push_back(text.Get());
        steps->push_back(std::move(step));
    }
    void Note(LookupStep step) const
    {
        if (steps)
            steps->push_back(std::move(step));
    }
};

}  // namespace tn

#pragma once
// The timed queries: for each, how to ask the library (through an Api), the
// profile-API equivalent, the files its floor reads, and the answer the
// model says is right, with the file-map switch off and on.
#include <functional>
#include <string>
#include <vector>

#include "api.h"
#include "floor.h"
#include "model.h"
#include "oracle.h"
#include "profile_queries.h"
#include "store_client.h"

namespace bench {

struct Answer {
    int result = 0;
    std::wstring text;
    std::wstring component;

    bool operator==(const Answer& other) const
    {
        return result == other.result && text == other.text && component == other.component;
    }
    std::wstring Describe() const;
};

struct QueryCase {
    std::string name;
    bool multiFile = false;       // reads more than one description file
    std::vector<bool> switches;   // file-map switch states it is measured with
    std::vector<FloorFile> floorFiles;
    bool floorReadsLanguage = false;  // the floor also reads "UI" / "Language"
    std::function<Answer(const Api&)> ask;
    std::function<Answer(bool mapOn)> profile;
    std::function<Answer(bool mapOn)> expected;
};

std::vector<QueryCase> MakeQueryCases(const Installation& installation, const Environment& env,
                                      const Oracle& oracle, const ProfileQueries& profile);

}  // namespace bench

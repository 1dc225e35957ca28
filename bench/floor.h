#pragma once
// The floor of a query: reading exactly the files it must read, each with
// one CreateFileW and one ReadFile, and one pass over their UTF-16 text
// looking for the lines whose key is the one the query is after. Nothing is
// parsed or kept; the buffer is reused, so no allocation is counted.
#include <cstdint>
#include <string>
#include <vector>

namespace bench {

struct FloorFile {
    std::wstring path;
    std::wstring key;  // the key whose lines the pass counts
};

class FloorReader {
public:
    // Reads and scans every file; returns the number of lines found with
    // their key (so the work cannot be optimised away, and a floor that
    // misses its key shows up as 0).
    size_t Run(const std::vector<FloorFile>& files);
    // The same pass over the copies held in memory (memory_files.h), without
    // the file calls.
    size_t ScanHeld(const std::vector<FloorFile>& files) const;
    uint64_t LastBytes() const { return lastBytes_; }
    uint64_t LargestFile() const { return largest_; }

private:
    static size_t Scan(const char* bytes, size_t size, const std::wstring& key);
    size_t ReadAndScan(const FloorFile& file);
    std::vector<char> buffer_;
    uint64_t lastBytes_ = 0;
    uint64_t largest_ = 0;
};

// Counts the lines of UTF-16 text whose key (before "=", blanks ignored)
// equals `key` under the ASCII case rule.
size_t CountKeyLines(const wchar_t* text, size_t length, const std::wstring& key);

}  // namespace bench

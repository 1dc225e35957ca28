#pragma once
#include <cstdint>
#include <string>

namespace tnrobust {

// Draws choices from the bytes of a saved input, so that the input alone
// decides what happens and a saved input replays the same way. Past its end
// it reads zeros.
class ByteSource {
public:
    explicit ByteSource(const std::string& bytes) : bytes_(bytes) {}

    uint8_t Byte() { return pos_ < bytes_.size() ? static_cast<uint8_t>(bytes_[pos_++]) : 0; }
    uint32_t U32()
    {
        uint32_t value = 0;
        for (int i = 0; i < 4; ++i)
            value |= uint32_t(Byte()) << (8 * i);
        return value;
    }
    uint32_t Below(uint32_t n)
    {
        if (n <= 256)
            return n == 0 ? 0 : Byte() % n;
        return U32() % n;
    }
    template <class T, size_t N>
    const T& Pick(const T (&items)[N])
    {
        return items[Below(N)];
    }
    bool Exhausted() const { return pos_ >= bytes_.size(); }

private:
    const std::string& bytes_;
    size_t pos_ = 0;
};

}  // namespace tnrobust

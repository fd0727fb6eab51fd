#pragma once
// A fixed but irregular sequence, the same on every run and every machine, for test data that
// should look random: bytes of every value, pieces of awkward characters.
#include <cstddef>
#include <string>

class PseudoRandom {
public:
    explicit PseudoRandom(unsigned seed = 12345) : x_(seed) {}
    unsigned next()
    {
        x_ = x_ * 1103515245u + 12345u;
        return x_;
    }

private:
    unsigned x_;
};

// `n` bytes of every value, in a fixed but irregular order.
inline std::string patternBytes(std::size_t n)
{
    std::string out(n, '\0');
    PseudoRandom random;
    for (char& c : out)
        c = static_cast<char>(random.next() >> 16);
    return out;
}

// What the fuzz targets share: a check that stops the run with a message
// libFuzzer keeps beside the crashing input, and a reader that turns the
// input bytes into choices (zeros once the input is used up).
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace fuzz {

[[noreturn]] inline void Fail(const char* file, int line, const char* what)
{
    std::fprintf(stderr, "%s:%d: invariant broken: %s\n", file, line, what);
    std::fflush(stderr);
    std::abort();
}

#define FUZZ_CHECK(condition, what)                          \
    do {                                                     \
        if (!(condition))                                    \
            ::fuzz::Fail(__FILE__, __LINE__, what);          \
    } while (false)

class Reader {
public:
    Reader(const std::uint8_t* data, std::size_t size) : Data(data), Size(size) {}

    std::uint8_t Byte() { return Position < Size ? Data[Position++] : 0; }

    std::uint16_t Word()
    {
        const std::uint16_t low = Byte();
        return static_cast<std::uint16_t>(low | (Byte() << 8));
    }

    std::uint32_t Long()
    {
        const std::uint32_t low = Word();
        return low | (static_cast<std::uint32_t>(Word()) << 16);
    }

    // A value in [0, bound), bound > 0.
    unsigned Below(unsigned bound) { return Byte() % bound; }

private:
    const std::uint8_t* Data;
    std::size_t Size;
    std::size_t Position = 0;
};

}  // namespace fuzz

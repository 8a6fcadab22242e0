// Comparison of UTF-16 strings that folds only the ASCII letters A to Z,
// whatever the locale: window titles and class names are matched the same
// way on every system.
#pragma once

#include "../platform/WindowSystem.h"

#include <cstddef>

namespace pellorin {

inline WCHAR FoldAscii(WCHAR unit)
{
    return (unit >= 0x41 && unit <= 0x5A) ? static_cast<WCHAR>(unit + 0x20) : unit;
}

// Equal when no pair of units differs, terminators included.
bool EqualIgnoringAsciiCase(const WCHAR* first, const WCHAR* second);

// As above, but also ends after count pairs: with count 0 the strings are equal.
bool EqualIgnoringAsciiCase(const WCHAR* first, const WCHAR* second, std::size_t count);

}  // namespace pellorin

#include "AsciiCase.h"

namespace pellorin {

bool EqualIgnoringAsciiCase(const WCHAR* first, const WCHAR* second)
{
    for (std::size_t i = 0;; ++i) {
        if (FoldAscii(first[i]) != FoldAscii(second[i]))
            return false;
        if (first[i] == 0)
            return true;
    }
}

bool EqualIgnoringAsciiCase(const WCHAR* first, const WCHAR* second, std::size_t count)
{
    for (std::size_t i = 0; i < count; ++i) {
        if (FoldAscii(first[i]) != FoldAscii(second[i]))
            return false;
        if (first[i] == 0)
            return true;
    }
    return true;
}

}  // namespace pellorin

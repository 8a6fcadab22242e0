#include "MatchTitle.h"
#include "AsciiCase.h"

namespace pellorin {

namespace {
// 1023 units of title and the terminator.
const int TitleUnits = 1024;
}

bool MatchTitle(HWND window, UINT* index, const PatternList* list)
{
    if (!list) {
        if (index)
            *index = 0;
        return false;
    }
    if (index)
        *index = static_cast<UINT>(list->size());
    if (GetWindowThreadProcessId(window, nullptr) != GetCurrentThreadId())
        return false;

    WCHAR title[TitleUnits];
    if (GetWindowTextW(window, title, TitleUnits) <= 0)
        return false;
    for (std::size_t position = 0; position < list->size(); ++position) {
        const WideString& entry = (*list)[position];
        if (EqualIgnoringAsciiCase(title, entry.c_str(), entry.size())) {
            if (index)
                *index = static_cast<UINT>(position);
            return true;
        }
    }
    return false;
}

}  // namespace pellorin

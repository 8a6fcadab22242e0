// Whether a window's title begins with an entry of a pattern list.
#pragma once

#include "PatternList.h"

namespace pellorin {

// True when the title begins with an entry (ASCII letters folded). index,
// when given, receives the position of the first matching entry, or the
// number of entries when none matches. Windows of another thread never
// match: their titles are not asked for, since that would wait on them.
bool MatchTitle(HWND window, UINT* index, const PatternList* list);

}  // namespace pellorin

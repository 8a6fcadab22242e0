// The two pattern lists: window-title prefixes that order the tiles and
// prefixes of windows the layout leaves alone.
#pragma once

#include "../platform/WindowSystem.h"

#include <string>
#include <vector>

namespace pellorin {

using WideString = std::basic_string<WCHAR>;

// Entries are at least one unit long and hold neither NUL nor "/"; they stand
// in the order of their tokens in the host's argument text.
using PatternList = std::vector<WideString>;

// Module-global, alive for as long as the module is loaded. They change only
// inside InstallHook, while no hook is attached.
extern PatternList OrderList;
extern PatternList IgnoreList;

}  // namespace pellorin

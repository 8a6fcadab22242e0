// The host's argument text: window-title prefixes separated by "/"; a token
// that begins with "**ignore**" names a window to leave alone.
#pragma once

#include "../layout/PatternList.h"

namespace pellorin {

extern const WCHAR IgnorePrefix[];
const std::size_t IgnorePrefixLength = 10;

// Converts the host's text from the ANSI code page. On success *result owns
// a new buffer (released with delete[]) and the result counts its units up
// to and including the terminator; on failure *result is null and the
// result 0.
int WidenText(LPCSTR text, WCHAR** result);

// Appends the text's entries to OrderList and IgnoreList. If memory runs
// out while an entry is copied, the entries before it stay and the rest of
// the text is dropped.
void ParseArguments(LPCSTR text);

}  // namespace pellorin

// RECT for GoogleTest: EXPECT_EQ and failure messages. RECT lives in the
// global namespace, so its comparison and printing must be found there.
#pragma once

#include "support/Rects.h"

#include <ostream>

inline bool operator==(const RECT& a, const RECT& b) { return support::SameRect(a, b); }
inline bool operator!=(const RECT& a, const RECT& b) { return !(a == b); }
inline void PrintTo(const RECT& r, std::ostream* os) { *os << support::Describe(r); }

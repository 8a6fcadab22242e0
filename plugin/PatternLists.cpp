// The pattern lists live as long as the module: built empty before DllMain
// runs and destroyed after it has run for the process detach.
#include "../layout/PatternList.h"

namespace pellorin {

PatternList OrderList;
PatternList IgnoreList;

}  // namespace pellorin

#include "HookState.h"

namespace pellorin {

HookStateRecord HookState = {0, 0, nullptr, false};

}  // namespace pellorin

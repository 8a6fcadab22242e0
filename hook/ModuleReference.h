// A reference on the module while its subclass procedure is on the MDI
// client, so that a host unloading the module while hooked does not leave
// the client calling into unmapped code.
#pragma once

namespace pellorin {

// Takes one reference when none is held.
void HoldModule();

// Drops the reference once no hook is attached. Called only from the
// exports, while the host's own reference keeps the code mapped; never from
// the subclass procedure, which would unmap the code it is running.
void ReleaseModuleIfUnhooked();

}  // namespace pellorin

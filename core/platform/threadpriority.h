#pragma once

namespace platform {

// Lets the calling thread yield the processor to the process's other threads whenever they want
// it: for background work that must not hold up the interface thread on a busy machine. The
// thread still gets every processor time no one else wants.
void LowerThisThreadsPriority();

}  // namespace platform

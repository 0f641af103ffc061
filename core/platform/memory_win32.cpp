#include "platform/memory.h"

namespace platform {

// The Windows heap gives large freed blocks back to the system itself.
void ReleaseFreedMemory() {}

}  // namespace platform

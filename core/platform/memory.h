#pragma once

namespace platform {

// Hands memory that the program has freed back to the system where the allocator keeps it, so
// that a burst of temporary buffers does not stay in the program's resident size.
void ReleaseFreedMemory();

}  // namespace platform

#include <malloc.h>

#include "platform/memory.h"

namespace platform {

void ReleaseFreedMemory() {
    ::malloc_trim(0);
}

}  // namespace platform

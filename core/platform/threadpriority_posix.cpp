#include "platform/threadpriority.h"

#include <sys/resource.h>

namespace platform {
namespace {

constexpr int kBackgroundNice = 10;

}  // namespace

void LowerThisThreadsPriority() {
    // On Linux the nice value belongs to the thread, and 0 names the calling one. A failure only
    // leaves the thread as it was.
    ::setpriority(PRIO_PROCESS, 0, kBackgroundNice);
}

}  // namespace platform

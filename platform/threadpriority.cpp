#include "platform/threadpriority.h"

#include <algorithm>
#include <cerrno>
#include <sys/resource.h>
#include <unistd.h>

namespace platform {

void lowerThreadPriority(int steps) {
    // On Linux a thread's nice value is its own, named by its thread id.
    const auto thread = static_cast<id_t>(::gettid());
    errno = 0;
    const int current = ::getpriority(PRIO_PROCESS, thread);
    if (errno != 0)
        return;
    ::setpriority(PRIO_PROCESS, thread, std::min(current + steps, 19));
}

} // namespace platform

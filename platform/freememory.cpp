#include "platform/freememory.h"

#include <cstdlib> // brings in <features.h>, which says whether this is glibc

#if defined(__GLIBC__)
#include <malloc.h>
#elif defined(__gnu_linux__)
#error "glibc not detected: memory freed after a run would never be given back"
#endif

namespace platform {

void giveBackFreeMemory() {
#if defined(__GLIBC__)
    malloc_trim(0);
#endif
}

void shareAllocatorArenas() {
#if defined(__GLIBC__)
    mallopt(M_ARENA_MAX, 2);
#endif
}

} // namespace platform

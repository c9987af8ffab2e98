#include "FreedMemory.h"

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace gearlog {

void returnFreedMemory() {
#if defined(__GLIBC__)
    malloc_trim(0);
#endif
}

} // namespace gearlog

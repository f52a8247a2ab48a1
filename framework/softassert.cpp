#include "framework/softassert.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace tavlo {

void softAssertFailed(const char* condition, const char* file, int line)
{
    // One write, so that the lines of two contexts never interleave.
    std::fprintf(stderr, "%s:%d: programming error: %s\n", file, line, condition);
    std::fflush(stderr);
    // Read at every failure rather than once, so that a test can recover from one on purpose.
    const char* stop = std::getenv("TAVLO_ABORT_ON_ASSERT");
    if (stop && *stop && std::strcmp(stop, "0") != 0)
        std::abort();
}

} // namespace tavlo

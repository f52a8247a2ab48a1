#pragma once
// Soft asserts for programming errors: a broken promise between two pieces of our own code, never
// bad input or a failure the user can meet (those are level codes and messages). The failure is
// logged with its file and line and the caller recovers as it says; with TAVLO_ABORT_ON_ASSERT
// set (every test sets it) the process stops there instead, so a test cannot pass over one.
//
//   TAVLO_ASSERT(!divisor.isZero(), return Decimal());
//
// The recovery is any statement, or nothing to carry on.

namespace tavlo {

// Logs the failed condition; aborts when TAVLO_ABORT_ON_ASSERT is set to anything but "0".
void softAssertFailed(const char* condition, const char* file, int line);

} // namespace tavlo

#define TAVLO_ASSERT(condition, ...)                                                               \
    do {                                                                                           \
        if (!(condition)) [[unlikely]] {                                                           \
            ::tavlo::softAssertFailed(#condition, __FILE__, __LINE__);                             \
            __VA_ARGS__;                                                                           \
        }                                                                                          \
    } while (false)

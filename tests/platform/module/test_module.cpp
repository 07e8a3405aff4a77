// A module for the loader checks: one export the tests look up by name.
#include "platform/platform.h"

#ifdef _WIN32
#define KX_TEST_EXPORT extern "C" __declspec(dllexport)
#else
#define KX_TEST_EXPORT extern "C" __attribute__((visibility("default")))
#endif

KX_TEST_EXPORT int KxTestModuleAnswer() {
    return 42;
}

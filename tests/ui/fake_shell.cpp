// A stand-in for the context-menu library: it registers, and has no
// unregistration entry.
#include <cstdint>

extern "C" __attribute__((visibility("default"))) int32_t DllRegisterServer() {
    return 0;
}

#include "platform/leak_checks.h"

#include <cstddef>

#if defined(__SANITIZE_ADDRESS__)
#define BASTION_LEAK_CHECKS 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define BASTION_LEAK_CHECKS 1
#endif
#endif

#if defined(BASTION_LEAK_CHECKS)
#include <dlfcn.h>
#include <link.h>
#include <sanitizer/lsan_interface.h>
#endif

namespace bastion::platform {

void keepLoadedLibrariesForLeakChecks() {
#if defined(BASTION_LEAK_CHECKS)
    dl_iterate_phdr(
        [](dl_phdr_info* library, std::size_t, void*) {
            // The program itself and the kernel's vDSO have no file to reopen.
            if (library->dlpi_name == nullptr || library->dlpi_name[0] == '\0') return 0;
            // Already loaded, so nothing new is loaded; the handle is never
            // closed, and RTLD_NODELETE keeps the library past every close.
            (void)dlopen(library->dlpi_name, RTLD_LAZY | RTLD_NOLOAD | RTLD_NODELETE);
            return 0;
        },
        nullptr);
#endif
}

void checkLeaksNow() {
#if defined(BASTION_LEAK_CHECKS)
    // Also stands in for the check at exit, which then does not run.
    __lsan_do_leak_check();
#endif
}

}  // namespace bastion::platform

#if defined(BASTION_LEAK_CHECKS)
// Read by the leak checker at start-up. SDL's desktop-bus connection keeps a
// buffer the bus library never frees, and a Mesa driver (named "<name>_dri.so")
// now and then keeps one of its own.
extern "C" const char* __lsan_default_suppressions() { return "leak:libdbus-1.so\nleak:*_dri.so\n"; }
// A run whose only unfreed blocks are those says nothing about them.
extern "C" const char* __lsan_default_options() { return "print_suppressions=0"; }
// The checker learns where a loaded library's thread-local block lies by
// watching the C library hand it out, and takes the 16 bytes before any
// block that starts 16 bytes past a page for a header of an old C library.
// Here that is the allocator's own chunk header, so it scans from a small
// address and its tracer dies: the graphics driver's block landed there in
// about one game run of a few hundred. Without the watching, those blocks
// are still heap blocks, reached through the thread's table of them.
extern "C" const char* __asan_default_options() { return "intercept_tls_get_addr=0"; }
#endif

// Places a loaded library's thread-local block 16 bytes past a page start,
// where the leak checker once took the 16 bytes before it for an old C
// library's header: it read the allocator's own chunk header instead and
// scanned from a small address (the allocation's stack id), and its tracer
// died of a segmentation fault. Then runs the check as the game does.
// Prints the block's offset in its page; needs the allocator's quarantine
// off (quarantine_size_mb=0:thread_local_quarantine_size_kb=0), so that a
// freed block is the next one handed out.
#include <dlfcn.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "platform/leak_checks.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: dtls_probe MODULE\n");
        return 2;
    }
    void* module = dlopen(argv[1], RTLD_NOW);
    if (module == nullptr) {
        std::fprintf(stderr, "%s\n", dlerror());
        return 2;
    }
    auto touch = reinterpret_cast<char* (*)()>(dlsym(module, "touchModuleBlock"));
    if (touch == nullptr) return 2;

    // Blocks of the module's thread-local size until one starts 16 bytes
    // past a page; that one is freed and becomes the thread's block.
    constexpr std::size_t kBlockSize = 24;
    constexpr std::size_t kPageSize = 4096;
    std::vector<void*> held;
    held.reserve(1 << 16);
    while (held.size() < held.capacity()) {
        void* block = std::malloc(kBlockSize);
        if (reinterpret_cast<std::uintptr_t>(block) % kPageSize == 16) {
            std::free(block);
            break;
        }
        held.push_back(block);
    }
    const char* threadBlock = touch();
    for (void* block : held) std::free(block);
    std::printf("block at page offset %zu\n", static_cast<std::size_t>(reinterpret_cast<std::uintptr_t>(threadBlock) % kPageSize));
    std::fflush(stdout);

    bastion::platform::checkLeaksNow();
    return 0;
}

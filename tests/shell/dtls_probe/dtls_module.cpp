// A library with a thread-local block of its own, as graphics drivers have:
// loaded at run time, so each thread's block is allocated on first use.
thread_local char moduleBlock[24];

extern "C" char* touchModuleBlock() {
    moduleBlock[0] = 1;
    return moduleBlock;
}

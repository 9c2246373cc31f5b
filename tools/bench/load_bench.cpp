// load_bench: what the hook library costs a process that merely maps it. Loads
// the library DLL, starts and ends threads, frees it; markers in the debug
// output bound each phase for Wine's relay trace (WINEDEBUG=+relay), which
// lifecycle_count.py reads.
//   load_bench <threads>
#include <windows.h>
#include <fcntl.h>
#include <io.h>
#include <cstdio>
#include <cstdlib>

#include "library_under_test.h"

namespace {

DWORD WINAPI idleThread(void*) {
    return 0;
}

// One thread at a time, so each start and end is a separate event in the trace.
bool startAndEndThreads(int count) {
    for (int i = 0; i < count; ++i) {
        HANDLE thread = CreateThread(nullptr, 0, idleThread, nullptr, 0, nullptr);
        if (thread == nullptr) return false;
        WaitForSingleObject(thread, INFINITE);
        CloseHandle(thread);
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    _setmode(_fileno(stdout), _O_BINARY);
    const int threads = argc == 2 ? std::atoi(argv[1]) : 0;
    if (threads <= 0) {
        std::fprintf(stderr, "usage: load_bench <threads>\n");
        return 2;
    }
    const std::string path = besideThisProgram(TARVIK_DLL_NAME);
    OutputDebugStringA("tarvik-bench: load");
    HMODULE module = LoadLibraryA(path.c_str());
    OutputDebugStringA("tarvik-bench: threads");
    if (module == nullptr) {
        std::fprintf(stderr, "load_bench: %s did not load\n", path.c_str());
        return 1;
    }
    const DWORD size = moduleImageSize(module);
    const bool started = startAndEndThreads(threads);
    OutputDebugStringA("tarvik-bench: unload");
    const bool freed = FreeLibrary(module) != FALSE;
    OutputDebugStringA("tarvik-bench: end");
    std::printf("library " TARVIK_DLL_NAME " base %#llx size %#lx\nthreads %d\n",
                reinterpret_cast<unsigned long long>(module), static_cast<unsigned long>(size),
                threads);
    std::fflush(stdout);
    return started && freed ? 0 : 1;
}

// The child the process checks start: what it does is its first argument.
//   exit N          ends with exit code N
//   filtered-fault  writes to an unmapped address under a top-level filter
//                   that ends the process (without it Wine starts its
//                   debugger)
//   args FILE ...   writes each further argument to FILE, one per line
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "platform/platform.h"

namespace {

// A fault the sanitizers do not take for a null pointer: the first page is
// never mapped.
volatile uintptr_t unmappedAddress = 16;  // volatile: no compiler sees through it

LONG WINAPI EndTheProcess(PEXCEPTION_POINTERS) {
    return EXCEPTION_EXECUTE_HANDLER;
}

void WriteToUnmappedMemory() {
    *reinterpret_cast<volatile int*>(unmappedAddress) = 1;
}

}  // namespace

int main(int argc, char** argv) {
    const char* what = argc > 1 ? argv[1] : "";
    if (strcmp(what, "exit") == 0 && argc == 3) {
        return atoi(argv[2]);
    }
    if (strcmp(what, "filtered-fault") == 0) {
        SetUnhandledExceptionFilter(EndTheProcess);
        WriteToUnmappedMemory();
    }
    if (strcmp(what, "args") == 0 && argc >= 3) {
        FILE* out = fopen(argv[2], "wb");
        for (int i = 3; out != nullptr && i < argc; ++i) {
            fprintf(out, "%s\n", argv[i]);
        }
        return out != nullptr && fclose(out) == 0 ? 0 : 1;
    }
    return 100;
}

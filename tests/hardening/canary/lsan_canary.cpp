// Leaks one block on purpose. Built only in the ASan tree, where its test
// passes only when LeakSanitizer reports the leak: proof that leak checking
// is really on in the runs that count on it.
#include <stdio.h>
#include <stdlib.h>

void* volatile kept;

int main() {
    kept = malloc(48);
    kept = nullptr;
    puts("leaked 48 bytes");
    return 0;
}

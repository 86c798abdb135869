// A tool that never ends by itself: it watches the IDE whose main window its
// first parameter names (decimal), with the grace in milliseconds its second
// gives, and waits, with a file "watching" in its working folder once it
// watches. Exit code 2: no such IDE to watch.
#include "ide/ide_end.h"

#include <cstdint>
#include <cstdlib>

int main(int argc, char** argv) {
    if (argc < 3) return 2;
    IdeEndWatch watch(HWND(uintptr_t(strtoull(argv[1], nullptr, 10))),
                      DWORD(strtoul(argv[2], nullptr, 10)));
    if (!watch.Watching()) return 2;
    CloseHandle(CreateFileA("watching", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    Sleep(INFINITE);
}

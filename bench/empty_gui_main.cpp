// Does nothing: the start-up cost of a GUI program, against which Quillet's
// run time is measured.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    return 0;
}

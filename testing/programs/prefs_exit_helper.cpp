// Test helper: opens the preference file named by its command line, writes
// one key and ends without ClosePrefs, as a program whose normal end must
// still write the file back.
#include <windows.h>

#include <cstring>

#include "prefs/prefs.h"

int main() {
    const char* line = GetCommandLineA();
    // The test passes exactly: helper-name|file-name
    const char* bar = strchr(line, '|');
    if (!bar || !OpenPrefs(bar + 1)) return 1;
    WritePrefsLong("RunOnce", 0);
    return 0;
}

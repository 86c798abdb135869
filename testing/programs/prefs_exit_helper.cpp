// Test helper: opens the preference file named by its command line, writes
// one key and closes it, as a tool does before it ends.
#include <windows.h>

#include <cstring>

#include "prefs/prefs.h"

int main() {
    const char* line = GetCommandLineA();
    // The test passes exactly: helper-name|file-name
    const char* bar = strchr(line, '|');
    if (!bar) return 1;
    Prefs prefs = OpenPrefs(bar + 1);
    WritePrefsLong(prefs, "RunOnce", 0);
    return prefs.IsOpen() && ClosePrefs(prefs) ? 0 : 1;
}

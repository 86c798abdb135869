#include "common/environment.h"

#include <windows.h>

std::string ReadEnvironmentText(const char* name) {
    std::string value(256, '\0');
    for (;;) {
        DWORD length = GetEnvironmentVariableA(name, &value[0], DWORD(value.size()));
        if (length < value.size()) {
            value.resize(length);
            return value;
        }
        // Too small: length is the size needed, terminating zero included.
        value.resize(length);
    }
}

std::string IdePrefsFolder() {
    return ReadEnvironmentText("APPDATA") + "\\PureBasic\\";
}

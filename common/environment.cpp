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
    const std::string folder = ReadEnvironmentText("APPDATA") + "\\PureBasic\\";
    char full[MAX_PATH * 4];
    DWORD length = GetFullPathNameA(folder.c_str(), sizeof full, full, nullptr);
    return length > 0 && length < sizeof full ? std::string(full, length) : folder;
}

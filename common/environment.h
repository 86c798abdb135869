// The process environment, read whole whatever its length.
#pragma once
#include <string>

// The value of an environment variable of this process; empty when absent.
std::string ReadEnvironmentText(const char* name);

// The folder where the PureBasic IDE keeps its preference files,
// "%APPDATA%\PureBasic\". Without APPDATA it is "\PureBasic\" at the root of
// the current drive, as the IDE's own tools find it, given as a full path so
// that messages name it.
std::string IdePrefsFolder();

// The installation into the IDE's configuration, run by the install button.
#pragma once
#include <string>

// Reads ToolTable, the row check states and ClearerBox itself. Returns 0.
int RunInstallation(const std::string& baseFolder);

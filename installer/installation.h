// The installation into the IDE's configuration, run by the install button.
#pragma once
#include "installer/message_texts.h"

#include <string>

// Reads ToolTable, the row check states and ClearerBox itself, and reports
// what failed in one message.
void RunInstallation(const std::string& baseFolder, const MessageTexts& messages);

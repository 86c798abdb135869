// The installation into the IDE's configuration, run by the install button.
#pragma once
#include "installer/installer_state.h"
#include "installer/message_texts.h"

#include <string>

// Installs the tools of state's table into its base folder, reading the row
// check states and ClearerBox itself, and reports what failed in one message.
void RunInstallation(const InstallerState& state, const MessageTexts& messages);

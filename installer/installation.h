// The installation into the IDE's configuration, run by the install button.
#pragma once
#include "installer/installation_plan.h"
#include "installer/language_file.h"

// Installs the chosen tools into the chosen base folder and reports what
// failed in one message, in the language's texts.
void RunInstallation(const InstallChoices& choices, const LanguageFile& language);

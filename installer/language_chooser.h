// The language chooser: which language files exist, and which one the user
// picks before any other window opens.
#pragma once
#include <string>

#include <vector>

// An entry for every file in "Sprachen".
std::vector<std::string> ScanLanguageFolder();
// The chosen position in languages, or -1 when the user declines or the
// window cannot be opened. Runs its own event loop until the window closes.
int ChooseLanguage(const std::vector<std::string>& languages);
// The whole language file of that name in "Sprachen"; false when it cannot
// be read. Read at once: a requester may change the working folder later.
bool ReadLanguageFile(const std::string& name, std::string& bytes);

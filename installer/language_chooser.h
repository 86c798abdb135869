// The language chooser: which language files exist, and which one the user
// picks before any other window opens.
#pragma once
#include <string>

#include <vector>

// An entry for every language file ("*.txt", not a folder) in "Sprachen".
std::vector<std::string> ScanLanguageFolder();
// The chosen position in languages, or -1 when the user declines or the
// window cannot be opened. Runs its own event loop until the window closes.
// Without languages there is nothing to choose: a message says so, and -1.
int ChooseLanguage(const std::vector<std::string>& languages);
// The whole language file of that name in "Sprachen"; false when it cannot
// be read. Read at once: a requester may change the working folder later.
bool ReadLanguageFile(const std::string& name, std::string& bytes);
// Tells the user that the chosen language file could not be used, and why.
// These texts, as the chooser's, are English: no language is loaded.
void SayLanguageFileUnusable(const std::string& name, const std::string& why);

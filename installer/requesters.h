// The standard Windows requesters, owned by the program's foreground window.
#pragma once
#include <string>

// The chosen folder, always ending in a backslash; empty when cancelled.
std::string OpenFolderRequester(const std::string& instruction, const std::string& initialFolder);
// The chosen file's full path; empty when cancelled. filter is in the
// requester's own form: name, NUL, pattern, NUL, ..., NUL.
std::string OpenFileRequester(const std::string& caption, const std::string& initialFile,
                              const std::string& filter);

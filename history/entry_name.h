// The file name of a history entry as it is stored. A name the system's
// code page spells exactly is stored in that code page, byte for byte as the
// IDE's 8-bit tools always wrote it; any other name is stored as the marker
// followed by its UTF-8. The marker is a character no Windows path holds, so
// no code-page name starts with it and a stored name is read without
// guessing.
#pragma once
#include "common/utf.h"

#include <string>

constexpr char UnicodeNameMarker = '*';
// The longest path the wide file API takes, in UTF-16 units.
constexpr size_t MaxPathUnits = 32767;

// The stored form of a UTF-8 name.
std::string EncodeEntryName(const std::string& name, const CodePage& codePage);

// The UTF-8 name of a stored one; false when it cannot be shown: malformed
// after the marker, not in the code page, or no name a Windows path can be.
bool DecodeEntryName(const std::string& stored, const CodePage& codePage, std::string* name);

// A non-empty UTF-8 name of at most MaxPathUnits that holds no NUL, control
// character or other character a Windows path cannot hold: a name the file
// API and the shell read as the same file a type check looked at.
bool IsWindowsPathName(const std::string& name);

// Small text rules shared by the programs and their plain logic. Paths are
// UTF-8 here, whatever form the IDE or a history file gave them in.
#pragma once
#include <cstddef>
#include <string>

// The longest path the wide file API takes, in UTF-16 units.
constexpr size_t MaxPathUnits = 32767;
// The longest name of one folder or file in a path, in UTF-16 units: no file
// system of Windows keeps a longer one.
constexpr size_t MaxComponentUnits = 255;

// Both paths name the same file, letter case ignored as FoldPathCase folds
// it, which is how the IDE compares file names.
bool SamePath(const std::string& a, const std::string& b);

// A non-empty UTF-8 name of at most MaxPathUnits, none of its components
// longer than MaxComponentUnits, that holds no NUL, control character or
// other character a Windows path cannot hold: a name the file
// API and the shell read as the same file a type check looked at.
bool IsWindowsPathName(const std::string& name);

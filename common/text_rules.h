// Small text rules shared by the programs and their plain logic.
#pragma once
#include <string>

// Upper-cases a path as the IDE compares file names: ASCII a-z and the 8-bit
// letters 0xE0-0xFF lose 0x20, everything else is kept.
std::string UpperCasePath(const std::string& path);

// Both paths name the same file, letter case ignored as above.
bool SamePath(const std::string& a, const std::string& b);

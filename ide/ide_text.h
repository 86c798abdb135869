// The text rules of the IDE-access library, kept apart from the window calls
// so they can be checked on any platform.
#pragma once
#include <string>

// Reads a number the way the IDE's tool environment values are read: leading
// blanks and tabs skipped, an optional "+" or "-", then "$" and hexadecimal
// digits, "%" and binary digits, or decimal digits, up to the first character
// that does not fit. No digits at all gives 0. Overlong numbers wrap.
long long ParseEnvironmentNumber(const std::string& text);

// A window class name as it is compared: ASCII A-Z and the single-byte
// letters 0xC0-0xDE raised by 0x20, everything else kept.
std::string LowerClassName(std::string name);

// The IDE log line "[H:M:S] [PLUGIN] message", numbers without leading zeros.
std::string FormatLogLine(int hour, int minute, int second, const std::string& message);
// "[PLUGIN] message": the line without the time, for an IDE that adds its own.
std::string FormatPluginLine(const std::string& message);

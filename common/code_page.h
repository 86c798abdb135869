// Between the tools' UTF-8 text and what Windows takes and gives: UTF-16 for
// the command line, the environment and the file API, and the system's 8-bit
// code page (ACP) for the history files.
#pragma once
#include "common/utf.h"

#include <windows.h>

#include <string>

std::string WideToUtf8(const wchar_t* text, size_t length);
std::string WideToUtf8(const wchar_t* text);
std::string WideToUtf8(const std::wstring& text);
// UTF-16 for the file API. Malformed UTF-8 gives an empty text, which names
// no file.
std::wstring Utf8ToWide(const std::string& text);

// The ACP's bytes for a UTF-8 name; false when the ACP cannot spell every
// character exactly (no best-fit look-alike, no default character).
bool Utf8ToAcp(const std::string& name, std::string* bytes);
// The UTF-8 of ACP bytes; false for bytes that are not valid in the ACP.
bool AcpToUtf8(const std::string& bytes, std::string* name);
// Both of the above, as the history's entry names take them.
CodePage SystemCodePage();

// The process's own command line, read in UTF-16: the IDE starts tools
// with one. Quotes and blanks are ASCII, and no UTF-8 sequence holds an
// ASCII byte, so SplitCommandLine splits it as it splits 8-bit text.
std::string CommandLineUtf8();
// An environment variable of any length read in UTF-16; empty when absent.
std::string EnvironmentUtf8(const char* name);

// GetFileAttributesW of a UTF-8 path; INVALID_FILE_ATTRIBUTES when there is
// nothing there or the name is malformed.
DWORD PathAttributes(const std::string& path);
// A file, not a folder, with at least one byte in it.
bool PathHasContent(const std::string& path);

// Whole files and folders of files, for the programs and their tests alike.
#pragma once
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// Reads an open file from its current position to its end into bytes,
// reserving spareRoom more for the caller's edits. False when a read fails
// or the file is larger than maxSize; a file that shrinks meanwhile ends
// early.
bool ReadWholeFile(HANDLE file, std::string& bytes, uint64_t maxSize = SIZE_MAX / 2,
                   size_t spareRoom = 0);
// The whole file at path. Others may go on reading and writing it. False
// when it cannot be opened or read.
bool ReadWholeFile(const std::string& path, std::string& bytes);

// Copies the files, not the sub-folders, of the folder from into the folder
// to (which ends with a backslash and must exist), replacing files of the
// same name. Files that fail to copy are passed over and their names added
// to notCopied. False when the folder cannot be listed (an empty one can).
bool CopyFolderFiles(const std::string& from, const std::string& to,
                     std::vector<std::string>& notCopied);
// Runs attempt until it succeeds, or fails for another reason than another
// program's hold on the file, or waitMs have passed: a reader such as a
// virus scanner holds a file for a moment only. deniedIsHeld: access denied
// counts as a hold too (a file being replaced answers so for a moment);
// without it, a file that may not be written fails at once.
bool RetryWhileHeld(const std::function<bool()>& attempt, DWORD waitMs = 1000,
                    bool deniedIsHeld = true);

// Creates a folder; true also when it is there already.
bool MakeFolder(const std::string& path);

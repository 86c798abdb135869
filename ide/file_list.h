// The IDE's list of open source files as it hands it to a tool: the paths in
// tab order with LF between them. A file's position in the list is the index
// of its tab.
#pragma once
#include <string>

// The 0-based position of the path in the list, letter case ignored, or -1.
// Every LF starts a field, so a list ending in LF has an empty last field,
// and an empty list is one empty field.
int FindInFileList(const std::string& fileList, const std::string& path);

// Appends the path as the list's new last field and returns its position:
// 0 for an empty list, which then holds the path alone.
int AppendToFileList(std::string& fileList, const std::string& path);

// Takes the path out of the list (letter case ignored), as a closed source
// leaves the IDE's tabs; the list as it was when it does not hold the path.
void RemoveFromFileList(std::string& fileList, const std::string& path);

// The history files shared by the history tools: one entry per line, oldest
// first, each line the source file, "|", the cursor text and CR LF, in the
// bytes the IDE handed over. An empty file is an empty history.
#pragma once
#include <string>

// Both files live in the tools' working folder, which the installer makes
// the same for every history tool.
constexpr char HistoryBackFileName[] = "History_Back.txt";
constexpr char HistoryForwardFileName[] = "History_Forward.txt";

// One complete line of a history file, CR LF included.
std::string FormatHistoryEntry(const std::string& file, const std::string& cursor);

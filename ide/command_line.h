// Splitting a tool's raw command line into its parameters, by the rule the
// IDE's argument templates are written for (see command_line.cpp).
#pragma once
#include <string>
#include <vector>

// Every parameter of the raw command line, the program's own path first.
std::vector<std::string> SplitCommandLine(const std::string& commandLine);

// Parameter `index` counted after the program's path (0 is the first real
// parameter); empty text when the command line holds fewer.
std::string CommandLineParameter(const std::string& commandLine, int index);

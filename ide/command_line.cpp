// The command-line rule. The IDE fills a template such as "%FILE""%CURSOR"
// and starts the tool with it, so the rule must split two quoted parameters
// that touch:
//
//   - Blanks (0x20 only; a tab is an ordinary character) before a parameter
//     are skipped.
//   - A parameter that starts with a double quote runs up to the next double
//     quote, or to the end of the line, without both quotes. Scanning goes on
//     right after the closing quote. There is no escape for a quote inside,
//     and an empty pair of quotes is an empty parameter that still counts.
//   - Any other parameter runs up to the next blank or the end of the line;
//     quotes inside it are kept.
//   - The first parameter is the program's own path.
#include "ide/command_line.h"

std::vector<std::string> SplitCommandLine(const std::string& commandLine) {
    std::vector<std::string> parameters;
    const size_t end = commandLine.size();
    size_t pos = 0;
    for (;;) {
        while (pos < end && commandLine[pos] == ' ')
            ++pos;
        if (pos == end) break;
        if (commandLine[pos] == '"') {
            size_t close = commandLine.find('"', pos + 1);
            if (close == std::string::npos) close = end;
            parameters.push_back(commandLine.substr(pos + 1, close - pos - 1));
            pos = close == end ? end : close + 1;
        } else {
            size_t blank = commandLine.find(' ', pos);
            if (blank == std::string::npos) blank = end;
            parameters.push_back(commandLine.substr(pos, blank - pos));
            pos = blank;
        }
    }
    return parameters;
}

std::string CommandLineParameter(const std::string& commandLine, int index) {
    std::vector<std::string> parameters = SplitCommandLine(commandLine);
    if (index < 0 || size_t(index) + 1 >= parameters.size()) return "";
    return parameters[size_t(index) + 1];
}

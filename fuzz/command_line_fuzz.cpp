// Splits arbitrary bytes as a command line and checks what must hold for any
// input; then builds a command line from quoted parameters and splits it back.
#include "ide/command_line.h"

#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, size_t size) {
    const std::string commandLine(reinterpret_cast<const char*>(data), size);
    for (const std::string& parameter : SplitCommandLine(commandLine)) {
        if (commandLine.find(parameter) == std::string::npos) std::abort();
        // A parameter holding a quote can only be an unquoted one: it neither
        // starts with a quote nor holds a blank.
        if (parameter.find('"') != std::string::npos &&
            (parameter[0] == '"' || parameter.find(' ') != std::string::npos))
            std::abort();
    }

    // The input, cut at its quotes, as the parameters of a rebuilt line.
    std::vector<std::string> parameters = {"prog"};
    std::string current;
    for (char c : commandLine) {
        if (c == '"') {
            parameters.push_back(current);
            current.clear();
        } else {
            current += c;
        }
    }
    parameters.push_back(current);
    std::string rebuilt = "prog";
    for (size_t i = 1; i < parameters.size(); ++i)
        rebuilt += (i % 2 ? " \"" : "\"") + parameters[i] + "\"";
    if (SplitCommandLine(rebuilt) != parameters) std::abort();
    return 0;
}

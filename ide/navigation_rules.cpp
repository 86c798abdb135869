#include "ide/navigation_rules.h"

#include "ide/file_list.h"

bool IsIdeSourceFile(const std::string& path) {
    size_t dot = path.rfind('.');
    if (dot == std::string::npos || path.find('\\', dot) != std::string::npos) return false;
    const std::string type = UpperCasePath(path.substr(dot));
    return type == ".PB" || type == ".PBI" || type == ".PBF" || type == ".PBP";
}

std::string HandOverCommandLine(const std::string& ide, const std::string& path, int32_t line) {
    std::string commandLine = "\"" + ide + "\" \"" + path + "\"";
    if (line >= 1) commandLine += " /L " + std::to_string(line);
    return commandLine;
}

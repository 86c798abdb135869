#include "ide/navigation_rules.h"

#include "common/utf.h"

bool IsIdeSourceFile(const std::string& path) {
    size_t dot = path.rfind('.');
    if (dot == std::string::npos || path.find('\\', dot) != std::string::npos) return false;
    const std::string type = FoldPathCase(std::string_view(path).substr(dot));
    return type == ".PB" || type == ".PBI" || type == ".PBF" || type == ".PBP";
}

std::string OpenMessageText(const std::string& ide, const std::string& path, int32_t line) {
    return ide + "\n1\n" + std::to_string(line > 0 ? line : 0) + "\n" + path;
}

#include "common/text_rules.h"

std::string UpperCasePath(const std::string& path) {
    std::string upper = path;
    for (char& c : upper) {
        unsigned char u = static_cast<unsigned char>(c);
        if ((u >= 'a' && u <= 'z') || u >= 0xE0) c = static_cast<char>(u - 0x20);
    }
    return upper;
}

bool SamePath(const std::string& a, const std::string& b) {
    return a.size() == b.size() && UpperCasePath(a) == UpperCasePath(b);
}

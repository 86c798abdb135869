#include "ide/ide_text.h"

namespace {

// The value of c as a digit of the given base, or -1.
int DigitValue(char c, unsigned base) {
    int value = -1;
    if (c >= '0' && c <= '9')
        value = c - '0';
    else if (c >= 'a' && c <= 'f')
        value = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F')
        value = c - 'A' + 10;
    return value >= 0 && unsigned(value) < base ? value : -1;
}

} // namespace

long long ParseEnvironmentNumber(const std::string& text) {
    size_t pos = 0;
    while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t'))
        ++pos;
    bool negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) negative = text[pos++] == '-';
    unsigned base = 10;
    if (pos < text.size() && text[pos] == '$')
        base = 16, ++pos;
    else if (pos < text.size() && text[pos] == '%')
        base = 2, ++pos;
    // Unsigned arithmetic: a garbage value of many digits wraps instead of
    // overflowing.
    unsigned long long value = 0;
    for (int digit; pos < text.size() && (digit = DigitValue(text[pos], base)) >= 0; ++pos)
        value = value * base + unsigned(digit);
    return static_cast<long long>(negative ? 0 - value : value);
}

std::string LowerClassName(std::string name) {
    for (char& c : name) {
        unsigned char u = static_cast<unsigned char>(c);
        if ((u >= 'A' && u <= 'Z') || (u >= 0xC0 && u <= 0xDE)) c = static_cast<char>(u + 0x20);
    }
    return name;
}

std::string FormatLogLine(int hour, int minute, int second, const std::string& message) {
    return "[" + std::to_string(hour) + ":" + std::to_string(minute) + ":" +
           std::to_string(second) + "] " + FormatPluginLine(message);
}

std::string FormatPluginLine(const std::string& message) {
    return "[PLUGIN] " + message;
}

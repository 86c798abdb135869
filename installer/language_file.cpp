#include "installer/language_file.h"

#include "text/source_text.h"

#include <algorithm>

namespace {

// Lines 21 and on, for a file that lacks them.
const char* const EnglishTexts[] = {
    "The installation is not complete.",
    "%1 could not be backed up, so it was left unchanged.",
    "%1 could not be read, so it was left unchanged.",
    "%1 could not be written, so it was left unchanged.",
    "No tool was registered and no toolbar button added.",
    "No toolbar button was added.",
    "These files could not be copied into %1:",
    ("This removes Tolvane's tool entries (%1) and toolbar items (%2) from the IDE's settings. "
     "They point to these folders:"),
    "Please close the PureBasic IDE before you press OK.",
    "Nothing of Tolvane is registered in the IDE's settings.",
    "Tool entries removed: %1. Toolbar items removed: %2.",
    "The installation folders are still on disk; delete them when you no longer need them:",
    "Nothing was removed.",
    ("%1 does not say how many tool entries the IDE reads (ToolCount), so it was left "
     "unchanged."),
    "%1 was changed and could not be put back; its old content is in %2.",
    ("The PureBasic IDE has no settings in %1 yet. Start the IDE once and close it, then "
     "install again. Nothing was changed."),
    ("%1 does not say how many toolbar items the IDE reads (ItemCount), so it was left "
     "unchanged."),
    "Please enter the folder to install into.",
    "Also install the follower, which remembers every jump by itself (Velmont)",
    "Recent positions",
    ("The PureBasic IDE has %1 tools and this installation needs %2 more, but the IDE holds at "
     "most 100 tools. Nothing was changed: choose fewer tools, or remove some of the IDE's "
     "own, and install again."),
    "The mouse's side buttons go back and forward",
};
static_assert(sizeof EnglishTexts / sizeof EnglishTexts[0] ==
                  size_t(LanguageLineCount - int(FirstEnglishLine) + 1),
              "one English text per later line");

// The first `count` lines, each cut to MaxLanguageLine bytes. The zero byte
// ends a line too, as the file's first reader read it.
std::vector<std::string> SplitLines(std::string_view bytes, size_t count) {
    std::vector<std::string> lines;
    for (size_t from = 0; lines.size() < count && from < bytes.size();) {
        size_t end = LineEndAt(bytes, from), next = NextLineStart(bytes, from);
        const size_t zero = bytes.substr(from, end - from).find('\0');
        if (zero != std::string_view::npos) {
            end = from + zero;
            next = end + 1;
        }
        lines.emplace_back(bytes.substr(from, std::min(end - from, MaxLanguageLine)));
        from = next;
    }
    return lines;
}

std::string ExpandLineBreaks(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size() && text[i + 1] == 'n') {
            out += "\r\n";
            ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

} // namespace

LanguageFile::LanguageFile(std::string_view bytes) : lines_(SplitLines(bytes, LanguageLineCount)) {
    lines_.resize(LanguageLineCount);
    std::string& about = lines_[size_t(LanguageLine::AboutText) - 1];
    about = ExpandLineBreaks(about);
    for (int line = int(FirstEnglishLine); line <= LanguageLineCount; ++line) {
        std::string& text = lines_[size_t(line) - 1];
        if (text.empty()) text = EnglishTexts[line - int(FirstEnglishLine)];
    }
}

std::string LanguageFile::Text(LanguageLine role, const std::string& first,
                               const std::string& second) const {
    const std::string& pattern = Line(role);
    std::string result;
    for (size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] == '%' && i + 1 < pattern.size() &&
            (pattern[i + 1] == '1' || pattern[i + 1] == '2')) {
            result += pattern[++i] == '1' ? first : second;
        } else {
            result += pattern[i];
        }
    }
    return result;
}

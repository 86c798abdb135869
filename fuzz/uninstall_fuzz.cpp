// Feeds arbitrary pairs of preference files to the uninstall: whatever they
// hold, it must not crash; where it acts, it must leave nothing of Tolvane it can place, must
// number the tool groups it keeps 0, 1, 2 ... with ToolCount saying so, and
// a second run must find nothing more to remove.
#include <cstdint>
#include <set>
#include <string>

#include "installer/uninstall_plan.h"

namespace {

void Check(bool ok) {
    if (!ok) __builtin_trap();
}

// The numbers of the groups named "Tool_" + plain decimal digits.
std::multiset<std::string> PlacedNames(const PrefsDocument& doc) {
    std::multiset<std::string> names;
    for (size_t header : DocumentGroupHeaders(doc)) {
        std::string name = DocumentLineName(doc, header);
        if (name.size() < 6 || name.compare(0, 5, "Tool_") != 0) continue;
        std::string digits = name.substr(5);
        if (digits.size() > 9 || (digits[0] == '0' && digits.size() > 1) ||
            digits.find_first_not_of("0123456789") != std::string::npos)
            continue;
        names.insert(digits);
    }
    return names;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string input(reinterpret_cast<const char*>(data), size);
    // The two files, split at the first NUL byte.
    size_t split = input.find('\0');
    PrefsDocument tools = ParsePrefsDocument(input.substr(0, split));
    PrefsDocument main =
        ParsePrefsDocument(split == std::string::npos ? "" : input.substr(split + 1));

    ToolsFindings found = FindTolvaneEntries(tools);
    // The uninstall changes nothing when the IDE does not read every entry.
    if (!found.CountCoversEntries) return 0;
    int items = RemoveTolvaneToolbarItems(main, found).Items;
    int removed = RemoveTolvaneEntries(tools);
    Check(removed == int(found.Entries.size()));
    Check(items == 0 || main.Changed);
    ToolsFindings after = FindTolvaneEntries(tools);
    Check(after.Entries.empty() && after.CountCoversEntries);
    Check(RemoveTolvaneToolbarItems(main, found).Items == 0);
    Check(RemoveTolvaneToolbarItems(main, after).Items == 0);

    if (removed > 0) {
        // A group keeps its spelling when its number stays; only exact ones are counted.
        bool exactNames = true;
        for (size_t header : DocumentGroupHeaders(tools)) {
            std::string prefix = DocumentLineName(tools, header).substr(0, 5);
            for (char& c : prefix)
                c = char(c >= 'a' && c <= 'z' ? c - 32 : c);
            if (prefix == "TOOL_")
                exactNames =
                    exactNames && DocumentLineName(tools, header).compare(0, 5, "Tool_") == 0;
        }
        SelectDocumentGroup(tools, "ToolsInfo");
        int32_t count = ReadDocumentLong(tools, "ToolCount", -1);
        Check(count >= 0);
        if (exactNames) {
            std::multiset<std::string> expected;
            for (int32_t i = 0; i < count; ++i)
                expected.insert(std::to_string(i));
            Check(PlacedNames(tools) == expected);
        }
    }
    // What was written reads back as written.
    std::string written = FormatPrefsDocument(tools);
    Check(FormatPrefsDocument(ParsePrefsDocument(written)) == written);

    // Removing a key of an 8-bit file takes exactly one line from its section.
    for (size_t i = 0; i < main.Lines.size() && !main.Utf8; ++i) {
        if (main.Lines[i].Kind != PrefsLineKind::Key) continue;
        main.SelectedHeader = NoLine;
        main.HasPendingGroup = false;
        for (size_t header : DocumentGroupHeaders(main))
            if (header < i) main.SelectedHeader = header;
        size_t lines = main.Lines.size();
        Check(RemoveDocumentKey(main, DocumentLineName(main, i)) && main.Lines.size() == lines - 1);
        written = FormatPrefsDocument(main);
        Check(FormatPrefsDocument(ParsePrefsDocument(written)) == written);
        break;
    }
    return 0;
}

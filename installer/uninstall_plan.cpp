#include "installer/uninstall_plan.h"

#include "installer/installation_plan.h"

#include <algorithm>
#include <climits>

namespace {

bool IsSeparator(char c) {
    return c == '\\' || c == '/';
}

char Folded(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

bool EqualNoCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return Folded(x) == Folded(y);
           });
}

bool StartsWithNoCase(const std::string& text, const std::string& prefix) {
    return text.size() >= prefix.size() && EqualNoCase(text.substr(0, prefix.size()), prefix);
}

// The number after prefix when the rest is plain decimal digits as "%d"
// writes them (no sign, no leading zero), else -1.
int64_t NumberAfter(const std::string& name, const std::string& prefix) {
    if (!StartsWithNoCase(name, prefix)) return -1;
    std::string digits = name.substr(prefix.size());
    if (digits.empty() || digits.size() > 10 || (digits[0] == '0' && digits.size() > 1)) return -1;
    int64_t number = 0;
    for (char c : digits) {
        if (c < '0' || c > '9') return -1;
        number = number * 10 + (c - '0');
    }
    return number <= INT32_MAX ? number : -1;
}

// The value of the first key of that name in the section after header.
std::string SectionValue(const PrefsDocument& doc, size_t header, const std::string& key) {
    size_t end = DocumentSectionEnd(doc, header);
    for (size_t i = header + 1; i < end; ++i)
        if (doc.Lines[i].Kind == PrefsLineKind::Key && EqualNoCase(DocumentLineName(doc, i), key))
            return DocumentLineValue(doc, i);
    return "";
}

struct PlacedGroup {
    int64_t Number;
    size_t Header;
    bool Tolvane;
    TolvaneEntry Entry;
};

// The Tool_<n> groups that can be placed, ordered by number and then by
// their place in the file.
std::vector<PlacedGroup> PlacedGroups(const PrefsDocument& tools) {
    std::vector<PlacedGroup> groups;
    for (size_t header : DocumentGroupHeaders(tools)) {
        int64_t number = NumberAfter(DocumentLineName(tools, header), "Tool_");
        if (number < 0) continue;
        std::string folder = TolvaneFolderOfCommand(SectionValue(tools, header, "Command"));
        groups.push_back({number,
                          header,
                          !folder.empty(),
                          {folder, SectionValue(tools, header, "MenuItemName")}});
    }
    std::stable_sort(groups.begin(), groups.end(), [](const PlacedGroup& a, const PlacedGroup& b) {
        return a.Number < b.Number;
    });
    return groups;
}

const char* const TolvanePrograms[] = {"Quillet.exe", "Brannow.exe", "Zemrick.exe", "Tolvane.exe"};

// One item of the toolbar: the first Icon_ and Action_ key of its number.
struct PresentItem {
    int64_t Number = 0;
    std::string Icon, Action;
    bool HasIcon = false, HasAction = false;
    bool Removed = false;
    int32_t NewNumber = 0;
};

// A key line of a toolbar item.
struct ItemLine {
    size_t Index;
    int64_t Number;
    bool IsIcon;
};

bool IconInFolder(const PresentItem& item, const TolvaneEntry& entry) {
    return StartsWithNoCase(item.Icon, "External:" + entry.Folder);
}

bool BelongsToTolvane(const PresentItem& item, const std::vector<TolvaneEntry>& entries) {
    for (const TolvaneEntry& entry : entries) {
        if (!IconInFolder(item, entry)) continue;
        std::string rest = item.Icon.substr(9 + entry.Folder.size());
        bool directlyInside = std::none_of(rest.begin(), rest.end(), IsSeparator);
        if (directlyInside || item.Action == "Tool:" + entry.MenuItemName) return true;
    }
    return false;
}

size_t ToolbarHeader(const PrefsDocument& main) {
    size_t fallback = NoLine;
    for (size_t header : DocumentGroupHeaders(main)) {
        std::string name = DocumentLineName(main, header);
        if (EqualNoCase(name, "ToolbarNew")) return header;
        if (fallback == NoLine && EqualNoCase(name, "Toolbar")) fallback = header;
    }
    return fallback;
}

// The item number of a toolbar key line ("Icon_3", "Action_3"), or -1.
int64_t ItemNumberOfKey(const std::string& key, bool& isIcon) {
    int64_t number = NumberAfter(key, "Icon_");
    isIcon = number >= 0;
    if (!isIcon) number = NumberAfter(key, "Action_");
    return number >= 1 && number <= MaxToolbarItems ? number : -1;
}

std::vector<ItemLine> ToolbarItemLines(const PrefsDocument& main, size_t header) {
    std::vector<ItemLine> lines;
    size_t end = DocumentSectionEnd(main, header);
    for (size_t i = header + 1; i < end; ++i) {
        if (main.Lines[i].Kind != PrefsLineKind::Key) continue;
        bool isIcon = false;
        int64_t number = ItemNumberOfKey(DocumentLineName(main, i), isIcon);
        if (number >= 0) lines.push_back({i, number, isIcon});
    }
    return lines;
}

std::vector<PresentItem>::iterator FindItem(std::vector<PresentItem>& items, int64_t number) {
    return std::lower_bound(items.begin(), items.end(), number,
                            [](const PresentItem& item, int64_t n) { return item.Number < n; });
}

// The items by number, each read from the first of its key lines.
std::vector<PresentItem> ItemsOfLines(const PrefsDocument& main,
                                      const std::vector<ItemLine>& lines) {
    std::vector<PresentItem> items;
    for (const ItemLine& line : lines) {
        auto at = FindItem(items, line.Number);
        if (at == items.end() || at->Number != line.Number) {
            PresentItem item;
            item.Number = line.Number;
            at = items.insert(at, item);
        }
        bool& seen = line.IsIcon ? at->HasIcon : at->HasAction;
        if (!seen) (line.IsIcon ? at->Icon : at->Action) = DocumentLineValue(main, line.Index);
        seen = true;
    }
    return items;
}

// Marks Tolvane's items and the separators before them, numbers the others
// from 1; the number marked.
int MarkRemovedItems(std::vector<PresentItem>& items, const std::vector<TolvaneEntry>& entries) {
    int removed = 0;
    for (size_t k = items.size(); k-- > 0;) {
        bool separatorBeforeRemoved = EqualNoCase(items[k].Icon, "Separator") &&
                                      k + 1 < items.size() && items[k + 1].Removed &&
                                      !EqualNoCase(items[k + 1].Icon, "Separator");
        items[k].Removed = separatorBeforeRemoved || BelongsToTolvane(items[k], entries);
        removed += items[k].Removed;
    }
    int32_t number = 0;
    for (PresentItem& item : items)
        if (!item.Removed) item.NewNumber = ++number;
    return removed;
}

} // namespace

std::string TolvaneFolderOfCommand(const std::string& command) {
    size_t nameStart = command.find_last_of("\\/");
    if (nameStart == std::string::npos || nameStart < 7) return "";
    std::string program = command.substr(nameStart + 1);
    if (std::none_of(std::begin(TolvanePrograms), std::end(TolvanePrograms),
                     [&](const char* name) { return EqualNoCase(program, name); }))
        return "";
    size_t folderStart = nameStart - 7;
    if (!EqualNoCase(command.substr(folderStart, 7), "Tolvane")) return "";
    if (folderStart > 0 && !IsSeparator(command[folderStart - 1])) return "";
    return command.substr(0, nameStart + 1);
}

std::vector<TolvaneEntry> FindTolvaneEntries(const PrefsDocument& tools) {
    std::vector<TolvaneEntry> entries;
    for (const PlacedGroup& group : PlacedGroups(tools))
        if (group.Tolvane) entries.push_back(group.Entry);
    return entries;
}

std::vector<std::string> InstallationFolders(const std::vector<TolvaneEntry>& entries) {
    std::vector<std::string> folders;
    for (const TolvaneEntry& entry : entries)
        if (std::none_of(folders.begin(), folders.end(),
                         [&](const std::string& f) { return EqualNoCase(f, entry.Folder); }))
            folders.push_back(entry.Folder);
    return folders;
}

int RemoveTolvaneEntries(PrefsDocument& tools) {
    std::vector<PlacedGroup> groups = PlacedGroups(tools);
    std::vector<size_t> removed;
    for (const PlacedGroup& group : groups)
        if (group.Tolvane) removed.push_back(group.Header);
    if (removed.empty()) return 0;
    // Renaming keeps every index, so it goes before the removals.
    int32_t kept = 0;
    for (const PlacedGroup& group : groups) {
        if (group.Tolvane) continue;
        if (group.Number != kept)
            RenameDocumentLine(tools, group.Header, "Tool_" + std::to_string(kept));
        ++kept;
    }
    std::vector<size_t> lines;
    for (size_t header : removed) {
        size_t end = DocumentSectionEnd(tools, header);
        for (size_t line = header; line < end; ++line)
            lines.push_back(line);
    }
    RemoveDocumentLineSet(tools, lines);
    SelectDocumentGroup(tools, "ToolsInfo");
    WriteDocumentLong(tools, "ToolCount", kept);
    return static_cast<int>(removed.size());
}

int RemoveTolvaneToolbarItems(PrefsDocument& main, const std::vector<TolvaneEntry>& entries) {
    size_t header = ToolbarHeader(main);
    if (header == NoLine || entries.empty()) return 0;
    std::vector<ItemLine> lines = ToolbarItemLines(main, header);
    std::vector<PresentItem> items = ItemsOfLines(main, lines);
    int removed = MarkRemovedItems(items, entries);
    if (removed == 0) return 0;

    // Renamed first, while the indices still hold.
    std::vector<size_t> gone;
    for (const ItemLine& line : lines) {
        const PresentItem& item = *FindItem(items, line.Number);
        if (item.Removed)
            gone.push_back(line.Index);
        else if (item.NewNumber != line.Number)
            RenameDocumentLine(main, line.Index,
                               (line.IsIcon ? "Icon_" : "Action_") +
                                   std::to_string(item.NewNumber));
    }
    RemoveDocumentLineSet(main, gone);
    SelectDocumentGroup(main, DocumentLineName(main, header));
    WriteDocumentLong(main, "ItemCount", int32_t(items.size()) - removed);
    return removed;
}

bool HasUninstallSwitch(const std::string& commandLine) {
    bool quoted = false, programName = true;
    std::string argument;
    auto endArgument = [&] {
        bool found = !programName && EqualNoCase(argument, "/uninstall");
        if (!argument.empty()) programName = false;
        argument.clear();
        return found;
    };
    for (char c : commandLine) {
        if (c == '"') {
            quoted = !quoted;
        } else if (!quoted && (c == ' ' || c == '\t')) {
            if (endArgument()) return true;
        } else {
            argument += c;
        }
    }
    return endArgument();
}

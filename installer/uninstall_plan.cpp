#include "installer/uninstall_plan.h"

#include "installer/ide_settings.h"

#include <algorithm>
#include <charconv>
#include <climits>

namespace {

bool IsSeparator(char c) {
    return c == '\\' || c == '/';
}

// The folder of a path whose last part lies directly inside it, else "".
std::string FolderOf(const std::string& path) {
    size_t nameStart = path.find_last_of("\\/");
    return nameStart == std::string::npos ? "" : path.substr(0, nameStart + 1);
}

// Paths as Windows compares them: letter case and slash direction aside.
bool SamePath(std::string a, std::string b) {
    std::replace(a.begin(), a.end(), '/', '\\');
    std::replace(b.begin(), b.end(), '/', '\\');
    return EqualNoCase(a, b);
}

bool StartsWithNoCase(const std::string& text, const std::string& prefix) {
    return text.size() >= prefix.size() && EqualNoCase(text.substr(0, prefix.size()), prefix);
}

// The number after prefix when the rest is plain decimal digits as "%d"
// writes them (no sign, no leading zero), else -1.
int64_t NumberAfter(const std::string& name, const std::string& prefix) {
    if (!StartsWithNoCase(name, prefix)) return -1;
    const char *first = name.data() + prefix.size(), *last = name.data() + name.size();
    // from_chars would read "007" as 7.
    if (first == last || *first < '0' || *first > '9' || (*first == '0' && last - first > 1))
        return -1;
    uint32_t number = 0;
    const auto [end, error] = std::from_chars(first, last, number);
    return error == std::errc() && end == last && number <= INT32_MAX ? int64_t(number) : -1;
}

// The value of the first key of that name in the section after header.
std::string SectionValue(const PrefsDocument& doc, size_t header, const std::string& key) {
    size_t end = DocumentSectionEnd(doc, header);
    for (size_t i = header + 1; i < end; ++i)
        if (doc.Lines[i].Kind == PrefsLineKind::Key && EqualNoCase(DocumentLineName(doc, i), key))
            return DocumentLineValue(doc, i);
    return "";
}

// The count key's plain number when it is above lastNumber (-1: no
// numbered group or key), else -1. An absent key counts as 0.
int64_t CountAbove(const PrefsDocument& doc, size_t header, const char* key, int64_t lastNumber) {
    size_t end = header == NoLine ? 0 : DocumentSectionEnd(doc, header);
    bool present = false;
    for (size_t i = header + 1; header != NoLine && i < end && !present; ++i)
        present =
            doc.Lines[i].Kind == PrefsLineKind::Key && EqualNoCase(DocumentLineName(doc, i), key);
    int64_t count = present ? NumberAfter(SectionValue(doc, header, key), "") : 0;
    return count > lastNumber ? count : -1;
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
        int64_t number = NumberAfter(DocumentLineName(tools, header), ToolGroupPrefix);
        if (number < 0) continue;
        std::string folder = TolvaneFolderOfCommand(SectionValue(tools, header, CommandKey));
        groups.push_back({number,
                          header,
                          !folder.empty(),
                          {folder, SectionValue(tools, header, MenuItemNameKey)}});
    }
    std::stable_sort(groups.begin(), groups.end(), [](const PlacedGroup& a, const PlacedGroup& b) {
        return a.Number < b.Number;
    });
    return groups;
}

const char* const TolvanePrograms[] = {"Quillet.exe", "Brannow.exe", "Zemrick.exe",
                                       "Tolvane.exe", "Velmont.exe", "Lisarde.exe"};

// The folder of a path whose last part lies directly inside a folder named
// "Tolvane", separator included, else "".
std::string TolvaneFolderOfPath(const std::string& path) {
    const std::string folder = FolderOf(path), name = "Tolvane";
    if (folder.size() < name.size() + 1) return "";
    size_t nameStart = folder.size() - 1 - name.size();
    if (!EqualNoCase(folder.substr(nameStart, name.size()), name)) return "";
    if (nameStart > 0 && !IsSeparator(folder[nameStart - 1])) return "";
    return folder;
}

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

// The icon file of an "External:" icon, else "".
std::string IconFile(const PresentItem& item) {
    const std::string prefix = ExternalIcon;
    return StartsWithNoCase(item.Icon, prefix) ? item.Icon.substr(prefix.size()) : "";
}

// The menu item name of a "Tool:" action; false for other actions.
bool ToolOfAction(const std::string& action, std::string& name) {
    const std::string prefix = ToolAction;
    if (action.compare(0, prefix.size(), prefix) != 0) return false;
    name = action.substr(prefix.size());
    return true;
}

bool BelongsToTolvane(const PresentItem& item, const ToolsFindings& tools) {
    if (EqualNoCase(item.Icon, SeparatorIcon)) return false;
    const std::string iconFolder = FolderOf(IconFile(item));
    for (const TolvaneEntry& entry : tools.Entries)
        if (!iconFolder.empty() && SamePath(iconFolder, entry.Folder)) return true;
    std::string name;
    if (!ToolOfAction(item.Action, name) ||
        std::count(tools.UserToolNames.begin(), tools.UserToolNames.end(), name) > 0)
        return false;
    return !TolvaneFolderOfPath(IconFile(item)).empty() ||
           std::any_of(tools.Entries.begin(), tools.Entries.end(),
                       [&](const TolvaneEntry& entry) { return entry.MenuItemName == name; });
}

size_t ToolbarHeader(const PrefsDocument& main) {
    size_t fallback = NoLine;
    for (size_t header : DocumentGroupHeaders(main)) {
        std::string name = DocumentLineName(main, header);
        if (EqualNoCase(name, NewToolbarGroup)) return header;
        if (fallback == NoLine && EqualNoCase(name, OldToolbarGroup)) fallback = header;
    }
    return fallback;
}

// The item number of a toolbar key line ("Icon_3", "Action_3"), or -1.
int64_t ItemNumberOfKey(const std::string& key, bool& isIcon) {
    int64_t number = NumberAfter(key, IconKeyPrefix);
    isIcon = number >= 0;
    if (!isIcon) number = NumberAfter(key, ActionKeyPrefix);
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
int MarkRemovedItems(std::vector<PresentItem>& items, const ToolsFindings& tools) {
    int removed = 0;
    for (size_t k = items.size(); k-- > 0;) {
        bool separatorBeforeRemoved = EqualNoCase(items[k].Icon, SeparatorIcon) &&
                                      k + 1 < items.size() && items[k + 1].Removed &&
                                      !EqualNoCase(items[k + 1].Icon, SeparatorIcon);
        items[k].Removed = separatorBeforeRemoved || BelongsToTolvane(items[k], tools);
        removed += items[k].Removed;
    }
    int32_t number = 0;
    for (PresentItem& item : items)
        if (!item.Removed) item.NewNumber = ++number;
    return removed;
}

} // namespace

int64_t TrustedToolCount(const PrefsDocument& tools) {
    int64_t lastNumber = -1;
    for (size_t header : DocumentGroupHeaders(tools))
        lastNumber =
            std::max(lastNumber, NumberAfter(DocumentLineName(tools, header), ToolGroupPrefix));
    size_t info = NoLine;
    for (size_t header : DocumentGroupHeaders(tools))
        if (info == NoLine && EqualNoCase(DocumentLineName(tools, header), ToolsInfoGroup))
            info = header;
    return CountAbove(tools, info, ToolCountKey, lastNumber);
}

int64_t TrustedItemCount(const PrefsDocument& main) {
    size_t header = ToolbarHeader(main);
    int64_t lastNumber = -1;
    if (header != NoLine) {
        size_t end = DocumentSectionEnd(main, header);
        for (size_t i = header + 1; i < end; ++i) {
            if (main.Lines[i].Kind != PrefsLineKind::Key) continue;
            const std::string key = DocumentLineName(main, i);
            lastNumber = std::max(
                {lastNumber, NumberAfter(key, IconKeyPrefix), NumberAfter(key, ActionKeyPrefix)});
        }
    }
    // Item numbers run from 1, so the count may equal the last one.
    return CountAbove(main, header, ItemCountKey, lastNumber - 1);
}

std::string TolvaneFolderOfCommand(const std::string& command) {
    size_t start = command.find_first_not_of(" \t");
    if (start == std::string::npos) return "";
    // The IDE runs a quoted command as the path inside the quotes.
    if (command[start] == '"') {
        size_t end = command.find('"', start + 1);
        if (end == std::string::npos) return "";
        return TolvaneFolderOfCommand(command.substr(start + 1, end - start - 1));
    }
    std::string path = command.substr(start);
    path.erase(path.find_last_not_of(" \t") + 1);
    std::string program = path.substr(FolderOf(path).size());
    if (std::none_of(std::begin(TolvanePrograms), std::end(TolvanePrograms),
                     [&](const char* name) { return EqualNoCase(program, name); }))
        return "";
    return TolvaneFolderOfPath(path);
}

ToolsFindings FindTolvaneEntries(const PrefsDocument& tools) {
    ToolsFindings found;
    for (const PlacedGroup& group : PlacedGroups(tools)) {
        if (group.Tolvane)
            found.Entries.push_back(group.Entry);
        else
            found.UserToolNames.push_back(group.Entry.MenuItemName);
    }
    found.CountCoversEntries = TrustedToolCount(tools) >= 0;
    return found;
}

std::vector<std::string> InstallationFolders(const std::vector<TolvaneEntry>& entries) {
    std::vector<std::string> folders;
    for (const TolvaneEntry& entry : entries)
        if (std::none_of(folders.begin(), folders.end(),
                         [&](const std::string& f) { return SamePath(f, entry.Folder); }))
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
            RenameDocumentLine(tools, group.Header, NumberedKey(ToolGroupPrefix, kept));
        ++kept;
    }
    std::vector<size_t> lines;
    for (size_t header : removed) {
        size_t end = DocumentSectionEnd(tools, header);
        for (size_t line = header; line < end; ++line)
            lines.push_back(line);
    }
    RemoveDocumentLineSet(tools, lines);
    SelectDocumentGroup(tools, ToolsInfoGroup);
    WriteDocumentLong(tools, ToolCountKey, kept);
    return static_cast<int>(removed.size());
}

ToolbarRemoval RemoveTolvaneToolbarItems(PrefsDocument& main, const ToolsFindings& tools) {
    ToolbarRemoval removal;
    size_t header = ToolbarHeader(main);
    if (header == NoLine) return removal;
    std::vector<ItemLine> lines = ToolbarItemLines(main, header);
    std::vector<PresentItem> items = ItemsOfLines(main, lines);
    int removed = MarkRemovedItems(items, tools);
    if (removed == 0) return removal;
    std::vector<std::string> known = InstallationFolders(tools.Entries);
    for (const PresentItem& item : items) {
        std::string folder = TolvaneFolderOfPath(IconFile(item));
        if (!item.Removed || folder.empty() ||
            std::any_of(known.begin(), known.end(),
                        [&](const std::string& f) { return SamePath(f, folder); }))
            continue;
        known.push_back(folder);
        removal.IconFolders.push_back(folder);
    }
    removal.Items = removed;

    // Renamed first, while the indices still hold.
    std::vector<size_t> gone;
    for (const ItemLine& line : lines) {
        const PresentItem& item = *FindItem(items, line.Number);
        if (item.Removed)
            gone.push_back(line.Index);
        else if (item.NewNumber != line.Number)
            RenameDocumentLine(
                main, line.Index,
                NumberedKey(line.IsIcon ? IconKeyPrefix : ActionKeyPrefix, item.NewNumber));
    }
    RemoveDocumentLineSet(main, gone);
    SelectDocumentGroup(main, DocumentLineName(main, header));
    WriteDocumentLong(main, ItemCountKey, int32_t(items.size()) - removed);
    return removal;
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

#include "history_entry.h"

std::string FormatHistoryEntry(const std::string& file, const std::string& cursor) {
    return file + "|" + cursor + "\r\n";
}

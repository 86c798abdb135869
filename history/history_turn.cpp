#include "history/history_turn.h"

#include "common/code_page.h"
#include "common/utf.h"

#include <cstdint>

std::string HistoryTurnName() {
    wchar_t folder[MAX_PATH * 4];
    DWORD length = GetCurrentDirectoryW(MAX_PATH * 4, folder);
    uint64_t hash = 14695981039346656037ull; // FNV-1a of the folder
    for (char ch : FoldPathCase(WideToUtf8(folder, length < MAX_PATH * 4 ? length : 0)))
        hash = (hash ^ uint8_t(ch)) * 1099511628211ull;
    return "Local\\TolvaneHistorySteps" + std::to_string(hash);
}

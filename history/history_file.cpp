#include "history/history_file.h"

#include "common/auto_handle.h"

HANDLE OpenHistoryFile(const char* fileName, DWORD disposition) {
    const ULONGLONG giveUpAt = GetTickCount64() + 1000;
    for (;;) {
        HANDLE file = CreateFileA(fileName, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                  disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) return file;
        DWORD error = GetLastError();
        if ((error != ERROR_SHARING_VIOLATION && error != ERROR_LOCK_VIOLATION) ||
            GetTickCount64() >= giveUpAt)
            return file;
        Sleep(5);
    }
}

bool AppendHistoryEntry(HANDLE file, const std::string& entry) {
    LARGE_INTEGER oldLength = {};
    if (!SetFilePointerEx(file, LARGE_INTEGER{}, &oldLength, FILE_END)) return false;
    DWORD written = 0;
    if (!WriteFile(file, entry.data(), DWORD(entry.size()), &written, nullptr) ||
        written != entry.size()) {
        SetFilePointerEx(file, oldLength, nullptr, FILE_BEGIN);
        SetEndOfFile(file);
        return false;
    }
    return true;
}

void EmptyHistoryFile(const char* fileName) {
    AutoCloseHandle file(CreateFileA(fileName, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ,
                                     nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    // Creating anew is refused for a hidden or system file, and while another
    // process reads the file sharing only writing; truncating, which asks for
    // write access alone, still empties it.
    if (!file.IsValid())
        file = AutoCloseHandle(CreateFileA(fileName, GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                           TRUNCATE_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
}

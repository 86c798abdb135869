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

bool HoldHistoryFile(const char* fileName, HANDLE* file) {
    *file = INVALID_HANDLE_VALUE;
    const DWORD attributes = GetFileAttributesA(fileName);
    if (attributes == INVALID_FILE_ATTRIBUTES) return true;
    // Refused as Windows refuses it, also to a user whom the file system
    // would let write anyway.
    if (attributes & FILE_ATTRIBUTE_READONLY) return false;
    *file = OpenHistoryFile(fileName, OPEN_EXISTING);
    return *file != INVALID_HANDLE_VALUE;
}

bool HistoryFileLength(HANDLE file, uint64_t* length) {
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file, &size)) return false;
    *length = uint64_t(size.QuadPart);
    return true;
}

bool CutHistoryFile(HANDLE file, uint64_t length) {
    LARGE_INTEGER at;
    at.QuadPart = LONGLONG(length);
    return SetFilePointerEx(file, at, nullptr, FILE_BEGIN) && SetEndOfFile(file);
}

bool AppendHistoryEntry(HANDLE file, const std::string& entry) {
    uint64_t oldLength = 0;
    if (!HistoryFileLength(file, &oldLength) ||
        !SetFilePointerEx(file, LARGE_INTEGER{}, nullptr, FILE_END))
        return false;
    DWORD written = 0;
    if (!WriteFile(file, entry.data(), DWORD(entry.size()), &written, nullptr) ||
        written != entry.size()) {
        CutHistoryFile(file, oldLength);
        return false;
    }
    return true;
}

bool EmptyHistoryFile(const char* fileName) {
    AutoCloseHandle file(CreateFileA(fileName, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ,
                                     nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    // Creating anew is refused for a hidden or system file, and while another
    // process reads the file sharing only writing; truncating, which asks for
    // write access alone, still empties it.
    if (!file.IsValid())
        file = AutoCloseHandle(CreateFileA(fileName, GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                           TRUNCATE_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    return file.IsValid();
}

#include "history/history_file.h"

#include "common/auto_handle.h"

namespace {

// Another history tool holds a file for a moment only (a quick repeat of a
// shortcut starts a second one): open is tried again for up to a second
// while the file is held.
template <class Open> HANDLE WaitWhileHeld(Open open) {
    const ULONGLONG giveUpAt = GetTickCount64() + 1000;
    for (;;) {
        HANDLE file = open();
        if (file != INVALID_HANDLE_VALUE) return file;
        DWORD error = GetLastError();
        if ((error != ERROR_SHARING_VIOLATION && error != ERROR_LOCK_VIOLATION) ||
            GetTickCount64() >= giveUpAt)
            return file;
        Sleep(5);
    }
}

HANDLE CreateEmptyFile(const char* fileName) {
    // Refused as Windows refuses it, also to a user whom the file system
    // would let write anyway.
    const DWORD attributes = GetFileAttributesA(fileName);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return INVALID_HANDLE_VALUE;
    }
    HANDLE file = CreateFileA(fileName, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                              CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    // Creating anew is refused for a hidden or system file, and while another
    // process reads the file sharing only writing; truncating, which asks for
    // write access alone, still empties it.
    if (file != INVALID_HANDLE_VALUE) return file;
    return CreateFileA(fileName, GENERIC_WRITE, FILE_SHARE_READ, nullptr, TRUNCATE_EXISTING,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

// An empty file ends where a line may start; so does one whose last two
// bytes are CR LF. Any other (a torn last line, NUL bytes left by a crash)
// needs a line end before the next entry.
bool EndsAtLineStart(HANDLE file, uint64_t length) {
    if (length == 0) return true;
    if (length < 2) return false;
    char tail[2];
    return ReadHistoryFileAt(file, length - 2, tail, 2) == 2 && tail[0] == '\r' && tail[1] == '\n';
}

} // namespace

size_t ReadHistoryFileAt(HANDLE file, uint64_t offset, char* buffer, size_t count) {
    OVERLAPPED at = {};
    at.Offset = DWORD(offset);
    at.OffsetHigh = DWORD(offset >> 32);
    DWORD got = 0;
    return ReadFile(file, buffer, DWORD(count), &got, &at) ? got : 0;
}

HANDLE OpenHistoryFile(const char* fileName, DWORD disposition) {
    return WaitWhileHeld([&] {
        return CreateFileA(fileName, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                           disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    });
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
    const std::string line = EndsAtLineStart(file, oldLength) ? entry : "\r\n" + entry;
    DWORD written = 0;
    if (!WriteFile(file, line.data(), DWORD(line.size()), &written, nullptr) ||
        written != line.size()) {
        CutHistoryFile(file, oldLength);
        return false;
    }
    return true;
}

bool EmptyHistoryFile(const char* fileName) {
    AutoCloseHandle file(WaitWhileHeld([&] { return CreateEmptyFile(fileName); }));
    return file.IsValid();
}

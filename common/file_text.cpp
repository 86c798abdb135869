#include "common/file_text.h"

#include "common/auto_handle.h"

#include <algorithm>

namespace {

// ReadFile counts in DWORDs.
constexpr size_t Chunk = 1u << 30;

} // namespace

bool ReadWholeFile(HANDLE file, std::string& bytes, uint64_t maxSize, size_t spareRoom) {
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file, &size) || static_cast<uint64_t>(size.QuadPart) > maxSize) return false;
    bytes.reserve(static_cast<size_t>(size.QuadPart) + spareRoom);
    bytes.resize(static_cast<size_t>(size.QuadPart));
    size_t got = 0;
    while (got < bytes.size()) {
        DWORD chunk = static_cast<DWORD>(std::min(bytes.size() - got, Chunk));
        DWORD read = 0;
        if (!ReadFile(file, &bytes[got], chunk, &read, nullptr)) return false;
        if (read == 0) break; // the file shrank since its size was taken
        got += read;
    }
    bytes.resize(got);
    return true;
}

bool ReadWholeFile(const std::string& path, std::string& bytes) {
    AutoCloseHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                     nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    return file.IsValid() && ReadWholeFile(file.Get(), bytes);
}

bool CopyFolderFiles(const std::string& from, const std::string& to,
                     std::vector<std::string>& notCopied) {
    WIN32_FIND_DATAA found;
    AutoFindHandle find(FindFirstFileA((from + "\\*").c_str(), &found));
    // "." is always there: a folder that lists nothing cannot be read.
    if (!find.IsValid()) return false;
    do {
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        if (!CopyFileA((from + "\\" + found.cFileName).c_str(), (to + found.cFileName).c_str(),
                       FALSE))
            notCopied.push_back(found.cFileName);
    } while (FindNextFileA(find.Get(), &found));
    return GetLastError() == ERROR_NO_MORE_FILES;
}

bool RetryWhileHeld(const std::function<bool()>& attempt, DWORD waitMs, bool deniedIsHeld) {
    const ULONGLONG giveUpAt = GetTickCount64() + waitMs;
    for (;;) {
        if (attempt()) return true;
        const DWORD error = GetLastError();
        const bool held = error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION ||
                          (deniedIsHeld && error == ERROR_ACCESS_DENIED);
        if (!held || GetTickCount64() >= giveUpAt) return false;
        Sleep(5);
    }
}

bool MakeFolder(const std::string& path) {
    if (CreateDirectoryA(path.c_str(), nullptr)) return true;
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

#include "history_file.h"

#include "auto_handle.h"

int EmptyHistoryFile(const char* fileName) {
    AutoCloseHandle file(CreateFileA(fileName, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ,
                                     nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    // Creating anew is refused for a hidden or system file, and while another
    // process reads the file sharing only writing; truncating, which asks for
    // write access alone, still empties it.
    if (!file.IsValid())
        file = AutoCloseHandle(CreateFileA(fileName, GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                           TRUNCATE_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    return file.IsValid() ? 1 : 0;
}

#include "ide/file_list.h"

#include "common/utf.h"

#include <algorithm>

int FindInFileList(const std::string& fileList, const std::string& path) {
    const std::string wanted = FoldPathCase(path);
    size_t begin = 0;
    for (int index = 0;; ++index) {
        size_t end = fileList.find('\n', begin);
        size_t length = (end == std::string::npos ? fileList.size() : end) - begin;
        if (FoldPathCase(std::string_view(fileList).substr(begin, length)) == wanted) return index;
        if (end == std::string::npos) return -1;
        begin = end + 1;
    }
}

int AppendToFileList(std::string& fileList, const std::string& path) {
    if (fileList.empty()) {
        fileList = path;
        return 0;
    }
    fileList += '\n';
    fileList += path;
    return int(std::count(fileList.begin(), fileList.end(), '\n'));
}

void RemoveFromFileList(std::string& fileList, const std::string& path) {
    const int index = FindInFileList(fileList, path);
    if (index < 0) return;
    size_t begin = 0;
    for (int field = 0; field < index; ++field)
        begin = fileList.find('\n', begin) + 1;
    const size_t end = fileList.find('\n', begin);
    // The field with the LF after it, or the last field with the LF before.
    if (end != std::string::npos)
        fileList.erase(begin, end + 1 - begin);
    else
        fileList.erase(begin == 0 ? 0 : begin - 1);
}

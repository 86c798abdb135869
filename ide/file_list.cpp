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

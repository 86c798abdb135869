#include "ide/file_list.h"

#include <algorithm>

std::string UpperCasePath(const std::string& path) {
    std::string upper = path;
    for (char& c : upper) {
        unsigned char u = static_cast<unsigned char>(c);
        if ((u >= 'a' && u <= 'z') || u >= 0xE0) c = static_cast<char>(u - 0x20);
    }
    return upper;
}

int FindInFileList(const std::string& fileList, const std::string& path) {
    const std::string wanted = UpperCasePath(path);
    size_t begin = 0;
    for (int index = 0;; ++index) {
        size_t end = fileList.find('\n', begin);
        size_t length = (end == std::string::npos ? fileList.size() : end) - begin;
        if (length == wanted.size() && UpperCasePath(fileList.substr(begin, length)) == wanted)
            return index;
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

#include "testing/test_support.h"

#include "common/code_page.h"
#include "common/file_text.h"

#include <vector>

std::string ExeDir() {
    char path[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string s(path, n);
    return s.substr(0, s.find_last_of('\\') + 1);
}

std::string SiblingExe(const std::string& name) {
    return ExeDir() + name;
}

TempDir::TempDir() {
    char base[MAX_PATH];
    GetTempPathA(MAX_PATH, base);
    static unsigned counter = 0;
    for (;;) {
        std::string candidate = std::string(base) + "tolvane-" +
                                std::to_string(GetCurrentProcessId()) + "-" +
                                std::to_string(++counter);
        if (CreateDirectoryA(candidate.c_str(), nullptr)) {
            path_ = candidate + "\\";
            return;
        }
    }
}

TempDir::~TempDir() {
    DeleteTree(path_);
}

namespace {

// Wide, so that a name the code page cannot spell goes too.
void DeleteWideTree(const std::wstring& dir) {
    WIN32_FIND_DATAW fd;
    HANDLE find = FindFirstFileW((dir + L"\\*").c_str(), &fd);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            std::wstring name = fd.cFileName;
            if (name == L"." || name == L"..") continue;
            std::wstring child = dir + L"\\" + name;
            if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                DeleteWideTree(child);
            } else {
                SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileW(child.c_str());
            }
        } while (FindNextFileW(find, &fd));
        FindClose(find);
    }
    RemoveDirectoryW(dir.c_str());
}

bool WriteAll(HANDLE f, const std::string& bytes) {
    if (f == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    BOOL ok = bytes.empty() || WriteFile(f, bytes.data(), (DWORD)bytes.size(), &written, nullptr);
    CloseHandle(f);
    return ok && written == bytes.size();
}

ProcessResult WaitForProcess(HANDLE process, DWORD timeoutMs) {
    ProcessResult r;
    if (!process) return r;
    r.Started = true;
    if (WaitForSingleObject(process, timeoutMs) == WAIT_OBJECT_0) {
        r.Finished = true;
        GetExitCodeProcess(process, &r.ExitCode);
    } else {
        TerminateProcess(process, 1);
        WaitForSingleObject(process, 5000);
    }
    CloseHandle(process);
    return r;
}

} // namespace

void DeleteTree(const std::string& path) {
    std::string dir = path;
    if (!dir.empty() && dir.back() == '\\') dir.pop_back();
    int n = MultiByteToWideChar(CP_ACP, 0, dir.data(), (int)dir.size(), nullptr, 0);
    std::wstring wide(n, L'\0');
    MultiByteToWideChar(CP_ACP, 0, dir.data(), (int)dir.size(), &wide[0], n);
    DeleteWideTree(wide);
}

bool CreateFolderUtf8(const std::string& path) {
    return CreateDirectoryW(Utf8ToWide(path).c_str(), nullptr) != 0;
}

bool WriteFileUtf8(const std::string& path, const std::string& bytes) {
    return WriteAll(CreateFileW(Utf8ToWide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr),
                    bytes);
}

std::string NumberedLines(int count) {
    std::string text;
    for (int i = 1; i <= count; ++i)
        text += "line " + std::to_string(i) + "\r\n";
    return text;
}

bool WriteFileBytes(const std::string& path, const std::string& bytes) {
    return WriteAll(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr),
                    bytes);
}

std::string ReadFileBytes(const std::string& path) {
    std::string bytes;
    if (!ReadWholeFile(path, bytes)) bytes.clear();
    return bytes;
}

bool FileExists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

HANDLE StartProcess(const std::string& exe, const std::string& commandLine,
                    const std::string& workingDir) {
    std::vector<char> cmd(commandLine.begin(), commandLine.end());
    cmd.push_back('\0');
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessA(exe.c_str(), cmd.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        workingDir.empty() ? nullptr : workingDir.c_str(), &si, &pi))
        return nullptr;
    CloseHandle(pi.hThread);
    return pi.hProcess;
}

ProcessResult RunProcess(const std::string& exe, const std::string& commandLine,
                         const std::string& workingDir, DWORD timeoutMs) {
    return WaitForProcess(StartProcess(exe, commandLine, workingDir), timeoutMs);
}

ProcessResult RunProcessWide(const std::string& exe, const std::wstring& commandLine,
                             const std::string& workingDir, DWORD timeoutMs) {
    std::wstring cmd = commandLine;
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    const std::wstring wideExe = Utf8ToWide(exe), wideDir = Utf8ToWide(workingDir);
    if (!CreateProcessW(wideExe.c_str(), &cmd[0], nullptr, nullptr, FALSE, 0, nullptr,
                        wideDir.empty() ? nullptr : wideDir.c_str(), &si, &pi))
        return ProcessResult();
    CloseHandle(pi.hThread);
    return WaitForProcess(pi.hProcess, timeoutMs);
}

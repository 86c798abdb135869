#include "testing/test_support.h"

#include "common/code_page.h"
#include "common/file_text.h"

#include <cstdio>
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

// Said where a test's output shows it, beside the assertion that follows.
std::string SayFailure(const std::string& failure) {
    std::fprintf(stderr, "%s\n", failure.c_str());
    std::fflush(stderr);
    return failure;
}

std::string StartFailure(const std::string& exe, const std::string& commandLine,
                         const std::string& workingDir, DWORD error) {
    return SayFailure("could not start " + exe + " in \"" + workingDir +
                      "\" with the command line " + commandLine + ": " + SystemErrorText(error));
}

ProcessResult WaitForProcess(HANDLE process, const std::string& commandLine, DWORD timeoutMs) {
    ProcessResult r;
    r.Started = true;
    const DWORD waited = WaitForSingleObject(process, timeoutMs);
    if (waited == WAIT_OBJECT_0) {
        r.Finished = true;
        GetExitCodeProcess(process, &r.ExitCode);
    } else {
        r.Failure =
            SayFailure(commandLine +
                       (waited == WAIT_TIMEOUT
                            ? " still ran after " + std::to_string(timeoutMs) + " ms and was ended"
                            : " could not be waited for: " + SystemErrorText(GetLastError())));
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

std::string SystemErrorText(DWORD error) {
    char* text = nullptr;
    DWORD length = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                      FORMAT_MESSAGE_IGNORE_INSERTS,
                                  nullptr, error, 0, reinterpret_cast<char*>(&text), 0, nullptr);
    std::string said = length ? std::string(text, length) : "no text for it";
    if (text) LocalFree(text);
    while (!said.empty() && (said.back() == '\n' || said.back() == '\r' || said.back() == ' '))
        said.pop_back();
    return said + " (error " + std::to_string(error) + ")";
}

namespace {

// Wine says ERROR_INTERNAL_ERROR when the new process died inside Wine's own
// start-up, before the init that installs its signal handlers: before any
// code of the program ran. It happens to about one start in a hundred, more
// often under load, and a second start goes through.
constexpr DWORD StartsWhenWineFails = 3;

HANDLE Start(const std::string& exe, const std::string& commandLine, const std::string& workingDir,
             std::string& failure) {
    for (DWORD attempt = 1;; ++attempt) {
        std::vector<char> cmd(commandLine.begin(), commandLine.end());
        cmd.push_back('\0');
        STARTUPINFOA si = {};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi = {};
        if (CreateProcessA(exe.c_str(), cmd.data(), nullptr, nullptr, FALSE, 0, nullptr,
                           workingDir.empty() ? nullptr : workingDir.c_str(), &si, &pi)) {
            CloseHandle(pi.hThread);
            return pi.hProcess;
        }
        const DWORD error = GetLastError();
        failure = StartFailure(exe, commandLine, workingDir, error);
        if (error != ERROR_INTERNAL_ERROR || attempt == StartsWhenWineFails) return nullptr;
        SayFailure("starting it again: the process died in Wine's start-up");
    }
}

} // namespace

HANDLE StartProcess(const std::string& exe, const std::string& commandLine,
                    const std::string& workingDir) {
    std::string failure;
    return Start(exe, commandLine, workingDir, failure);
}

ProcessResult RunProcess(const std::string& exe, const std::string& commandLine,
                         const std::string& workingDir, DWORD timeoutMs) {
    ProcessResult r;
    HANDLE process = Start(exe, commandLine, workingDir, r.Failure);
    return process ? WaitForProcess(process, commandLine, timeoutMs) : r;
}

ProcessResult RunProcessWide(const std::string& exe, const std::wstring& commandLine,
                             const std::string& workingDir, DWORD timeoutMs) {
    std::wstring cmd = commandLine;
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    const std::wstring wideExe = Utf8ToWide(exe), wideDir = Utf8ToWide(workingDir);
    const std::string narrow = WideToUtf8(commandLine);
    if (!CreateProcessW(wideExe.c_str(), &cmd[0], nullptr, nullptr, FALSE, 0, nullptr,
                        wideDir.empty() ? nullptr : wideDir.c_str(), &si, &pi)) {
        ProcessResult r;
        r.Failure = StartFailure(exe, narrow, workingDir, GetLastError());
        return r;
    }
    CloseHandle(pi.hThread);
    return WaitForProcess(pi.hProcess, narrow, timeoutMs);
}

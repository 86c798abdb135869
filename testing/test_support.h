// Helpers for tests that drive the real programs as separate processes:
// private temporary folders, whole-file I/O and processes started with an
// exact raw command line.
#pragma once
#include <windows.h>

#include <string>

// The folder of the running test executable, ending in a backslash. The
// programs under test are built into the same folder.
std::string ExeDir();
std::string SiblingExe(const std::string& name);

// A fresh, empty folder under the temporary folder, deleted with everything
// in it when the object goes.
class TempDir {
  public:
    TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    ~TempDir();
    // The folder's path, ending in a backslash.
    const std::string& Path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + name; }

  private:
    std::string path_;
};

// A source text of `count` lines "line 1" ... each ending in CR LF, so that
// a caret's line can be told from the text.
std::string NumberedLines(int count);

bool WriteFileBytes(const std::string& path, const std::string& bytes);
// The whole file; an empty string when it cannot be read.
std::string ReadFileBytes(const std::string& path);
bool FileExists(const std::string& path);
void DeleteTree(const std::string& path);
// For names the code page cannot spell (a folder "Łódź"): the UTF-8 path
// made through the wide file API.
bool CreateFolderUtf8(const std::string& path);
bool WriteFileUtf8(const std::string& path, const std::string& bytes);

struct ProcessResult {
    bool Started = false;
    bool Finished = false; // false: still running at the time-out, then killed
    DWORD ExitCode = 0;
    std::string Failure; // why it did not start or finish; "" when it did
};

// The system's own text for an error code, with the code.
std::string SystemErrorText(DWORD error);

// Starts exe with exactly commandLine (nothing re-quoted) in workingDir and
// waits for it. The child inherits this process's environment. A start that
// fails, or a wait that times out, is said on stderr too.
ProcessResult RunProcess(const std::string& exe, const std::string& commandLine,
                         const std::string& workingDir, DWORD timeoutMs = 20000);

// RunProcess with a UTF-16 command line, as today's IDE starts its tools;
// exe and workingDir in UTF-8.
ProcessResult RunProcessWide(const std::string& exe, const std::wstring& commandLine,
                             const std::string& workingDir, DWORD timeoutMs = 20000);

// Starts exe without waiting; the caller owns the returned process handle
// (null when it could not be started, and then stderr says why, with the
// command line).
HANDLE StartProcess(const std::string& exe, const std::string& commandLine,
                    const std::string& workingDir);

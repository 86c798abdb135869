// Brannow: walks the position history. The IDE starts it with
// "%FILE""%CURSOR" "BACK" or ... "FORWARD". BACK takes the newest usable
// entry of the back history, puts the current position on the forward
// history and brings the IDE to the entry's line and column; FORWARD does
// the same the other way round. With nothing to go to, both files stay as
// they were; a step that cannot be completed changes neither file and says
// why in the IDE's log.
#include "common/auto_handle.h"
#include "history/history_file.h"
#include "history/history_line.h"
#include "history/history_step.h"
#include "history/reverse_line_reader.h"
#include "ide/command_line.h"
#include "ide/file_list.h"
#include "ide/ide_access.h"
#include "ide/ide_navigation.h"

namespace {

constexpr char HistoryBusyText[] = "History not changed: history file could not be opened";
// Longer than a step holds the files: up to the IDE's 10 s for taking a file.
constexpr DWORD StepQueueMs = 20000;

// The steps on one pair of history files take turns here, in the order they
// come. A step holds both files while the IDE gets to its target, longer
// than a history file is waited for, so steps that met only at the files
// would fail instead of waiting their turn. Without a turn in time the step
// goes ahead: the files' own sharing rules still keep it apart.
class StepTurn {
  public:
    StepTurn() {
        char folder[MAX_PATH * 4];
        DWORD length = GetCurrentDirectoryA(sizeof folder, folder);
        uint64_t hash = 14695981039346656037ull; // FNV-1a of the folder
        for (char ch : UpperCasePath(std::string(folder, length < sizeof folder ? length : 0)))
            hash = (hash ^ uint8_t(ch)) * 1099511628211ull;
        const std::string name = "Local\\TolvaneHistorySteps" + std::to_string(hash);
        mutex_ = AutoCloseHandle(CreateMutexA(nullptr, FALSE, name.c_str()));
        DWORD waited =
            mutex_.IsValid() ? WaitForSingleObject(mutex_.Get(), StepQueueMs) : WAIT_FAILED;
        held_ = waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED;
    }
    StepTurn(const StepTurn&) = delete;
    StepTurn& operator=(const StepTurn&) = delete;
    ~StepTurn() {
        if (held_) ReleaseMutex(mutex_.Get());
    }

  private:
    AutoCloseHandle mutex_;
    bool held_ = false;
};

bool FileLength(HANDLE file, uint64_t* length) {
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file, &size)) return false;
    *length = uint64_t(size.QuadPart);
    return true;
}

bool CutFile(HANDLE file, uint64_t length) {
    LARGE_INTEGER at;
    at.QuadPart = LONGLONG(length);
    return SetFilePointerEx(file, at, nullptr, FILE_BEGIN) && SetEndOfFile(file);
}

// Holds the named history file; an absent file is an empty history and is
// not created here. False when the file is there but cannot be had (a
// folder, read-only, held by another process for too long).
bool HoldIfPresent(const char* name, AutoCloseHandle* file) {
    const DWORD attributes = GetFileAttributesA(name);
    if (attributes == INVALID_FILE_ATTRIBUTES) return true;
    // Refused as Windows refuses it, also to a user whom the file system
    // would let write anyway.
    if (attributes & FILE_ATTRIBUTE_READONLY) return false;
    *file = AutoCloseHandle(OpenHistoryFile(name, OPEN_EXISTING));
    return file->IsValid();
}

ReachResult ShowEntry(const HistoryEntry& entry, const std::string& currentFile) {
    int32_t line = 0, column = 0;
    const bool exact = ParseCursorPosition(entry.Cursor, &line, &column);
    if (!exact && !ParseCursorLine(entry.Cursor, &line)) line = 0;
    ReachResult reached = ShowFile(entry.File, currentFile, line);
    if (reached != ReachResult::Reached) return reached;
    if (exact)
        GotoPosition(Ide.CurrentEditor, line, column);
    else if (line > 0)
        GotoLine(Ide.CurrentEditor, line);
    return reached;
}

// A step on the two held history files and the running IDE.
class HistoryFileStep : public StepActions {
  public:
    HistoryFileStep(HANDLE source, AutoCloseHandle* destination, const char* destinationName,
                    const HistoryEntry& current)
        : source_(source), destination_(destination), destinationName_(destinationName),
          current_(current), showable_(CanShowFile) {}

    // Passes over lines that are no entries, entries at the current position
    // and entries whose file cannot be shown, each file looked at once.
    bool FindTarget(HistoryEntry* target, uint64_t* cutAt) override {
        uint64_t size = 0;
        if (!FileLength(source_, &size)) return false;
        HANDLE file = source_;
        ReverseLineReader reader(
            [file](uint64_t offset, char* buffer, size_t count) -> size_t {
                OVERLAPPED at = {};
                at.Offset = DWORD(offset);
                at.OffsetHigh = DWORD(offset >> 32);
                DWORD got = 0;
                return ReadFile(file, buffer, DWORD(count), &got, &at) ? got : 0;
            },
            size);
        std::string line;
        while (reader.Previous(&line, cutAt)) {
            if (ParseHistoryEntry(line, target) && !SamePosition(*target, current_) &&
                showable_.Ask(target->File))
                return true;
        }
        return false;
    }

    bool AppendToDestination(const std::string& line) override {
        if (!destination_->IsValid())
            *destination_ = AutoCloseHandle(OpenHistoryFile(destinationName_, OPEN_ALWAYS));
        return destination_->IsValid() && FileLength(destination_->Get(), &lengthBefore_) &&
               AppendHistoryEntry(destination_->Get(), line);
    }

    void UndoAppend() override { CutFile(destination_->Get(), lengthBefore_); }
    ReachResult Reach(const HistoryEntry& target) override {
        return ShowEntry(target, current_.File);
    }
    bool CutSource(uint64_t length) override { return CutFile(source_, length); }
    void Log(const std::string& message) override { LogMessage(message); }

  private:
    HANDLE source_;
    AutoCloseHandle* destination_;
    const char* destinationName_;
    const HistoryEntry& current_;
    PathVerdicts showable_;
    uint64_t lengthBefore_ = 0;
};

// Both files are held for the whole step, and every run takes them in the
// same order, the back file first: a BACK and a FORWARD started together
// then queue for them instead of each holding the file the other waits for.
void Walk(bool back, const HistoryEntry& current) {
    const char* from = back ? HistoryBackFileName : HistoryForwardFileName;
    const char* to = back ? HistoryForwardFileName : HistoryBackFileName;
    if (GetFileAttributesA(from) == INVALID_FILE_ATTRIBUTES) return;
    StepTurn turn;
    AutoCloseHandle backFile, forwardFile;
    if (!HoldIfPresent(HistoryBackFileName, &backFile) ||
        !HoldIfPresent(HistoryForwardFileName, &forwardFile)) {
        LogMessage(HistoryBusyText);
        return;
    }
    AutoCloseHandle& source = back ? backFile : forwardFile;
    if (!source.IsValid()) return; // gone since it was looked at
    HistoryFileStep step(source.Get(), back ? &forwardFile : &backFile, to, current);
    TakeStep(step, current);
}

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    const std::string commandLine = GetCommandLineA();
    const HistoryEntry current = {CommandLineParameter(commandLine, 0),
                                  CommandLineParameter(commandLine, 1)};
    const std::string direction = CommandLineParameter(commandLine, 2);
    if (direction == "BACK")
        Walk(true, current);
    else if (direction == "FORWARD")
        Walk(false, current);
    return 0;
}

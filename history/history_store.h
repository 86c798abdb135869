// The pair of history files of one folder, and everything the history tools
// do with them: record a position, hold both files for a step, read the
// newest entries from the end, cut and clear. The one owner of the files'
// names, of how they are opened and of the turn the tools take around a
// change; no other room opens them.
//
// Each file is open only for the moment of one operation, letting others
// read it meanwhile but not write it. Another history tool holds a file for
// a moment only (a quick repeat of a shortcut starts a second one), so a
// file held by another process is waited for, up to a second, where the
// caller may wait.
#pragma once
#include <windows.h>

#include "common/auto_handle.h"
#include "history/history_line.h"
#include "history/reverse_line_reader.h"

#include <cstdint>
#include <string>

enum class HistorySide { Back, Forward };

// How a history file is opened for a change.
enum class OpenPolicy {
    // Tried again for up to a second while another process holds it.
    Wait,
    // Not waited for: the caller goes on and tries again later.
    NoWait,
};

// What recording a position did.
struct Recorded {
    enum class Entry {
        Written,
        // The same position is the newest entry already: nothing written.
        AlreadyNewest,
        // Held by another process (NoWait): nothing written, try again.
        Busy,
        // The back file cannot be written (read-only, a folder, a full disk,
        // held for longer than the wait).
        NotWritten,
        // A name or cursor no reader takes back whole: nothing written.
        NotStorable,
    } Outcome = Entry::NotWritten;
    // Written, but the forward history could not be emptied.
    bool ForwardKept = false;
};

// A history file opened to read only, while others may go on changing it.
class HistoryReading {
  public:
    bool IsOpen() const { return file_.IsValid(); }
    uint64_t Size() const { return size_; }
    // Its lines from the end, as the file was at Size().
    ReverseLineReader FromEnd() const;
    // A digest of the bytes from `from` to Size(), by which a later look
    // tells that the part read is still as it was.
    bool Digest(uint64_t from, uint64_t* digest) const;

  private:
    friend class HistoryStore;
    AutoCloseHandle file_;
    uint64_t size_ = 0;
};

// Both files held for the whole of a step: nobody else writes either
// meanwhile. A file that is not there is an empty history; it is made when
// an entry is appended to it.
//
// A step adds lines to one file, shows the IDE its target, then cuts the
// other: BeginStep, then FinishStep or UndoStep. Between the two a small
// note in the folder says what the step did, so that a step killed half-way
// is taken back by the next tool that changes the files (the store does it):
// the lines it added go, the other file keeps its lines. A step is whole or
// not at all, whenever it ends.
class HeldHistory {
  public:
    HeldHistory() = default;
    HeldHistory(HeldHistory&&) = default;
    HeldHistory& operator=(HeldHistory&&) = default;
    ~HeldHistory();

    bool Has(HistorySide side) const { return FileOf(side).IsValid(); }
    uint64_t Size(HistorySide side) const;
    ReverseLineReader FromEnd(HistorySide side) const;
    bool Digest(HistorySide side, uint64_t from, uint64_t* digest) const;
    // Appends whole lines in one write, on a line of their own, making the
    // file when it is not there; false, with the file as it was, when they
    // were not written.
    bool Append(HistorySide side, const std::string& lines);
    bool Cut(HistorySide side, uint64_t length);

    // Appends lines to `to` as Append does; the step is to cut `from` to
    // cutAt once the IDE shows its target.
    bool BeginStep(HistorySide to, const std::string& lines, HistorySide from, uint64_t cutAt);
    bool FinishStep();
    void UndoStep();
    bool StepOpen() const { return step_.Open; }

  private:
    friend class HistoryStore;
    void EndStep();
    const AutoCloseHandle& FileOf(HistorySide side) const {
        return side == HistorySide::Back ? back_ : forward_;
    }
    std::string backPath_, forwardPath_, notePath_;
    AutoCloseHandle back_, forward_;
    struct Step {
        HistorySide To = HistorySide::Forward, From = HistorySide::Back;
        uint64_t ToBefore = 0, CutAt = 0;
        bool Open = false;
    } step_;
};

class HistoryStore {
  public:
    // The files in folder (ending in a backslash), or in the current folder
    // when it is empty, which is where the IDE starts every history tool.
    explicit HistoryStore(std::string folder = "");

    // The path of a file of the pair.
    std::string PathOf(HistorySide side) const;
    // The turn the tools take, in the order they come, around a change of
    // the files: a step holds it for its whole run.
    std::string TurnName() const;

    // Appends the entry to the back history in one write and empties the
    // forward history, as a browser drops it when a new page is visited.
    // The forward history is dropped only once the entry is in. unlessNewest:
    // nothing is written when the newest entry is at the same position.
    Recorded Record(const HistoryEntry& entry, OpenPolicy policy, bool unlessNewest = false) const;

    // Holds both files for a step, the back file first, as every tool takes
    // them: a BACK and a FORWARD started together then queue instead of each
    // holding the file the other waits for. False when a file is there but
    // cannot be had (a folder, read-only, held by another process for too
    // long).
    bool Hold(HeldHistory* held) const;

    // Opens a file to read only; a file that is not there reads as empty
    // (IsOpen false).
    HistoryReading Read(HistorySide side) const;

    // Makes the file exist with 0 bytes, waiting for it as Wait does; false,
    // with the file as it was, when it cannot be emptied.
    bool Clear(HistorySide side) const;

  private:
    std::string NotePath() const;
    // Takes back a step that was killed half-way; nothing while its tool
    // still runs.
    void TakeBackDeadStep() const;

    std::string folder_;
};

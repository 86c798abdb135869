// What the follower records, decided from what it is told: the IDE's news
// (a source's file, a source closing), where an editor's caret is at a
// report, which source became current, and a step's start and end. Plain
// logic: events in, positions to record out; the Win32 layer asks the
// editors and writes the history.
#pragma once
#include "common/text_rules.h"
#include "text/source_text.h"

#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

// An editor window's handle, as a number.
using EditorId = uint64_t;

// Lines the caret must move at once, more than this, to be a jump: the IDE's
// own measure for its line history.
constexpr int32_t DefaultJumpLines = 20;

// A position to put on the back history: the source's file (UTF-8) and the
// place last seen there.
struct PositionLeft {
    EditorId Editor = 0;
    std::string File;
    CaretPlace Place;
};

class FollowRules {
  public:
    void SetJumpLines(int32_t lines) { jumpLines_ = lines; }

    // The source of the editor has this file: loaded, or saved under it. A
    // name no history can keep (IsStorableName) leaves the source unnamed,
    // so nothing is recorded for it until it is saved under a good one.
    void NameSource(EditorId editor, const std::string& file);
    // The source's file now; empty when unnamed or not known.
    std::string FileOf(EditorId editor) const;
    // The editor of the source with that file (letter case ignored, as the
    // IDE compares file names); 0 when no source has it.
    EditorId EditorOfFile(const std::string& file) const;
    // A caret report of the editor the IDE shows, its caret now at place.
    std::vector<PositionLeft> CaretSeen(EditorId editor, CaretPlace place);
    // The editor the IDE shows got the keyboard focus, its caret at place.
    std::vector<PositionLeft> BecameCurrent(EditorId editor, CaretPlace place);
    // The editor's source is closing; its caret is at place.
    std::vector<PositionLeft> Closing(EditorId editor, CaretPlace place);
    // The editor is gone.
    void Forget(EditorId editor);
    // A step starts: what the user left before it, from the editor the IDE
    // shows now (0: none); then every move is the step's until StepEnded.
    std::vector<PositionLeft> StepStarts(EditorId visible, CaretPlace place);
    // The step ended with the IDE showing that editor at place, which counts
    // as a position the user is at.
    void StepEnded(EditorId visible, CaretPlace place);

    bool Paused() const { return paused_; }
    bool Knows(EditorId editor) const { return sources_.count(editor) != 0; }
    size_t SourceCount() const { return sources_.size(); }
    std::vector<EditorId> Editors() const;

  private:
    struct Source {
        std::string File;
        CaretPlace Last;
        bool Seen = false;  // Last holds a place
        bool Moved = false; // the caret moved there since it was loaded
    };

    Source& SourceOf(EditorId editor) { return sources_[editor]; }
    // The place last seen in the source, when it is worth recording.
    void RecordLeft(EditorId editor, std::vector<PositionLeft>& out);
    void Look(Source& source, CaretPlace place);

    std::unordered_map<EditorId, Source> sources_;
    EditorId current_ = 0;
    int32_t jumpLines_ = DefaultJumpLines;
    bool paused_ = false;
};

// A file name a history entry can keep and every reader takes back whole
// (history/entry_name.h): the one rule for what the follower records.
bool IsStorableName(const std::string& file);

// A position decided and waiting to be written: its source's editor, its
// file (the source's name as last known: a Save As renames what waits), and
// the cursor text and fingerprint read when it was decided.
struct DecidedPosition {
    EditorId Editor = 0;
    std::string File;
    std::string Cursor;
    std::string Fingerprint;
    uint64_t DueMs = 0; // written from this time on
};

// The positions waiting for the history file, oldest first, at most
// `capacity`. Each waits a settle time after it was decided, so that the
// news of a save that came just before (a start of the follower takes a
// moment) names its file; a step's start and the end write them at once.
class WaitingPositions {
  public:
    explicit WaitingPositions(size_t capacity) : capacity_(capacity) {}

    // False when the oldest one was dropped to make room.
    bool Add(DecidedPosition position);
    // The source of the editor is now named file ("": unnamed).
    void Rename(EditorId editor, const std::string& file);
    // Every waiting position is due now.
    void AllDue();
    // The oldest one when it is due at nowMs; null when none is.
    const DecidedPosition* Due(uint64_t nowMs) const;
    void Pop() { positions_.pop_front(); }
    bool Empty() const { return positions_.empty(); }
    size_t Size() const { return positions_.size(); }
    // When the oldest one is due; only when not Empty.
    uint64_t NextDueMs() const { return positions_.front().DueMs; }

  private:
    std::deque<DecidedPosition> positions_;
    size_t capacity_;
};

// The news a start of the follower hands to the running one.
enum class FollowerEvent { Started, Loaded, Saved, Closing, Unknown };

struct FollowerNews {
    FollowerEvent Event = FollowerEvent::Unknown;
    EditorId Editor = 0;
    int32_t JumpLines = DefaultJumpLines;
    std::string File;     // UTF-8
    std::string FileList; // PB_TOOL_FileList of that start: the open files in tab order, LF between
};

// The longest news a start can give: its file and its file list, each at
// most as long as a command line or an environment variable (MaxPathUnits
// UTF-16 units, at most three bytes each in UTF-8), after a few short fields.
// A longer message is no news.
constexpr size_t MaxNewsBytes = 2 * 3 * MaxPathUnits + 64;

// The event named by the tool's second parameter.
FollowerEvent ParseFollowerEvent(const std::string& word);
// The jump threshold from the tool's third parameter: a plain number of
// lines; anything else is DefaultJumpLines.
int32_t ParseJumpLines(const std::string& text);
// The news as one text for a message, and back; false for a text that is not
// news (longer than MaxNewsBytes, or not of FormatNews's form).
std::string FormatNews(const FollowerNews& news);
bool ParseNews(std::string_view text, FollowerNews* news);

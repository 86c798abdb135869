#include "follower/follow_rules.h"

#include "history/entry_name.h"

#include <algorithm>
#include <cstdlib>

void FollowRules::NameSource(EditorId editor, const std::string& file) {
    SourceOf(editor).File = IsStorableName(file) ? file : std::string();
}

std::string FollowRules::FileOf(EditorId editor) const {
    const auto known = sources_.find(editor);
    return known == sources_.end() ? std::string() : known->second.File;
}

EditorId FollowRules::EditorOfFile(const std::string& file) const {
    if (file.empty()) return 0;
    for (const auto& [editor, source] : sources_)
        if (!source.File.empty() && SamePath(source.File, file)) return editor;
    return 0;
}

std::vector<PositionLeft> FollowRules::CaretSeen(EditorId editor, CaretPlace place) {
    std::vector<PositionLeft> out;
    if (paused_) return out;
    // A report of a source that became current unseen (its focus report
    // lost) is a change of source all the same.
    if (editor != current_) return BecameCurrent(editor, place);
    Source& source = SourceOf(editor);
    if (source.Seen && std::llabs(place.Line - source.Last.Line) > jumpLines_)
        RecordLeft(editor, out);
    Look(source, place);
    return out;
}

std::vector<PositionLeft> FollowRules::BecameCurrent(EditorId editor, CaretPlace place) {
    std::vector<PositionLeft> out;
    if (paused_) return out;
    if (editor == current_) return CaretSeen(editor, place);
    RecordLeft(current_, out);
    current_ = editor;
    Look(SourceOf(editor), place);
    return out;
}

std::vector<PositionLeft> FollowRules::Closing(EditorId editor, CaretPlace place) {
    std::vector<PositionLeft> out;
    if (!paused_ && editor == current_) {
        out = CaretSeen(editor, place);
        RecordLeft(editor, out);
    }
    Forget(editor);
    return out;
}

void FollowRules::Forget(EditorId editor) {
    sources_.erase(editor);
    if (current_ == editor) current_ = 0;
}

std::vector<PositionLeft> FollowRules::StepStarts(EditorId visible, CaretPlace place) {
    std::vector<PositionLeft> out;
    if (paused_) return out;
    if (visible) out = CaretSeen(visible, place);
    paused_ = true;
    return out;
}

void FollowRules::StepEnded(EditorId visible, CaretPlace place) {
    paused_ = false;
    current_ = visible;
    if (!visible) return;
    Source& source = SourceOf(visible);
    source.Last = place;
    source.Seen = source.Moved = true;
}

std::vector<EditorId> FollowRules::Editors() const {
    std::vector<EditorId> editors;
    for (const auto& known : sources_)
        editors.push_back(known.first);
    return editors;
}

void FollowRules::RecordLeft(EditorId editor, std::vector<PositionLeft>& out) {
    auto known = sources_.find(editor);
    if (known == sources_.end()) return;
    const Source& source = known->second;
    if (source.Seen && source.Moved && !source.File.empty())
        out.push_back({editor, source.File, source.Last});
}

void FollowRules::Look(Source& source, CaretPlace place) {
    if (source.Seen && !(place == source.Last)) source.Moved = true;
    source.Last = place;
    source.Seen = true;
}

bool IsStorableName(const std::string& file) {
    return IsStorableEntry(file, "");
}

bool WaitingPositions::Add(DecidedPosition position) {
    const bool room = positions_.size() < capacity_;
    if (!room) positions_.pop_front();
    positions_.push_back(std::move(position));
    return room;
}

void WaitingPositions::Rename(EditorId editor, const std::string& file) {
    if (file.empty()) {
        positions_.erase(std::remove_if(positions_.begin(), positions_.end(),
                                        [&](const DecidedPosition& position) {
                                            return position.Editor == editor;
                                        }),
                         positions_.end());
        return;
    }
    for (DecidedPosition& position : positions_)
        if (position.Editor == editor) position.File = file;
}

void WaitingPositions::AllDue() {
    for (DecidedPosition& position : positions_)
        position.DueMs = 0;
}

const DecidedPosition* WaitingPositions::Due(uint64_t nowMs) const {
    return !positions_.empty() && positions_.front().DueMs <= nowMs ? &positions_.front() : nullptr;
}

namespace {

constexpr const char* EventWords[] = {"STARTED", "LOADED", "SAVED", "CLOSING"};

bool ParseDigits(std::string_view text, size_t maxDigits, uint64_t* value) {
    if (text.empty() || text.size() > maxDigits) return false;
    *value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        *value = *value * 10 + uint64_t(c - '0');
    }
    return true;
}

// The text up to the next LF, and the rest after it; false without one.
bool TakeField(std::string_view& text, std::string_view* field) {
    const size_t end = text.find('\n');
    if (end == std::string_view::npos) return false;
    *field = text.substr(0, end);
    text.remove_prefix(end + 1);
    return true;
}

} // namespace

FollowerEvent ParseFollowerEvent(const std::string& word) {
    for (size_t i = 0; i < std::size(EventWords); ++i)
        if (word == EventWords[i]) return FollowerEvent(i);
    return FollowerEvent::Unknown;
}

int32_t ParseJumpLines(const std::string& text) {
    uint64_t lines = 0;
    return ParseDigits(text, 9, &lines) ? int32_t(lines) : DefaultJumpLines;
}

// "EVENT LF EDITOR LF LINES LF FILEBYTES LF" then the file and the file
// list: the file's length is given, so that no byte of a name can end it.
std::string FormatNews(const FollowerNews& news) {
    const size_t event = size_t(news.Event);
    return std::string(event < std::size(EventWords) ? EventWords[event] : "") + "\n" +
           std::to_string(news.Editor) + "\n" + std::to_string(news.JumpLines) + "\n" +
           std::to_string(news.File.size()) + "\n" + news.File + news.FileList;
}

bool ParseNews(std::string_view text, FollowerNews* news) {
    std::string_view event, editor, lines, fileBytes;
    uint64_t editorValue = 0, linesValue = 0, fileLength = 0;
    if (text.size() > MaxNewsBytes || !TakeField(text, &event) || !TakeField(text, &editor) ||
        !TakeField(text, &lines) || !TakeField(text, &fileBytes) ||
        !ParseDigits(editor, 20, &editorValue) || !ParseDigits(lines, 9, &linesValue) ||
        !ParseDigits(fileBytes, 9, &fileLength) || fileLength > text.size())
        return false;
    news->Event = ParseFollowerEvent(std::string(event));
    news->Editor = editorValue;
    news->JumpLines = int32_t(linesValue);
    news->File = std::string(text.substr(0, size_t(fileLength)));
    news->FileList = std::string(text.substr(size_t(fileLength)));
    return news->Event != FollowerEvent::Unknown;
}

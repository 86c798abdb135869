#include "history/history_store.h"

#include "common/code_page.h"
#include "common/file_text.h"
#include "common/named_turn.h"
#include "common/utf.h"
#include "history/entry_name.h"

#include <algorithm>
#include <charconv>

namespace {

constexpr DWORD HeldWaitMs = 1000;
constexpr DWORD ReadSharing = FILE_SHARE_READ;
// A reader lets the writers on: it only looks.
constexpr DWORD ReaderSharing = FILE_SHARE_READ | FILE_SHARE_WRITE;

const char* FileName(HistorySide side) {
    return side == HistorySide::Back ? HistoryBackFileName : HistoryForwardFileName;
}

// Refused as Windows refuses it, also to a user whom the file system would
// let write anyway (an administrator, Wine as root).
bool IsReadOnly(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY);
}

// One try, or tries for up to a second while another process holds the
// file; INVALID_HANDLE_VALUE with the last error set when it is not had.
template <class Open> HANDLE OpenWith(OpenPolicy policy, Open open) {
    HANDLE file = INVALID_HANDLE_VALUE;
    const auto attempt = [&] { return (file = open()) != INVALID_HANDLE_VALUE; };
    if (policy == OpenPolicy::NoWait)
        attempt();
    else
        RetryWhileHeld(attempt, HeldWaitMs, false);
    return file;
}

HANDLE OpenForChange(const std::string& path, DWORD disposition, OpenPolicy policy) {
    return OpenWith(policy, [&] {
        if (IsReadOnly(path)) {
            SetLastError(ERROR_ACCESS_DENIED);
            return INVALID_HANDLE_VALUE;
        }
        return CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, ReadSharing, nullptr,
                           disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    });
}

HANDLE CreateEmpty(const std::string& path) {
    return OpenWith(OpenPolicy::Wait, [&] {
        if (IsReadOnly(path)) {
            SetLastError(ERROR_ACCESS_DENIED);
            return INVALID_HANDLE_VALUE;
        }
        HANDLE file = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, ReadSharing, nullptr,
                                  CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        // Creating anew is refused for a hidden or system file, and while
        // another process reads the file sharing only writing; truncating,
        // which asks for write access alone, still empties it.
        if (file != INVALID_HANDLE_VALUE) return file;
        return CreateFileA(path.c_str(), GENERIC_WRITE, ReadSharing, nullptr, TRUNCATE_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    });
}

bool IsHeldError(DWORD error) {
    return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION;
}

size_t ReadAt(HANDLE file, uint64_t offset, char* buffer, size_t count) {
    OVERLAPPED at = {};
    at.Offset = DWORD(offset);
    at.OffsetHigh = DWORD(offset >> 32);
    DWORD got = 0;
    return ReadFile(file, buffer, DWORD(count), &got, &at) ? got : 0;
}

uint64_t LengthOf(HANDLE file) {
    LARGE_INTEGER size;
    return GetFileSizeEx(file, &size) ? uint64_t(size.QuadPart) : 0;
}

ReverseLineReader ReaderOf(HANDLE file, uint64_t size) {
    return ReverseLineReader([file](uint64_t offset, char* buffer,
                                    size_t count) { return ReadAt(file, offset, buffer, count); },
                             size);
}

bool CutTo(HANDLE file, uint64_t length) {
    LARGE_INTEGER at;
    at.QuadPart = LONGLONG(length);
    return SetFilePointerEx(file, at, nullptr, FILE_BEGIN) && SetEndOfFile(file);
}

// An empty file ends where a line may start; so does one whose last two
// bytes are CR LF. Any other (a torn last line, NUL bytes left by a crash)
// needs a line end before the next entry.
bool EndsAtLineStart(HANDLE file, uint64_t length) {
    if (length == 0) return true;
    char tail[2];
    return length >= 2 && ReadAt(file, length - 2, tail, 2) == 2 && tail[0] == '\r' &&
           tail[1] == '\n';
}

// What appending whole lines writes: a line end first after a torn line.
std::string BytesToAppend(HANDLE file, const std::string& lines) {
    return EndsAtLineStart(file, LengthOf(file)) ? lines : "\r\n" + lines;
}

// Bytes at the end in one write. Should the write fail part-way, the file is
// cut back to its old length, so it never ends in half an entry.
bool WriteAtEnd(HANDLE file, const std::string& bytes) {
    const uint64_t oldLength = LengthOf(file);
    DWORD done = 0;
    if (SetFilePointerEx(file, LARGE_INTEGER{}, nullptr, FILE_END) &&
        WriteFile(file, bytes.data(), DWORD(bytes.size()), &done, nullptr) && done == bytes.size())
        return true;
    CutTo(file, oldLength);
    return false;
}

bool AppendLines(HANDLE file, const std::string& lines) {
    return WriteAtEnd(file, BytesToAppend(file, lines));
}

// What a running step did: its process, the file it added to with its
// length before and after, the file it is to cut and where.
struct StepNote {
    DWORD Process = 0;
    int To = 0, From = 0;
    uint64_t ToBefore = 0, ToAfter = 0, CutAt = 0;
};

std::string FormatNote(const StepNote& note) {
    return std::to_string(note.Process) + ' ' + std::to_string(note.To) + ' ' +
           std::to_string(note.ToBefore) + ' ' + std::to_string(note.ToAfter) + ' ' +
           std::to_string(note.From) + ' ' + std::to_string(note.CutAt) + "\r\n";
}

// No streams: their locales would make every tool that links the store
// several times its size.
bool ParseNote(const std::string& text, StepNote* note) {
    const char *at = text.data(), *end = at + text.size();
    const auto next = [&](auto* value) {
        while (at < end && *at == ' ')
            ++at;
        const auto [stop, error] = std::from_chars(at, end, *value);
        at = stop;
        return error == std::errc();
    };
    return next(&note->Process) && next(&note->To) && next(&note->ToBefore) &&
           next(&note->ToAfter) && next(&note->From) && next(&note->CutAt) && note->To >= 0 &&
           note->To <= 1 && note->From >= 0 && note->From <= 1;
}

bool WriteNote(const std::string& path, const StepNote& note) {
    AutoCloseHandle file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                     FILE_ATTRIBUTE_NORMAL, nullptr));
    const std::string text = FormatNote(note);
    DWORD done = 0;
    return file.IsValid() &&
           WriteFile(file.Get(), text.data(), DWORD(text.size()), &done, nullptr) &&
           done == text.size();
}

bool IsRunning(DWORD process) {
    if (process == GetCurrentProcessId()) return true;
    AutoCloseHandle handle(OpenProcess(SYNCHRONIZE, FALSE, process));
    return handle.IsValid() && WaitForSingleObject(handle.Get(), 0) == WAIT_TIMEOUT;
}

bool NewestIs(HANDLE file, const HistoryEntry& entry) {
    ReverseLineReader reader = ReaderOf(file, LengthOf(file));
    std::string line;
    uint64_t start = 0;
    HistoryEntry newest;
    return reader.Previous(&line, &start) && ParseStoredEntry(line, SystemCodePage(), &newest) &&
           SamePosition(newest, entry);
}

// FNV-1a of the bytes from `from` to `to`.
bool DigestOf(HANDLE file, uint64_t from, uint64_t to, uint64_t* digest) {
    uint64_t hash = 14695981039346656037ull;
    char block[64 * 1024];
    for (uint64_t at = from; at < to;) {
        const size_t want = size_t(std::min<uint64_t>(sizeof block, to - at));
        const size_t got = ReadAt(file, at, block, want);
        if (got != want) return false;
        for (size_t i = 0; i < got; ++i)
            hash = (hash ^ uint8_t(block[i])) * 1099511628211ull;
        at += got;
    }
    *digest = hash;
    return true;
}

// The folder's full path, letter case folded: every tool that works in it
// names the same turn.
std::string TurnKey(const std::string& folder) {
    wchar_t full[MAX_PATH * 4];
    const std::wstring wide = Utf8ToWide(folder.empty() ? "." : folder);
    const DWORD length = GetFullPathNameW(wide.c_str(), MAX_PATH * 4, full, nullptr);
    std::string key = FoldPathCase(WideToUtf8(full, length < MAX_PATH * 4 ? length : 0));
    while (!key.empty() && key.back() == '\\')
        key.pop_back();
    return key;
}

// Not yet cut where it was to be, and the lines it added still the last:
// they go. Whatever else is there came after, and stays.
void TakeBack(const HistoryStore& store, const StepNote& note) {
    const HistorySide to = HistorySide(note.To), from = HistorySide(note.From);
    AutoCloseHandle added(OpenForChange(store.PathOf(to), OPEN_EXISTING, OpenPolicy::Wait));
    AutoCloseHandle cut(OpenForChange(store.PathOf(from), OPEN_EXISTING, OpenPolicy::Wait));
    const bool finished = cut.IsValid() && LengthOf(cut.Get()) == note.CutAt;
    if (!finished && added.IsValid() && LengthOf(added.Get()) == note.ToAfter &&
        note.ToBefore < note.ToAfter)
        CutTo(added.Get(), note.ToBefore);
}

} // namespace

ReverseLineReader HistoryReading::FromEnd() const {
    return ReaderOf(file_.Get(), size_);
}

bool HistoryReading::Digest(uint64_t from, uint64_t* digest) const {
    return DigestOf(file_.Get(), from, size_, digest);
}

uint64_t HeldHistory::Size(HistorySide side) const {
    return Has(side) ? LengthOf(FileOf(side).Get()) : 0;
}

ReverseLineReader HeldHistory::FromEnd(HistorySide side) const {
    return ReaderOf(FileOf(side).Get(), Size(side));
}

bool HeldHistory::Digest(HistorySide side, uint64_t from, uint64_t* digest) const {
    return DigestOf(FileOf(side).Get(), from, Size(side), digest);
}

bool HeldHistory::Append(HistorySide side, const std::string& lines) {
    AutoCloseHandle& file = side == HistorySide::Back ? back_ : forward_;
    if (!file.IsValid())
        file.Reset(OpenForChange(side == HistorySide::Back ? backPath_ : forwardPath_, OPEN_ALWAYS,
                                 OpenPolicy::Wait));
    return file.IsValid() && AppendLines(file.Get(), lines);
}

bool HeldHistory::Cut(HistorySide side, uint64_t length) {
    return Has(side) && CutTo(FileOf(side).Get(), length);
}

HeldHistory::~HeldHistory() {
    // A step left open by a way out that neither finished nor undid it.
    if (step_.Open) UndoStep();
}

bool HeldHistory::BeginStep(HistorySide to, const std::string& lines, HistorySide from,
                            uint64_t cutAt) {
    AutoCloseHandle& file = to == HistorySide::Back ? back_ : forward_;
    if (!file.IsValid())
        file.Reset(OpenForChange(to == HistorySide::Back ? backPath_ : forwardPath_, OPEN_ALWAYS,
                                 OpenPolicy::Wait));
    if (!file.IsValid()) return false;
    const std::string bytes = BytesToAppend(file.Get(), lines);
    step_ = {to, from, LengthOf(file.Get()), cutAt, true};
    StepNote note;
    note.Process = GetCurrentProcessId();
    note.To = int(to);
    note.From = int(from);
    note.ToBefore = step_.ToBefore;
    note.ToAfter = step_.ToBefore + bytes.size();
    note.CutAt = cutAt;
    // Without its note a step still goes ahead, as before there were notes.
    WriteNote(notePath_, note);
    if (WriteAtEnd(file.Get(), bytes)) return true;
    EndStep();
    return false;
}

bool HeldHistory::FinishStep() {
    const bool cut = Cut(step_.From, step_.CutAt);
    EndStep();
    return cut;
}

void HeldHistory::UndoStep() {
    Cut(step_.To, step_.ToBefore);
    EndStep();
}

void HeldHistory::EndStep() {
    step_.Open = false;
    DeleteFileA(notePath_.c_str());
}

HistoryStore::HistoryStore(std::string folder) : folder_(std::move(folder)) {}

std::string HistoryStore::PathOf(HistorySide side) const {
    return folder_ + FileName(side);
}

std::string HistoryStore::NotePath() const {
    return folder_ + HistoryStepNoteName;
}

void HistoryStore::TakeBackDeadStep() const {
    const std::string notePath = NotePath();
    if (GetFileAttributesA(notePath.c_str()) == INVALID_FILE_ATTRIBUTES) return;
    // A step holds the turn for its whole run: one that holds it now is
    // alive (a thread of this process in its own step gets it again).
    NamedTurn turn(TurnName(), 0);
    std::string text;
    StepNote note;
    if (!turn.Held() || !ReadWholeFile(notePath, text)) return;
    const bool parsed = ParseNote(text, &note);
    if (parsed && IsRunning(note.Process)) return;
    if (parsed) TakeBack(*this, note);
    DeleteFileA(notePath.c_str());
}

std::string HistoryStore::TurnName() const {
    uint64_t hash = 14695981039346656037ull;
    for (char ch : TurnKey(folder_))
        hash = (hash ^ uint8_t(ch)) * 1099511628211ull;
    return "Local\\TolvaneHistorySteps" + std::to_string(hash);
}

Recorded HistoryStore::Record(const HistoryEntry& entry, OpenPolicy policy,
                              bool unlessNewest) const {
    Recorded recorded;
    TakeBackDeadStep();
    // A name no reader takes back would only be passed over, or be read as
    // lines never recorded.
    if (!IsStorableEntry(entry.File, entry.Cursor)) {
        recorded.Outcome = Recorded::Entry::NotStorable;
        return recorded;
    }
    AutoCloseHandle back(OpenForChange(PathOf(HistorySide::Back), OPEN_ALWAYS, policy));
    if (!back.IsValid()) {
        recorded.Outcome = policy == OpenPolicy::NoWait && IsHeldError(GetLastError())
                               ? Recorded::Entry::Busy
                               : Recorded::Entry::NotWritten;
        return recorded;
    }
    if (unlessNewest && NewestIs(back.Get(), entry)) {
        recorded.Outcome = Recorded::Entry::AlreadyNewest;
        return recorded;
    }
    if (!AppendLines(back.Get(), StoredHistoryEntry(entry, SystemCodePage()))) return recorded;
    back.Close();
    recorded.Outcome = Recorded::Entry::Written;
    // A forward history left as it was would send a later Go forward to a
    // place that no longer follows this one.
    recorded.ForwardKept = !Clear(HistorySide::Forward);
    return recorded;
}

bool HistoryStore::Hold(HeldHistory* held) const {
    TakeBackDeadStep();
    held->backPath_ = PathOf(HistorySide::Back);
    held->forwardPath_ = PathOf(HistorySide::Forward);
    held->notePath_ = NotePath();
    for (const std::string* path : {&held->backPath_, &held->forwardPath_}) {
        AutoCloseHandle& file = path == &held->backPath_ ? held->back_ : held->forward_;
        file.Reset();
        // An absent file is an empty history, and is not made.
        if (GetFileAttributesA(path->c_str()) == INVALID_FILE_ATTRIBUTES) continue;
        file.Reset(OpenForChange(*path, OPEN_EXISTING, OpenPolicy::Wait));
        if (!file.IsValid()) return false;
    }
    return true;
}

HistoryReading HistoryStore::Read(HistorySide side) const {
    HistoryReading reading;
    reading.file_.Reset(CreateFileA(PathOf(side).c_str(), GENERIC_READ, ReaderSharing, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (reading.file_.IsValid()) reading.size_ = LengthOf(reading.file_.Get());
    return reading;
}

bool HistoryStore::Clear(HistorySide side) const {
    TakeBackDeadStep();
    AutoCloseHandle file(CreateEmpty(PathOf(side)));
    return file.IsValid();
}

#include "picker/source_texts.h"

#include "common/code_page.h"
#include "common/text_rules.h"
#include "ide/editor_session.h"
#include "ide/file_list.h"
#include "ide/follower_link.h"
#include "picker/picker_rows.h"
#include "positions/editor_positions.h"

namespace {

// Larger is no source file; its lines are not shown.
constexpr uint64_t MaxSourceBytes = uint64_t(32) << 20;

AutoCloseHandle OpenSource(const std::string& path) {
    if (!IsWindowsPathName(path)) return {};
    AutoCloseHandle file(CreateFileW(Utf8ToWide(path).c_str(), GENERIC_READ,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                     nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size;
    // Only a file on a disk: a device could block the read.
    if (!file.IsValid() || GetFileType(file.Get()) != FILE_TYPE_DISK ||
        !GetFileSizeEx(file.Get(), &size) || uint64_t(size.QuadPart) > MaxSourceBytes)
        return {};
    return file;
}

int64_t ReadAt(HANDLE file, uint64_t offset, char* buffer, size_t count) {
    OVERLAPPED at = {};
    at.Offset = DWORD(offset);
    at.OffsetHigh = DWORD(offset >> 32);
    DWORD read = 0;
    if (ReadFile(file, buffer, DWORD(std::min<size_t>(count, 1 << 30)), &read, &at)) return read;
    return GetLastError() == ERROR_HANDLE_EOF ? 0 : -1;
}

} // namespace

SourceTexts::SourceTexts(IdeConnection& ide) : ide_(ide), counting_(IdeCounting(ide)) {}

HWND SourceTexts::EditorOf(const std::string& path) {
    if (FindInFileList(ide_.FileList, path) < 0) return nullptr;
    const std::string key = FoldPathCase(path);
    auto known = editors_.find(key);
    if (known == editors_.end()) known = editors_.emplace(key, FindEditorOfFile(ide_, path)).first;
    return known->second;
}

PartialSource* SourceTexts::Open(const std::string& path) {
    const std::string key = FoldPathCase(path);
    auto known = sources_.find(key);
    if (known == sources_.end()) {
        std::unique_ptr<Source> source;
        if (AutoCloseHandle file = OpenSource(path); file.IsValid()) {
            const HANDLE handle = file.Get();
            source.reset(new Source{std::move(file),
                                    PartialSource(
                                        [handle](uint64_t offset, char* buffer, size_t count) {
                                            return ReadAt(handle, offset, buffer, count);
                                        },
                                        MaxSourceBytes, counting_)});
        }
        known = sources_.emplace(key, std::move(source)).first;
    }
    return known->second ? &known->second->Text : nullptr;
}

HistoryEntry SourceTexts::Arrive(const HistoryEntry& entry) {
    const std::string key = entry.File + "|" + entry.Cursor + "|" + entry.Fingerprint;
    auto known = arrivals_.find(key);
    if (known != arrivals_.end()) return known->second;
    HistoryEntry arrival = entry;
    if (HWND editor = EditorOf(entry.File))
        arrival = ArrivalInEditor(SessionOf(ide_, editor), entry);
    else if (PartialSource* source = Open(entry.File))
        arrival = ArrivalInSource(*source, entry);
    arrivals_.emplace(key, arrival);
    return arrival;
}

std::string SourceTexts::LineOf(const std::string& path, int64_t line) {
    if (HWND editor = EditorOf(path)) {
        const EditorSession session = SessionOf(ide_, editor);
        EditorExcerpt excerpt;
        return session.ReadLines(line, line, &excerpt)
                   ? std::string(session.LinesOf(excerpt).Line(line))
                   : "";
    }
    PartialSource* source = Open(path);
    SourceLines* lines = source ? source->Through(line) : nullptr;
    return lines ? std::string(lines->Line(line)) : "";
}

const std::string& SourceTexts::Code(const HistoryEntry& position) {
    const std::string key = position.File + "|" + position.Cursor;
    auto known = codes_.find(key);
    if (known != codes_.end()) return known->second;
    int32_t line = 0;
    const std::string code = ParseCursorLine(position.Cursor, &line)
                                 ? CodeForRow(LineOf(position.File, line), SystemCodePage())
                                 : "";
    return codes_.emplace(key, code).first->second;
}

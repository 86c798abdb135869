#include "picker/source_texts.h"

#include "common/auto_handle.h"
#include "common/code_page.h"
#include "common/file_text.h"
#include "common/text_rules.h"
#include "history/arrival.h"
#include "picker/picker_rows.h"

namespace {

// Larger is no source file; its lines are not shown.
constexpr uint64_t MaxSourceBytes = uint64_t(32) << 20;

std::optional<std::string> ReadSource(const std::string& path) {
    if (!IsWindowsPathName(path)) return std::nullopt;
    AutoCloseHandle file(CreateFileW(Utf8ToWide(path).c_str(), GENERIC_READ,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                     nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    std::string bytes;
    // Only a file on a disk: a device could block the read.
    if (!file.IsValid() || GetFileType(file.Get()) != FILE_TYPE_DISK ||
        !ReadWholeFile(file.Get(), bytes, MaxSourceBytes))
        return std::nullopt;
    return bytes;
}

} // namespace

const SourceTexts::Source* SourceTexts::Read(const std::string& path) {
    const std::string key = FoldPathCase(path);
    auto known = sources_.find(key);
    if (known == sources_.end()) {
        std::optional<Source> source;
        if (std::optional<std::string> text = ReadSource(path))
            source = Source{std::move(*text), {}};
        known = sources_.emplace(key, std::move(source)).first;
        if (Source* read = known->second ? &*known->second : nullptr)
            read->Lines = std::make_unique<SourceLines>(read->Text, 1, 0, 0, counting_);
    }
    return known->second ? &*known->second : nullptr;
}

HistoryEntry SourceTexts::Arrive(const HistoryEntry& entry) {
    const std::string key = entry.File + "|" + entry.Cursor + "|" + entry.Fingerprint;
    auto known = arrivals_.find(key);
    if (known != arrivals_.end()) return known->second;
    const Source* source = Read(entry.File);
    HistoryEntry arrival = source ? ArrivalIn(*source->Lines, entry) : entry;
    arrivals_.emplace(key, arrival);
    return arrival;
}

std::string SourceTexts::Line(const std::string& path, const std::string& cursor) {
    int32_t line = 0;
    const Source* source = Read(path);
    if (!source || !ParseCursorLine(cursor, &line)) return "";
    return std::string(source->Lines->Line(line));
}

const std::string& SourceTexts::Code(const HistoryEntry& position) {
    const std::string key = position.File + "|" + position.Cursor;
    auto known = codes_.find(key);
    if (known == codes_.end())
        known =
            codes_.emplace(key, CodeForRow(Line(position.File, position.Cursor), SystemCodePage()))
                .first;
    return known->second;
}

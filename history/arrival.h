// Where a step that shows a history entry leaves the IDE's caret, found
// over the lines of the entry's source as they are now: the remembered line
// found again by its fingerprint, then the one landing rule of the text
// (text/source_text.h) for that line and the remembered column. What a
// press of Go back lands on and what Recent positions foresees of it are
// this one function, over an open source's editor or a file on disk.
#pragma once
#include "history/history_line.h"
#include "text/partial_source.h"
#include "text/source_text.h"

// The entry as a tool started there would be told it: the line and column
// landed on (the column as lines.Counting() counts), and the fingerprint of
// that line. The entry itself when its cursor names no line, or when the
// lines hold no line to land on.
HistoryEntry ArrivalIn(SourceLines& lines, const HistoryEntry& entry);

// Where a step that shows the entry lands in the source (ArrivalIn), read
// only as far as the lines looked at: the remembered line's neighbours when
// its fingerprint is found there whole, else the lines it is looked for in.
// The entry itself when the source cannot be read.
HistoryEntry ArrivalInSource(PartialSource& source, const HistoryEntry& entry);

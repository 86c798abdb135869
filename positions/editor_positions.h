// Where the history's positions meet the IDE's open editors: the glue that
// needs both an editor session (ide/editor_session.h) and the history's
// entries (history/), one floor above both. Here live the fingerprint of
// the editor's line a cursor names, where a step that shows an entry lands
// in an editor and the caret put there, and the position a caret place is,
// as a tool started there would record it.
#pragma once
#include "history/history_line.h"
#include "ide/editor_session.h"

#include <string>

// The fingerprint of the editor's line that a cursor text "LINExCOLUMN"
// names; empty without an editor (nothing is asked then), for another form
// of cursor, or when the editor's text cannot be read.
std::string CursorLineFingerprint(const EditorSession& editor, const std::string& cursor);

// Where a step that shows the entry leaves the editor's caret: ArrivalIn
// (history/arrival.h) over the editor's lines around the remembered one,
// numbered as the document numbers them; where the editor's text cannot be
// read, the remembered line and column by the editor's own position
// messages, the fingerprint kept. The entry itself when its cursor names no
// line or the editor does not answer.
HistoryEntry ArrivalInEditor(const EditorSession& editor, const HistoryEntry& entry);

// Puts the editor's caret where ArrivalInEditor lands, and returns that
// arrival; nothing is moved when it cannot land.
HistoryEntry ShowArrival(const EditorSession& editor, const HistoryEntry& entry);

// The position of a caret place in the editor of a source named `file`:
// the cursor text the IDE would give a tool there, and the fingerprint of
// its line (empty when the editor's text cannot be read); column 1 when the
// editor does not answer.
HistoryEntry PositionAt(const EditorSession& editor, const std::string& file,
                        const CaretPlace& place);

// The history-file steps that more than one history tool performs.
#pragma once

// Makes the named file exist with 0 bytes, creating or truncating it, and
// closes it at once. Returns 1 on success, 0 when the file was left as it
// was (for instance while another process holds it without write sharing).
int EmptyHistoryFile(const char* fileName);

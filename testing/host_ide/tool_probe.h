// ToolProbe.exe, a tool for tests of the host: it records what it was started
// with into the file named by the variable TOOL_PROBE_OUTPUT, as fields
// separated by NUL bytes, in the order of ProbeField, and exits with
// ProbeExitCode. A name ending in '*' stands for the first of name0, name1,
// ... that does not exist yet, so tools run one after another leave their
// records in order. It reads its command line and environment wide and records
// them in UTF-8, so that a name the code page cannot spell shows whole.
#pragma once

constexpr char ProbeOutputVariable[] = "TOOL_PROBE_OUTPUT";
constexpr unsigned ProbeExitCode = 7;

enum ProbeField {
    ProbeCommandLine,  // GetCommandLineW, raw
    ProbeCurrentDir,   // GetCurrentDirectoryW
    ProbeMainWindow,   // PB_TOOL_MainWindow
    ProbeScintilla,    // PB_TOOL_Scintilla
    ProbeFileList,     // PB_TOOL_FileList
    ProbeEditorLength, // SCI_GETLENGTH of PB_TOOL_Scintilla, sent while the host waits; "-" when
                       // unanswered
    ProbeIde,          // PB_TOOL_IDE
    ProbePreferences,  // PB_TOOL_Preferences
    ProbeCursor,       // PB_TOOL_Cursor
    ProbeMainEnabled,  // "1" when PB_TOOL_MainWindow takes input (IsWindowEnabled), else "0"
    ProbeSelection,    // PB_TOOL_Selection
    ProbeWord,         // PB_TOOL_Word
    ProbeFieldCount
};

// ToolProbe.exe, a tool for tests of the host: it records what it was started
// with into the file named by the variable TOOL_PROBE_OUTPUT, as fields
// separated by NUL bytes, in the order of ProbeField, and exits with
// ProbeExitCode.
#pragma once

constexpr char ProbeOutputVariable[] = "TOOL_PROBE_OUTPUT";
constexpr unsigned ProbeExitCode = 7;

enum ProbeField {
    ProbeCommandLine,  // GetCommandLineA, raw
    ProbeCurrentDir,   // GetCurrentDirectoryA
    ProbeMainWindow,   // PB_TOOL_MainWindow
    ProbeScintilla,    // PB_TOOL_Scintilla
    ProbeFileList,     // PB_TOOL_FileList
    ProbeEditorLength, // SCI_GETLENGTH of PB_TOOL_Scintilla, sent while the host waits; "-" when
                       // unanswered
    ProbeIde,          // PB_TOOL_IDE
    ProbePreferences,  // PB_TOOL_Preferences
    ProbeCursor,       // PB_TOOL_Cursor
    ProbeMainEnabled,  // "1" when PB_TOOL_MainWindow takes input (IsWindowEnabled), else "0"
    ProbeFieldCount
};

// ToolProbe.exe, a tool for tests of the host: it records what it was started
// with into the file named by the variable TOOL_PROBE_OUTPUT, as fields
// separated by NUL bytes, in the order of ProbeField, and exits with
// kProbeExitCode.
#pragma once

constexpr char kProbeOutputVariable[] = "TOOL_PROBE_OUTPUT";
constexpr unsigned kProbeExitCode = 7;

enum ProbeField {
    kProbeCommandLine,  // GetCommandLineA, raw
    kProbeCurrentDir,   // GetCurrentDirectoryA
    kProbeMainWindow,   // PB_TOOL_MainWindow
    kProbeScintilla,    // PB_TOOL_Scintilla
    kProbeFileList,     // PB_TOOL_FileList
    kProbeEditorLength, // SCI_GETLENGTH of PB_TOOL_Scintilla, sent while the host waits; "-" when
                        // unanswered
    kProbeFieldCount
};

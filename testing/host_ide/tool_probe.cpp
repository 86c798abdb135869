// ToolProbe.exe: see tool_probe.h.
#include "testing/host_ide/tool_probe.h"

#include <windows.h>

#include <cstdlib>
#include <string>

#include "testing/host_ide/host_protocol.h"
#include "testing/host_ide/host_wide.h"

namespace {

std::string Variable(const char* name) {
    static wchar_t value[32768];
    DWORD n = GetEnvironmentVariableW(WideFrom(name, CP_ACP).c_str(), value, 32768);
    return BytesFrom(std::wstring(value, n < 32768 ? n : 0), CP_UTF8);
}

// Asks the host's editor while the host waits for this tool: it answers only
// if it keeps handling messages meanwhile.
std::string EditorLength() {
    HWND editor = (HWND)(uintptr_t)_strtoui64(Variable("PB_TOOL_Scintilla").c_str(), nullptr, 10);
    DWORD_PTR length = 0;
    if (!editor || !SendMessageTimeoutA(editor, SCI_GETLENGTH, 0, 0, SMTO_NORMAL, 10000, &length))
        return "-";
    return std::to_string(length);
}

std::string MainWindowEnabled() {
    HWND main = (HWND)(uintptr_t)_strtoui64(Variable("PB_TOOL_MainWindow").c_str(), nullptr, 10);
    return IsWindowEnabled(main) ? "1" : "0";
}

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    wchar_t dir[MAX_PATH * 2];
    DWORD n = GetCurrentDirectoryW(MAX_PATH * 2, dir);
    std::string fields[ProbeFieldCount] = {
        BytesFrom(GetCommandLineW(), CP_UTF8),
        BytesFrom(std::wstring(dir, n < MAX_PATH * 2 ? n : 0), CP_UTF8),
        Variable("PB_TOOL_MainWindow"),
        Variable("PB_TOOL_Scintilla"),
        Variable("PB_TOOL_FileList"),
        EditorLength(),
        Variable("PB_TOOL_IDE"),
        Variable("PB_TOOL_Preferences"),
        Variable("PB_TOOL_Cursor"),
        MainWindowEnabled(),
        Variable("PB_TOOL_Selection"),
        Variable("PB_TOOL_Word")};
    std::string record;
    for (const std::string& field : fields)
        record += field + '\0';
    std::wstring output = WideFrom(Variable(ProbeOutputVariable), CP_UTF8);
    HANDLE f = INVALID_HANDLE_VALUE;
    if (!output.empty() && output.back() == L'*') {
        output.pop_back();
        for (int n = 0; f == INVALID_HANDLE_VALUE && n < 100; n++)
            f = CreateFileW((output + std::to_wstring(n)).c_str(), GENERIC_WRITE, 0, nullptr,
                            CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    } else {
        f = CreateFileW(output.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                        FILE_ATTRIBUTE_NORMAL, nullptr);
    }
    if (f != INVALID_HANDLE_VALUE) {
        DWORD written = 0;
        WriteFile(f, record.data(), (DWORD)record.size(), &written, nullptr);
        CloseHandle(f);
    }
    return ProbeExitCode;
}

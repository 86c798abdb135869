#include "follower/side_buttons.h"

#include "common/code_page.h"

#include <cstdint>

namespace {

// The mouse: generic desktop controls, usage page 1, usage 2.
constexpr USHORT DesktopControls = 1, Mouse = 2;

std::wstring NavigatorPath() {
    wchar_t own[MAX_PATH * 4];
    const DWORD length = GetModuleFileNameW(nullptr, own, MAX_PATH * 4);
    if (length == 0 || length >= MAX_PATH * 4) return L"Brannow.exe";
    std::wstring path(own, length);
    return path.substr(0, path.find_last_of(L"\\/") + 1) + L"Brannow.exe";
}

void SetVariable(const wchar_t* name, const std::string& utf8) {
    SetEnvironmentVariableW(name, Utf8ToWide(utf8).c_str());
}

std::string Decimal(HWND window) {
    return std::to_string(uintptr_t(window));
}

// What the IDE would give the tool now. This process's own environment is
// what the next tool inherits: nothing else of the follower reads it after
// its start.
void SetToolEnvironment(const StepStart& step) {
    SetVariable(L"PB_TOOL_MainWindow", Decimal(step.MainWindow));
    SetVariable(L"PB_TOOL_Scintilla", Decimal(step.Editor));
    SetVariable(L"PB_TOOL_FileList", step.FileList);
    // Only today's IDE gives the cursor; the selection and the word of the
    // follower's own start would be stale, so they are left out.
    if (GetEnvironmentVariableW(L"PB_TOOL_Cursor", nullptr, 0) > 0)
        SetVariable(L"PB_TOOL_Cursor", step.Cursor);
    SetEnvironmentVariableW(L"PB_TOOL_Selection", nullptr);
    SetEnvironmentVariableW(L"PB_TOOL_Word", nullptr);
}

} // namespace

SideButtonListener::SideButtonListener(HWND window) {
    const RAWINPUTDEVICE mouse = {DesktopControls, Mouse, RIDEV_INPUTSINK, window};
    listening_ = RegisterRawInputDevices(&mouse, 1, sizeof mouse) != FALSE;
}

SideButtonListener::~SideButtonListener() {
    if (!listening_) return;
    const RAWINPUTDEVICE mouse = {DesktopControls, Mouse, RIDEV_REMOVE, nullptr};
    RegisterRawInputDevices(&mouse, 1, sizeof mouse);
}

SideButton PressedSideButton(LPARAM rawInput) {
    RAWINPUT input;
    UINT size = sizeof input;
    if (GetRawInputData(HRAWINPUT(rawInput), RID_INPUT, &input, &size, sizeof input.header) ==
            UINT(-1) ||
        input.header.dwType != RIM_TYPEMOUSE)
        return SideButton::None;
    const USHORT flags = input.data.mouse.usButtonFlags;
    if (flags & RI_MOUSE_BUTTON_4_DOWN) return SideButton::Back;
    if (flags & RI_MOUSE_BUTTON_5_DOWN) return SideButton::Forward;
    return SideButton::None;
}

bool IsPressForIde(HWND ideMainWindow) {
    POINT pointer;
    return ideMainWindow && GetForegroundWindow() == ideMainWindow &&
           IsWindowEnabled(ideMainWindow) && GetCursorPos(&pointer) &&
           GetAncestor(WindowFromPoint(pointer), GA_ROOT) == ideMainWindow;
}

std::string StepCommandLine(const std::string& navigator, const StepStart& step) {
    return "\"" + navigator + "\" \"" + step.File + "\"\"" + step.Cursor + "\" \"" +
           (step.Back ? "BACK" : "FORWARD") + "\"";
}

bool StartStep(const StepStart& step) {
    const std::wstring navigator = NavigatorPath();
    std::wstring commandLine = Utf8ToWide(StepCommandLine(WideToUtf8(navigator), step));
    SetToolEnvironment(step);
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(navigator.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &process))
        return false;
    // The step brings the IDE to the front when it lands.
    AllowSetForegroundWindow(process.dwProcessId);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return true;
}

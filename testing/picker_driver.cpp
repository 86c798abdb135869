#include "testing/picker_driver.h"

#include "common/code_page.h"

#include <commctrl.h>

#include <algorithm>

// Waits (up to 10 s) for the picker the shortcut started to be in front.
PickerWindow OpenPicker(const HostIde& host, long shortcut) {
    PickerWindow picker;
    const long id = HostRunToolByShortcut(host, shortcut);
    if (id <= 0) return picker;
    picker.Process = AutoCloseHandle(OpenProcess(SYNCHRONIZE, FALSE, DWORD(id)));
    for (ULONGLONG end = GetTickCount64() + 10000; GetTickCount64() < end; Sleep(10)) {
        HWND window = FindWindowA("TolvaneRecentPositions", nullptr);
        if (window && GetForegroundWindow() == window) {
            picker.Window = window;
            picker.List = FindWindowExA(window, nullptr, "SysListView32", nullptr);
            break;
        }
    }
    return picker;
}

// Virtual keys pressed and let go, then the characters typed.
void PressKeys(const std::vector<WORD>& keys, const std::string& typed) {
    std::vector<std::pair<WORD, wchar_t>> presses;
    for (WORD key : keys)
        presses.push_back({key, 0});
    for (wchar_t c : Utf8ToWide(typed))
        presses.push_back({0, c});
    for (const auto& press : presses) {
        INPUT input[2] = {};
        for (INPUT& event : input) {
            event.type = INPUT_KEYBOARD;
            event.ki.wVk = press.first;
            event.ki.wScan = press.second;
            event.ki.dwFlags = press.second ? KEYEVENTF_UNICODE : 0;
        }
        input[1].ki.dwFlags |= KEYEVENTF_KEYUP;
        SendInput(2, input, sizeof(INPUT));
    }
}

// Each row's cells joined by " | ", and the selected row (-1 none), read
// through memory in the picker's process as the list view needs.
std::vector<std::string> PickerRows(const PickerWindow& picker, int* selected) {
    std::vector<std::string> rows;
    DWORD processId = 0;
    GetWindowThreadProcessId(picker.List, &processId);
    AutoCloseHandle process(
        OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, processId));
    const size_t units = 1024;
    AutoRemoteMemory remote(process.Get(),
                            VirtualAllocEx(process.Get(), nullptr, sizeof(LVITEMW) + 2 * units,
                                           MEM_COMMIT, PAGE_READWRITE));
    if (!remote.Get()) return rows;
    auto* text = reinterpret_cast<wchar_t*>(static_cast<char*>(remote.Get()) + sizeof(LVITEMW));
    const LRESULT count = SendMessageW(picker.List, LVM_GETITEMCOUNT, 0, 0);
    for (LRESULT item = 0; item < count; ++item) {
        std::string row;
        for (int column = 0; column < 5; ++column) {
            LVITEMW ask = {};
            ask.iSubItem = column;
            ask.pszText = text;
            ask.cchTextMax = int(units);
            std::wstring got(units, L'\0');
            if (!WriteProcessMemory(process.Get(), remote.Get(), &ask, sizeof ask, nullptr)) break;
            const LRESULT length =
                SendMessageW(picker.List, LVM_GETITEMTEXTW, WPARAM(item), LPARAM(remote.Get()));
            ReadProcessMemory(process.Get(), text, &got[0], 2 * units, nullptr);
            got.resize(size_t(std::max<LRESULT>(0, std::min<LRESULT>(length, units))));
            row += (column ? " | " : "") + WideToUtf8(got);
        }
        rows.push_back(row);
    }
    if (selected)
        *selected = int(SendMessageW(picker.List, LVM_GETNEXTITEM, WPARAM(-1), LVNI_SELECTED));
    return rows;
}

bool Ended(const PickerWindow& picker) {
    return picker.Process.IsValid() &&
           WaitForSingleObject(picker.Process.Get(), 30000) == WAIT_OBJECT_0;
}

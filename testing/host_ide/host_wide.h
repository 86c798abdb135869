// Text between the host's wide paths and the 8-bit forms around them: the
// system's code page (the classic IDE, Tools.prefs, the test's commands) and
// UTF-8 (the editors' text, tests that name any file).
#pragma once
#include <windows.h>

#include <string>

inline std::wstring WideFrom(const std::string& bytes, UINT codePage) {
    if (bytes.empty()) return L"";
    int n = MultiByteToWideChar(codePage, 0, bytes.data(), (int)bytes.size(), nullptr, 0);
    std::wstring wide(n, L'\0');
    MultiByteToWideChar(codePage, 0, bytes.data(), (int)bytes.size(), &wide[0], n);
    return wide;
}

inline std::string BytesFrom(const std::wstring& wide, UINT codePage) {
    if (wide.empty()) return "";
    int n = WideCharToMultiByte(codePage, 0, wide.data(), (int)wide.size(), nullptr, 0, nullptr,
                                nullptr);
    std::string bytes(n, '\0');
    WideCharToMultiByte(codePage, 0, wide.data(), (int)wide.size(), &bytes[0], n, nullptr, nullptr);
    return bytes;
}

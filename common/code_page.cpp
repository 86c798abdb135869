#include "common/code_page.h"

#include "common/utf.h"

#include <cwchar>
#include <vector>

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows' wide text is UTF-16");

std::string WideToUtf8(const wchar_t* text, size_t length) {
    return Utf16ToUtf8(std::u16string_view(reinterpret_cast<const char16_t*>(text), length));
}

std::string WideToUtf8(const wchar_t* text) {
    return WideToUtf8(text, wcslen(text));
}

std::string WideToUtf8(const std::wstring& text) {
    return WideToUtf8(text.data(), text.size());
}

std::wstring Utf8ToWide(const std::string& text) {
    std::u16string wide;
    if (!Utf8ToUtf16(text, &wide)) return std::wstring();
    return std::wstring(reinterpret_cast<const wchar_t*>(wide.data()), wide.size());
}

bool Utf8ToAcp(const std::string& name, std::string* bytes) {
    std::u16string wide;
    if (!Utf8ToUtf16(name, &wide)) return false;
    if (wide.empty()) {
        bytes->clear();
        return true;
    }
    const auto* units = reinterpret_cast<const wchar_t*>(wide.data());
    const int count = int(wide.size());
    // The UTF-8 code page takes neither flag nor default check and spells
    // every valid name.
    const bool utf8 = GetACP() == CP_UTF8;
    BOOL usedDefault = FALSE;
    const DWORD flags = utf8 ? 0 : WC_NO_BEST_FIT_CHARS;
    BOOL* defaultUsed = utf8 ? nullptr : &usedDefault;
    int size = WideCharToMultiByte(CP_ACP, flags, units, count, nullptr, 0, nullptr, defaultUsed);
    if (size <= 0 || usedDefault) return false;
    std::string out(size_t(size), '\0');
    WideCharToMultiByte(CP_ACP, flags, units, count, &out[0], size, nullptr, defaultUsed);
    // What reads back as another name is no exact spelling.
    std::string back;
    if (usedDefault || !AcpToUtf8(out, &back) || back != name) return false;
    *bytes = std::move(out);
    return true;
}

bool AcpToUtf8(const std::string& bytes, std::string* name) {
    if (bytes.empty()) {
        name->clear();
        return true;
    }
    const int count = int(bytes.size());
    int size = MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, bytes.data(), count, nullptr, 0);
    if (size <= 0) return false;
    std::wstring wide(size_t(size), L'\0');
    MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, bytes.data(), count, &wide[0], size);
    *name = WideToUtf8(wide);
    return true;
}

CodePage SystemCodePage() {
    return {Utf8ToAcp, AcpToUtf8};
}

std::string CommandLineUtf8() {
    return WideToUtf8(GetCommandLineW());
}

std::string EnvironmentUtf8(const char* name) {
    const std::wstring wideName = Utf8ToWide(name);
    std::vector<wchar_t> value(256);
    for (;;) {
        DWORD length = GetEnvironmentVariableW(wideName.c_str(), value.data(), DWORD(value.size()));
        if (length < value.size()) return WideToUtf8(value.data(), length);
        // Too small: length is the size needed, terminating zero included.
        value.resize(length);
    }
}

DWORD PathAttributes(const std::string& path) {
    const std::wstring wide = Utf8ToWide(path);
    return wide.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesW(wide.c_str());
}

bool PathHasContent(const std::string& path) {
    const std::wstring wide = Utf8ToWide(path);
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (wide.empty() || !GetFileAttributesExW(wide.c_str(), GetFileExInfoStandard, &data))
        return false;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return false;
    return data.nFileSizeHigh != 0 || data.nFileSizeLow != 0;
}

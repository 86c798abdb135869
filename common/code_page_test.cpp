#include "common/code_page.h"
#include "history/entry_name.h"
#include "ide/command_line.h"
#include "testing/test_support.h"

#include <gtest/gtest.h>

namespace {

// Started again by the command-line test with TOLVANE_ECHO_TO set: writes
// its command line as the tools read it and ends before any test runs.
const bool EchoedCommandLine = [] {
    const std::string echoTo = EnvironmentUtf8("TOLVANE_ECHO_TO");
    if (echoTo.empty()) return false;
    WriteFileBytes(echoTo, CommandLineUtf8());
    ExitProcess(0);
}();

// Wine, like Western Windows, runs with code page 1252.
TEST(CodePage, HistoryNamesKeepTheCodePageBytesWhereTheyCan) {
    if (GetACP() != 1252) GTEST_SKIP() << "code page " << GetACP();
    const std::string marker(1, UnicodeNameMarker);
    const std::pair<std::string, std::string> cases[] = {
        {u8"C:\\€uro.pb", "C:\\\x80uro.pb"},
        {u8"C:\\Grüße.pb", "C:\\Gr\xFC\xDF"
                           "e.pb"},
        {u8"C:\\Жук.pb", marker + u8"C:\\Жук.pb"},
        {u8"C:\\日本.pb", marker + u8"C:\\日本.pb"},
        {u8"C:\\Łódź\\x.pb", marker + u8"C:\\Łódź\\x.pb"},
        // Best-fit look-alikes ("a", "8") would name other files.
        {u8"C:\\ā∞.pb", marker + u8"C:\\ā∞.pb"},
    };
    for (const auto& [name, stored] : cases) {
        EXPECT_EQ(EncodeEntryName(name, SystemCodePage()), stored) << name;
        std::string decoded;
        EXPECT_TRUE(DecodeEntryName(stored, SystemCodePage(), &decoded));
        EXPECT_EQ(decoded, name);
    }
}

TEST(CodePage, EnvironmentValuesComeWholeInUtf8) {
    const std::wstring piece = L"C:\\\u0141\u00F3d\u017A\\\u65E5\u672C.pb\n";
    const std::string utf8Piece = u8"C:\\Łódź\\日本.pb\n";
    for (size_t count : {1, 20, 21, 1000, 2340}) {
        std::wstring value;
        std::string expected;
        for (size_t i = 0; i < count; ++i) {
            value += piece;
            expected += utf8Piece;
        }
        ASSERT_TRUE(SetEnvironmentVariableW(L"TOLVANE_TEST", value.c_str()));
        EXPECT_EQ(EnvironmentUtf8("TOLVANE_TEST"), expected) << count;
    }
    SetEnvironmentVariableW(L"TOLVANE_TEST", nullptr);
    EXPECT_EQ(EnvironmentUtf8("TOLVANE_TEST"), "");
}

TEST(CodePage, CommandLineComesWholeInUtf8) {
    TempDir dir;
    wchar_t exe[MAX_PATH];
    ASSERT_GT(GetModuleFileNameW(nullptr, exe, MAX_PATH), 0u);
    std::wstring commandLine = std::wstring(L"\"") + exe +
                               L"\" \"C:\\\u0141\u00F3d\u017A\\\u0416\u0443\u043A "
                               L"\u65E5\u672C.pb\"\"4x3\" BACK";
    SetEnvironmentVariableW(L"TOLVANE_ECHO_TO", Utf8ToWide(dir / "echo").c_str());
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started = {};
    const bool ran = CreateProcessW(exe, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                                    nullptr, &startup, &started);
    SetEnvironmentVariableW(L"TOLVANE_ECHO_TO", nullptr);
    ASSERT_TRUE(ran);
    WaitForSingleObject(started.hProcess, 20000);
    CloseHandle(started.hProcess);
    CloseHandle(started.hThread);
    const std::string echoed = ReadFileBytes(dir / "echo");
    EXPECT_EQ(echoed, WideToUtf8(commandLine));
    EXPECT_EQ(CommandLineParameter(echoed, 0), u8"C:\\Łódź\\Жук 日本.pb");
    EXPECT_EQ(CommandLineParameter(echoed, 1), "4x3");
    EXPECT_EQ(CommandLineParameter(echoed, 2), "BACK");
}

TEST(CodePage, FilesAreFoundByTheirUtf8Names) {
    TempDir dir;
    const std::string folder = dir / u8"Łódź";
    const std::string full = folder + u8"\\日本.pb", empty = folder + u8"\\Жук.pb";
    ASSERT_TRUE(CreateDirectoryW(Utf8ToWide(folder).c_str(), nullptr));
    for (const std::string& path : {full, empty}) {
        HANDLE file = CreateFileW(Utf8ToWide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                  0, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE) << path;
        DWORD written = 0;
        if (path == full) WriteFile(file, "x", 1, &written, nullptr);
        CloseHandle(file);
    }
    EXPECT_TRUE(PathHasContent(full));
    EXPECT_FALSE(PathHasContent(empty));
    EXPECT_FALSE(PathHasContent(folder));
    EXPECT_FALSE(PathHasContent(folder + u8"\\gone.pb"));
    EXPECT_TRUE(PathAttributes(folder) & FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_NE(PathAttributes(empty), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(PathAttributes(folder + "\\\xE6\x97"), INVALID_FILE_ATTRIBUTES) << "malformed";
    DeleteFileW(Utf8ToWide(full).c_str());
    DeleteFileW(Utf8ToWide(empty).c_str());
    RemoveDirectoryW(Utf8ToWide(folder).c_str());
}

} // namespace

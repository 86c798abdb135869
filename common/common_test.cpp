#include "common/auto_gdi.h"
#include "common/environment.h"
#include "common/file_text.h"
#include "testing/test_support.h"

#include <gtest/gtest.h>

namespace {

// Values around the reader's first guess and beyond MAX_PATH come back whole.
TEST(Environment, ValuesOfAnyLengthAreReadWhole) {
    for (size_t length : {1, 255, 256, 257, MAX_PATH + 1, 5000, 32766}) {
        std::string value(length, 'v');
        value.back() = 'e';
        ASSERT_TRUE(SetEnvironmentVariableA("TOLVANE_TEST", value.c_str()));
        EXPECT_EQ(ReadEnvironmentText("TOLVANE_TEST"), value) << length;
    }
    SetEnvironmentVariableA("TOLVANE_TEST", nullptr);
    EXPECT_EQ(ReadEnvironmentText("TOLVANE_TEST"), "");
}

TEST(Environment, IdePrefsFolderFollowsAppData) {
    char old[MAX_PATH] = "";
    DWORD hadOld = GetEnvironmentVariableA("APPDATA", old, MAX_PATH);
    const std::string longFolder = "C:\\" + std::string(MAX_PATH, 'a');
    char current[MAX_PATH * 4];
    ASSERT_GT(GetCurrentDirectoryA(sizeof current, current), 2u);
    const std::string drive(current, 2);
    const std::pair<const char*, std::string> cases[] = {
        {"C:\\Users\\u\\AppData\\Roaming", "C:\\Users\\u\\AppData\\Roaming\\PureBasic\\"},
        {longFolder.c_str(), longFolder + "\\PureBasic\\"},
        {nullptr, drive + "\\PureBasic\\"}, // the root of the current drive
    };
    for (const auto& [appData, folder] : cases) {
        SetEnvironmentVariableA("APPDATA", appData);
        EXPECT_EQ(IdePrefsFolder(), folder);
    }
    SetEnvironmentVariableA("APPDATA", hadOld ? old : nullptr);
}

TEST(Files, WholeFilesAndFoldersOfFiles) {
    TempDir dir;
    const std::string big(3 << 20, 'b');
    ASSERT_TRUE(WriteFileBytes(dir / "empty", ""));
    ASSERT_TRUE(WriteFileBytes(dir / "big", big));
    std::string bytes = "stale";
    EXPECT_TRUE(ReadWholeFile(dir / "empty", bytes));
    EXPECT_EQ(bytes, "");
    EXPECT_TRUE(ReadWholeFile(dir / "big", bytes));
    EXPECT_EQ(bytes, big);
    EXPECT_FALSE(ReadWholeFile(dir / "missing", bytes));
    AutoCloseHandle file(CreateFileA((dir / "big").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                     OPEN_EXISTING, 0, nullptr));
    EXPECT_FALSE(ReadWholeFile(file.Get(), bytes, big.size() - 1)) << "larger than allowed";

    ASSERT_TRUE(CreateDirectoryA((dir / "sub").c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA((dir / "copy").c_str(), nullptr));
    ASSERT_TRUE(WriteFileBytes(dir / "copy\\empty", "replaced"));
    std::vector<std::string> notCopied;
    EXPECT_TRUE(
        CopyFolderFiles(dir.Path().substr(0, dir.Path().size() - 1), dir / "copy\\", notCopied));
    EXPECT_TRUE(notCopied.empty());
    EXPECT_FALSE(CopyFolderFiles(dir / "absent", dir / "copy\\", notCopied))
        << "a folder that cannot be listed is a failure";
    EXPECT_EQ(ReadFileBytes(dir / "copy\\empty"), "");
    EXPECT_EQ(ReadFileBytes(dir / "copy\\big"), big);
    EXPECT_FALSE(FileExists(dir / "copy\\sub")) << "folders are not copied";
}

// Each holder gives its object back the way the object's kind wants.
TEST(Holders, ReleaseIconsBitmapsAndBrushes) {
    HICON icon = CreateIcon(nullptr, 1, 1, 1, 1, (const BYTE*)"\xFF", (const BYTE*)"\x00");
    HBITMAP bitmap = CreateBitmap(1, 1, 1, 1, nullptr);
    HBRUSH brush = CreateSolidBrush(RGB(1, 2, 3));
    ASSERT_TRUE(icon && bitmap && brush);
    {
        AutoImage iconImage(icon, IMAGE_ICON);
        AutoImage bitmapImage(bitmap, IMAGE_BITMAP);
        AutoGdiObject<HBRUSH> heldBrush(brush);
        EXPECT_EQ(iconImage.Type(), UINT(IMAGE_ICON));
        EXPECT_EQ(bitmapImage.Type(), UINT(IMAGE_BITMAP));
        EXPECT_EQ(bitmapImage.Get(), HANDLE(bitmap));
        ICONINFO info;
        ASSERT_TRUE(GetIconInfo(icon, &info));
        DeleteObject(info.hbmColor);
        DeleteObject(info.hbmMask);
    }
    ICONINFO info;
    EXPECT_FALSE(GetIconInfo(icon, &info));
    EXPECT_EQ(GetObjectType(bitmap), 0u);
    EXPECT_EQ(GetObjectType(brush), 0u);
}

} // namespace

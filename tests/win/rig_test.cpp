// The rig itself: Wine must refuse what Windows refuses, or every read-only
// behaviour would be tested wrongly (as root, Wine lets such writes through).
#include "winhelpers.h"

namespace {

class Rig : public WineTest {};

TEST_F(Rig, ReadOnlyFileCannotBeReplacedOrDeleted)
{
    std::string path = Scratch("readonly.txt");
    ASSERT_TRUE(WriteFileBytes(path, "original"));
    ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY));

    SetLastError(0xdeadbeef);
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    EXPECT_EQ(INVALID_HANDLE_VALUE, file) << "the rig runs Wine with root's permissions";
    EXPECT_EQ(static_cast<DWORD>(ERROR_ACCESS_DENIED), GetLastError());
    if (file != INVALID_HANDLE_VALUE)
        CloseHandle(file);

    SetLastError(0xdeadbeef);
    EXPECT_FALSE(DeleteFileA(path.c_str()));
    EXPECT_EQ(static_cast<DWORD>(ERROR_ACCESS_DENIED), GetLastError());
    EXPECT_EQ("original", ReadFileBytes(path));
}

TEST_F(Rig, RunsInAScratchPrefixWithADisplay)
{
    char windows[MAX_PATH];
    ASSERT_GT(GetWindowsDirectoryA(windows, sizeof windows), 0u);
    EXPECT_STREQ("C:\\windows", windows);
    EXPECT_NE(nullptr, GetDesktopWindow());
    EXPECT_GT(GetSystemMetrics(SM_CXSCREEN), 0);
}

}  // namespace

// Bounded path text: joins and roots either fit whole or fail empty.
#include "base/pathtext.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

TEST(JoinPath, AddsOneSeparatorOnlyWhereNeeded)
{
    struct Case {
        const char *folder, *name, *expected;
    } cases[] = {
        {"C:\\Apps", "Quillarix", "C:\\Apps\\Quillarix"},
        {"D:\\", "Quillarix", "D:\\Quillarix"},
        {"", "qlxuins1.exe", "qlxuins1.exe"},
        {"C:", "Quillarix.exe", "C:\\Quillarix.exe"},
        {"C:\\Temp\\", "data.tmp", "C:\\Temp\\data.tmp"},
    };
    for (const Case &c : cases) {
        char out[kCbPath];
        std::memset(out, 0xA5, sizeof out);
        ASSERT_TRUE(JoinPath(out, sizeof out, c.folder, c.name)) << c.folder;
        EXPECT_STREQ(c.expected, out);
    }
}

TEST(JoinPath, FailsEmptyInsteadOfTruncating)
{
    std::string folder(250, 'a');
    char out[kCbPath];
    // 250 + 1 + 8 = 259 characters: fits with the zero.
    ASSERT_TRUE(JoinPath(out, sizeof out, folder.c_str(), "data.tmp"));
    EXPECT_EQ(259u, std::strlen(out));
    // One more character does not.
    std::memset(out, 0xA5, sizeof out);
    EXPECT_FALSE(JoinPath(out, sizeof out, folder.c_str(), "data.tmp1"));
    EXPECT_STREQ("", out);
}

TEST(JoinPath, MayWriteOverItsFolder)
{
    char buf[kCbPath] = "C:\\Program Files";
    ASSERT_TRUE(JoinPath(buf, sizeof buf, buf, "Quillarix"));
    EXPECT_STREQ("C:\\Program Files\\Quillarix", buf);
}

TEST(PathRoot, TakesTextUpToTheFirstBackslash)
{
    char out[kCbPath];
    ASSERT_TRUE(PathRoot(out, sizeof out, "C:\\Program Files"));
    EXPECT_STREQ("C:\\", out);
    ASSERT_TRUE(PathRoot(out, sizeof out, "D:"));
    EXPECT_STREQ("D:\\", out);
    ASSERT_TRUE(PathRoot(out, sizeof out, "\\\\server\\share"));
    EXPECT_STREQ("\\", out);
    std::string noSlash(258, 'x');
    ASSERT_TRUE(PathRoot(out, sizeof out, noSlash.c_str()));
    EXPECT_EQ(259u, std::strlen(out));
    noSlash += 'x';
    EXPECT_FALSE(PathRoot(out, sizeof out, noSlash.c_str()));
    EXPECT_STREQ("", out);
}

TEST(CopyAndAppendText, RefuseToOverflow)
{
    char small[8];
    EXPECT_TRUE(CopyText(small, sizeof small, "1234567"));
    EXPECT_FALSE(CopyText(small, sizeof small, "12345678"));
    EXPECT_STREQ("", small);
    ASSERT_TRUE(CopyText(small, sizeof small, "1234"));
    EXPECT_TRUE(AppendText(small, sizeof small, "567"));
    EXPECT_FALSE(AppendText(small, sizeof small, "8"));
    EXPECT_STREQ("1234567", small);  // unchanged by the failed append
}

}  // namespace

TEST(IsWithinFolder, TheFolderAndWhatLiesBelowItInEitherCase)
{
    struct Case {
        const char *path, *folder;
        bool within;
    } const cases[] = {
        {"C:\\Program Files\\Quillarix", "C:\\Program Files", true},
        {"c:\\PROGRAM FILES\\Quillarix", "C:\\Program Files\\", true},
        {"C:\\Program Files", "C:\\Program Files", true},
        {"C:\\Program Files (x86)\\Quillarix", "C:\\Program Files", false},
        {"C:\\Program FilesX", "C:\\Program Files", false},
        {"C:\\Program", "C:\\Program Files", false},
        {"C:\\Quillarix", "C:\\", true},
        {"C:\\Quillarix", "", false},
    };
    for (const Case &c : cases)
        EXPECT_EQ(c.within, IsWithinFolder(c.path, c.folder)) << c.path << " in " << c.folder;
}

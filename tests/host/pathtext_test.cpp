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
    char out[260];
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

// A path fits by its UTF-16 units, as Windows counts: 100 CJK characters
// (300 bytes of UTF-8) fit, 260 do not, whatever the buffer.
TEST(JoinPath, FitsByTheUnitsOfItsUtf16Form)
{
    std::string cjk;
    for (int i = 0; i < 100; ++i)
        cjk += "\xe8\x84\x9a";  // 脚
    char path[kCbPath];
    EXPECT_EQ(100u, PathUnits(cjk.c_str()));
    EXPECT_TRUE(JoinPath(path, sizeof path, ("C:\\" + cjk).c_str(), "Quillarix.exe"));
    EXPECT_EQ(117u, PathUnits(path));
    std::string many;
    for (int i = 0; i < 256; ++i)
        many += "\xe8\x84\x9a";
    EXPECT_TRUE(JoinPath(path, sizeof path, "C:", many.c_str()));  // 259 units
    EXPECT_FALSE(JoinPath(path, sizeof path, "C:\\", (many + "x").c_str()));  // 260
    EXPECT_STREQ("", path);
    EXPECT_EQ(2u, PathUnits("\xf0\x9d\x84\x9e"));  // beyond the BMP: a pair
    SetPathCodePage(932);
    EXPECT_EQ(3u, PathUnits("\x83\x5c\x83\x5c" "A"));  // two double-byte characters and one
    SetPathCodePage(65001);
}

// The lead bytes at the edges of their ranges: 932 has two (0x81-0x9F,
// 0xE0-0xFC), 936, 949 and 950 one (0x81-0xFE).
TEST(IsLeadByte, RangesAtTheirEdges)
{
    const unsigned char edges[] = {0x80, 0x81, 0x9F, 0xA0, 0xDF, 0xE0, 0xFC, 0xFD, 0xFE};
    const bool in932[] = {false, true, true, false, false, true, true, false, false};
    for (std::size_t i = 0; i < sizeof edges; ++i) {
        EXPECT_EQ(in932[i], IsLeadByte(932, edges[i])) << std::hex << int(edges[i]);
        for (unsigned codePage : {936u, 949u, 950u})
            EXPECT_EQ(edges[i] != 0x80, IsLeadByte(codePage, edges[i]))
                << codePage << " " << std::hex << int(edges[i]);
        EXPECT_FALSE(IsLeadByte(65001, edges[i]));
    }
}

// The system-free location rules: drive form, trimming, length.
#include "location/rules.h"
#include "base/pathtext.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(HasDriveForm, NeedsLetterColonBackslash)
{
    EXPECT_TRUE(HasDriveForm("C:\\"));
    EXPECT_TRUE(HasDriveForm("z:\\Work"));
    const char *refused[] = {"", "C", "C:", "C:Work", "Quillarix", "\\\\server\\share",
                             "1:\\x", "@:\\x", "[:\\x", "`:\\x", "{:\\x", "CC:\\"};
    for (const char *folder : refused)
        EXPECT_FALSE(HasDriveForm(folder)) << folder;
}

TEST(TrimTrailingBackslashes, RemovesEveryOne)
{
    char a[] = "C:\\Work\\\\\\";
    TrimTrailingBackslashes(a);
    EXPECT_STREQ("C:\\Work", a);
    char root[] = "C:\\";
    TrimTrailingBackslashes(root);
    EXPECT_STREQ("C:", root);
    char all[] = "\\\\\\";
    TrimTrailingBackslashes(all);
    EXPECT_STREQ("", all);
    char none[] = "C:\\Work";
    TrimTrailingBackslashes(none);
    EXPECT_STREQ("C:\\Work", none);
}

// Trimming, joining and splitting see whole characters: in a double-byte
// code page the second byte of a character may be 0x5C ("\x83\x5C" is
// "ソ" in code page 932) and is no backslash; in UTF-8 no byte of a
// character is.
TEST(PathTextInTheCodePage, TrailBytesAreNoBackslashes)
{
    struct Case {
        unsigned codePage;
        const char *folder, *trimmed, *joined, *last;  // last: the text after the last separator
    } const cases[] = {
        {932, "C:\\Data\\\x83\x5C", "C:\\Data\\\x83\x5C", "C:\\Data\\\x83\x5C\\a.exe", "\x83\x5C"},
        {932, "C:\\\x83\x5C\\\\", "C:\\\x83\x5C", "C:\\\x83\x5C\\\\a.exe", ""},
        {936, "C:\\\xB1\x5C\x5C", "C:\\\xB1\x5C", "C:\\\xB1\x5C\x5C" "a.exe", ""},
        {1252, "C:\\Data\\\x83\x5C", "C:\\Data\\\x83", "C:\\Data\\\x83\x5C" "a.exe", ""},
        {65001, "C:\\\xD0\x9F\xE8\x84\x9A\\", "C:\\\xD0\x9F\xE8\x84\x9A",
         "C:\\\xD0\x9F\xE8\x84\x9A\\a.exe", ""},
    };
    for (const Case &c : cases) {
        SetPathCodePage(c.codePage);
        char folder[kCbPath], joined[kCbPath];
        CopyText(folder, sizeof folder, c.folder);
        ASSERT_TRUE(JoinPath(joined, sizeof joined, folder, "a.exe"));
        EXPECT_STREQ(c.joined, joined) << c.codePage << " " << c.folder;
        EXPECT_STREQ(c.last, FindLastSeparator(folder) + 1) << c.codePage << " " << c.folder;
        TrimTrailingBackslashes(folder);
        EXPECT_STREQ(c.trimmed, folder) << c.codePage << " " << c.folder;
    }
    SetPathCodePage(65001);
}

TEST(FolderLengthFits, AcceptsUpTo227Characters)
{
    EXPECT_TRUE(FolderLengthFits(0));
    EXPECT_TRUE(FolderLengthFits(227));
    EXPECT_FALSE(FolderLengthFits(228));
    EXPECT_FALSE(FolderLengthFits(259));
}

}  // namespace

// The system-free location rules: drive form, trimming, length.
#include "location/rules.h"

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

TEST(FolderLengthFits, AcceptsUpTo227Characters)
{
    EXPECT_TRUE(FolderLengthFits(0));
    EXPECT_TRUE(FolderLengthFits(227));
    EXPECT_FALSE(FolderLengthFits(228));
    EXPECT_FALSE(FolderLengthFits(259));
}

}  // namespace

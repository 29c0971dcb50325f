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

// Who may change a folder, from its descriptor's text as the system writes
// it: rights as numbers or as letter codes, entries inherited only by what
// is made inside ignored, the owner's own rights with the owner.
TEST(OthersCanChangeFolder, ReadsOwnerAndEntriesThatApplyToTheFolder)
{
    const char *runner = "S-1-5-21-7-8-9-1001";
    struct Case {
        const char *sddl;
        bool open;
    } const cases[] = {
        {"O:BAD:PAI(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)", false},
        {"O:S-1-5-21-7-8-9-1001D:(A;;FA;;;S-1-5-21-7-8-9-1001)", false},  // the runner's own
        {"O:S-1-5-21-7-8-9-1002D:(A;;FA;;;BA)", true},                   // another user's
        {"O:LAD:(A;;FA;;;LA)", true},  // the machine's Administrator, who is not running it
        {"O:BAD:(A;;CCDCLCSWRPWPDTLOCRSDRCWDWO;;;BU)", true},
        {"O:BAD:(A;;CCLCSWRPWPDTLOCRRC;;;BU)", true},  // LC: append (add a subfolder)
        {"O:BAD:(A;;CCSWRPLOCRRC;;;BU)", false},       // read, list, traverse
        {"O:BAD:(A;;0x100116;;;AU)", true},
        {"O:BAD:(A;;0x1200a9;;;AU)(D;;FA;;;WD)", false},  // a deny entry opens nothing
        {"O:BAD:(A;OICIIO;GA;;;CO)(A;CIIO;0x1301bf;;;AU)", false},
        {"O:BAD:(A;;FA;;;OW)", false},  // the owner's rights: Administrators
        {"O:BAD:(A;;ZZ;;;BU)", true},   // a code not known counts as every right
        {"O:BAD:(A;;FA;;;BA)S:(AU;SA;FA;;;BU)", false},  // audit entries grant nothing
        {"O:BAD:(A;;FA;;;BU", true},    // cut short
        {"O:BA", true},                 // no DACL at all
        {"", true},
    };
    for (const Case &c : cases)
        EXPECT_EQ(c.open, OthersCanChangeFolder(c.sddl, runner)) << c.sddl;
    EXPECT_FALSE(OthersCanChangeFolder("O:LAD:(A;;FA;;;LA)", "S-1-5-21-7-8-9-500"));
}

// The system-free location rules: drive form, trimming, length.
#include "location/rules.h"
#include "base/pathtext.h"
#include "base/rights.h"

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

// Who may change a folder, from its descriptor's text as the system writes it: rights as numbers
// or as letter codes, the owner's own rights with the owner. The install folder counts everything
// that changes it or what is made inside (inherit-only entries too, but for the creator's); a
// level above it only what renames or replaces what lies below.
TEST(FolderRights, ReadOwnerAndEntriesForTheFolderAndForTheLevelsAbove)
{
    const char *runner = "S-1-5-21-7-8-9-1001";
    using O = OpenTo;
    struct Case {
        const char *sddl;
        OpenTo folder, level;
    } const cases[] = {
        {"O:BAD:PAI(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)", O::kNobody, O::kNobody},
        {"O:S-1-5-21-7-8-9-1001D:(A;;FA;;;S-1-5-21-7-8-9-1001)", O::kNobody, O::kNobody},  // the runner's
        {"O:S-1-5-21-7-8-9-1002D:(A;;FA;;;BA)", O::kOwner, O::kOwner},  // another user's
        {"O:LAD:(A;;FA;;;LA)", O::kOwner, O::kOwner},  // the machine's Administrator, not running it
        {"O:BAD:(A;;CCDCLCSWRPWPDTLOCRSDRCWDWO;;;BU)", O::kWriting, O::kDeleting},
        {"O:BAD:(A;;CCLCSWRPWPDTLOCRRC;;;BU)", O::kWriting, O::kEmptying},  // LC: add a subfolder
        {"O:BAD:(A;;CCSWRPLOCRRC;;;BU)", O::kNobody, O::kNobody},  // read, list, traverse
        {"O:BAD:(A;;0x100116;;;AU)", O::kWriting, O::kNobody},
        {"O:BAD:(A;;0x1200a9;;;AU)(D;;FA;;;WD)", O::kNobody, O::kNobody},  // a deny opens nothing
        // Each right that changes a folder, alone.
        {"O:BAD:(A;;SD;;;AU)", O::kDeleting, O::kDeleting},
        {"O:BAD:(A;;WD;;;AU)", O::kPermissions, O::kPermissions},
        {"O:BAD:(A;;WO;;;AU)", O::kOwnership, O::kOwnership},
        {"O:BAD:(A;;0x40;;;AU)", O::kEmptying, O::kEmptying},  // FILE_DELETE_CHILD
        {"O:BAD:(A;;GA;;;AU)", O::kWriting, O::kDeleting},
        // Levels: a drive's root, which lets users add a folder and passes on modify to what is
        // made in it; a folder made there, which inherits that modify; a root granting
        // delete-child; Users' modify passed on to the files made inside the install folder.
        {"O:S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464"
         "D:PAI(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)(A;OICI;0x1200a9;;;BU)(A;OICIIO;SDGXGWGR;;;AU)"
         "(A;;LC;;;AU)",
         O::kWriting, O::kNobody},
        {"O:BAD:AI(A;OICIID;FA;;;BA)(A;OICIID;FA;;;SY)(A;OICIID;0x1301bf;;;AU)", O::kWriting,
         O::kDeleting},
        {"O:BAD:PAI(A;OICI;FA;;;BA)(A;;0x1200e9;;;AU)", O::kEmptying, O::kEmptying},
        {"O:BAD:PAI(A;OICI;FA;;;BA)(A;OICIIO;0x1301bf;;;BU)", O::kWriting, O::kNobody},
        {"O:BAD:(A;OICIIO;GA;;;CO)(A;OICIIO;GA;;;CG)(A;;FA;;;OW)", O::kNobody, O::kNobody},
        {"O:BAD:(A;;ZZ;;;BU)", O::kWriting, O::kDeleting},  // an unknown code: every right
        {"O:BAD:(A;;FA;;;BA)S:(AU;SA;FA;;;BU)", O::kNobody, O::kNobody},  // audits grant nothing
        // A condition's text holding "S:" ends nothing: the entry after it still counts.
        {"O:BAD:(XA;;FR;;;WD;(@User.x == \"S:\"))(A;;SD;;;AU)", O::kDeleting, O::kDeleting},
        // Program Files: TrustedInstaller's, the creator's entries passed on to what is made.
        {"O:S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464D:PAI"
         "(A;;FA;;;S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464)"
         "(A;OICIIO;GA;;;SY)(A;;0x1301bf;;;SY)(A;OICIIO;GA;;;BA)(A;;0x1301bf;;;BA)"
         "(A;OICIIO;GXGR;;;BU)(A;;0x1200a9;;;BU)(A;OICIIO;GA;;;CO)(A;;0x1200a9;;;AC)",
         O::kNobody, O::kNobody},
        {"O:BAD:(A;;FA;;;BU", O::kWriting, O::kDeleting},  // cut short
        {"O:BA", O::kWriting, O::kDeleting},  // no DACL at all
        {"", O::kWriting, O::kDeleting},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(c.folder, FolderOpenTo(c.sddl, runner)) << c.sddl;
        EXPECT_EQ(c.level, LevelOpenTo(c.sddl, runner)) << c.sddl;
    }
    EXPECT_EQ(O::kNobody, FolderOpenTo("O:LAD:(A;;FA;;;LA)", "S-1-5-21-7-8-9-500"));
}

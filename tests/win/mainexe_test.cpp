// Main executable replacement: the installed version decides, a running copy
// is refused, and the old file is only removed once the new one is there.
#include "winhelpers.h"

#include "payload/mainexe.h"
#include "payload/version_rule.h"
#include "base/pathtext.h"
#include "base/state.h"

namespace {

// Stand-ins with version resources (see cmake/wintests.cmake).
enum : WORD { kV1000 = 950, kV1500, kV1001, kV1010, kV2000, kNoVersion, kV0900 };

class MainExe : public WineTest {
protected:
    void SetUp() override
    {
        WineTest::SetUp();
        CopyText(g_setup.installFolder, kCbPath, Scratch().c_str());
        JoinPath(g_setup.mainExePath, kCbPath, g_setup.installFolder, "Quillarix.exe");
        newExe_ = ReadFileBytes(PayloadSource("Quillarix.exe"));
        ASSERT_FALSE(newExe_.empty());
    }
    void InstallOld(WORD id)
    {
        old_ = ResourceBytes(id);
        ASSERT_FALSE(old_.empty());
        ASSERT_TRUE(WriteFileBytes(g_setup.mainExePath, old_));
    }
    std::string Installed() { return ReadFileBytes(g_setup.mainExePath); }

    std::string newExe_, old_;
};

TEST_F(MainExe, VersionsAreReadFromTheFixedRecord)
{
    struct Case {
        WORD id;
        std::uint32_t ms, ls;
    } cases[] = {{kV1000, 0x10000, 0}, {kV1500, 0x10005, 0}, {kV1001, 0x10000, 1},
                 {kV1010, 0x10000, 0x10000}, {kV2000, 0x20000, 0}, {kNoVersion, 0, 0},
                 {kV0900, 9, 0}};
    for (const Case &c : cases) {
        InstallOld(c.id);
        EXPECT_EQ(FileVersionOf(c.ms, c.ls), ReadInstalledVersion(g_setup.mainExePath)) << c.id;
    }
    EXPECT_EQ(FileVersionOf(0x10000, 0), CarriedMainExeVersion());
}

TEST_F(MainExe, InstalledVersionDecidesTheOutcome)
{
    const std::string kUnidentified =
        "The installed copy of Quillarix could not be identified.  It will be replaced.";
    struct Case {
        WORD id;
        MainExeOutcome outcome;
        const char *captions;
    } cases[] = {
        {kV0900, MainExeOutcome::kInstalled, ""},     // older: upgraded
        {kV1000, MainExeOutcome::kInstalled, ""},     // the same: repaired
        {kV1001, MainExeOutcome::kNewerPresent, ""},  // every field counts
        {kV1010, MainExeOutcome::kNewerPresent, ""},
        {kV1500, MainExeOutcome::kNewerPresent, ""},
        {kV2000, MainExeOutcome::kNewerPresent, ""},
        {kNoVersion, MainExeOutcome::kInstalled, "ERROR 17"},
    };
    for (const Case &c : cases) {
        g_boxes.clear();
        InstallOld(c.id);
        EXPECT_EQ(c.outcome, ReplaceMainExecutable()) << c.id;
        EXPECT_EQ(c.captions, BoxCaptions()) << c.id;
        for (const RecordedBox &box : g_boxes)
            EXPECT_EQ(kUnidentified, box.text);
        bool replaced = c.outcome == MainExeOutcome::kInstalled;
        EXPECT_TRUE(Installed() == (replaced ? newExe_ : old_)) << c.id;
        EXPECT_FALSE(FileExists(Scratch("image.tmp"))) << c.id;
    }
}

TEST_F(MainExe, WithoutAnInstalledCopyNoVersionIsRead)
{
    static int s_asked;
    s_asked = 0;
    Fake(sys.GetFileVersionInfoSizeA, [](LPCSTR, LPDWORD) -> DWORD { ++s_asked; return 0; });
    EXPECT_EQ(MainExeOutcome::kInstalled, ReplaceMainExecutable());
    EXPECT_EQ(0, s_asked);
    EXPECT_TRUE(Installed() == newExe_);
    EXPECT_TRUE(g_boxes.empty());
}

TEST_F(MainExe, CopyHeldOpenElsewhereIsRunning)
{
    InstallOld(kV1000);
    HANDLE held = CreateFileA(g_setup.mainExePath, GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    EXPECT_EQ(MainExeOutcome::kRunning, ReplaceMainExecutable());
    CloseHandle(held);
    EXPECT_TRUE(Installed() == old_);
    EXPECT_FALSE(FileExists(Scratch("image.tmp")));
    EXPECT_TRUE(g_boxes.empty());
}

TEST_F(MainExe, ReadOnlyOldCopyCannotBeMovedOver)
{
    InstallOld(kV1000);
    ASSERT_TRUE(SetFileAttributesA(g_setup.mainExePath, FILE_ATTRIBUTE_READONLY));
    EXPECT_EQ(MainExeOutcome::kFailed, ReplaceMainExecutable());
    ASSERT_EQ("ERROR 37", BoxCaptions());
    EXPECT_FALSE(g_boxes[0].text.empty());
    EXPECT_TRUE(Installed() == old_);
    EXPECT_TRUE(FileExists(Scratch("image.tmp")));  // the caller removes it
}

TEST_F(MainExe, FailedExpansionReportsTheSystemError)
{
    Fake(sys._lcreat, [](LPCSTR, int) -> HFILE {
        SetLastError(ERROR_DISK_FULL);
        return HFILE_ERROR;
    });
    InstallOld(kV1000);
    EXPECT_EQ(MainExeOutcome::kFailed, ReplaceMainExecutable());
    ASSERT_EQ("ERROR 34", BoxCaptions());
    EXPECT_EQ(SystemText(ERROR_DISK_FULL), g_boxes[0].text);
    EXPECT_TRUE(Installed() == old_);  // the old copy stays until the new one is complete
}

TEST_F(MainExe, VersionBlockIsReleased)
{
    static int s_taken, s_released;
    s_taken = s_released = 0;
    Fake(sys.malloc, [](size_t cb) -> void * { ++s_taken; return malloc(cb); });
    Fake(sys.free, [](void *p) { ++s_released; free(p); });
    InstallOld(kV1001);
    ReplaceMainExecutable();
    EXPECT_EQ(1, s_taken);
    EXPECT_EQ(1, s_released);
}

}  // namespace

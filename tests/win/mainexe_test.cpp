// Main executable replacement: the installed version decides, a running copy
// is refused, and the old file is only removed once the new one is there.
#include "winhelpers.h"

#include "payload/mainexe.h"
#include "base/pathtext.h"
#include "base/plan.h"

namespace {

// Stand-ins with version resources (see cmake/wintests.cmake).
enum : WORD { kV1000 = 950, kV1500, kV1001, kV1010, kV2000, kNoVersion };

class MainExe : public WineTest {
public:
    void SetUp() override
    {
        WineTest::SetUp();
        CopyText(plan_.installFolder, kCbPath, Scratch().c_str());
        JoinPath(plan_.mainExePath, kCbPath, plan_.installFolder, "Quillarix.exe");
        newExe_ = ReadFileBytes(PayloadSource("Quillarix.exe"));
        ASSERT_FALSE(newExe_.empty());
    }
    void InstallOld(WORD id)
    {
        old_ = ResourceBytes(id);
        ASSERT_FALSE(old_.empty());
        ASSERT_TRUE(WriteFileBytes(plan_.mainExePath, old_));
    }
    std::string Installed() { return ReadFileBytes(plan_.mainExePath); }
    int asked_ = 0, taken_ = 0, released_ = 0;  // counted by fakes

    std::string newExe_, old_;
};

TEST_F(MainExe, VersionsAreReadFromTheFixedRecord)
{
    struct Case {
        WORD id;
        unsigned major, low;
    } cases[] = {{kV1000, 1, 0}, {kV1500, 1, 0}, {kV1001, 1, 1}, {kV1010, 1, 0x10000},
                 {kV2000, 2, 0}, {kNoVersion, 0, 0}};
    for (const Case &c : cases) {
        InstallOld(c.id);
        std::uint32_t major = 99, low = 99;
        ReadInstalledVersion(plan_.mainExePath, &major, &low);
        EXPECT_EQ(c.major, major) << c.id;
        EXPECT_EQ(c.low, low) << c.id;
    }
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
        {kV1000, MainExeOutcome::kInstalled, ""},          // same version
        {kV1500, MainExeOutcome::kInstalled, ""},          // only the low double word counts
        {kV1001, MainExeOutcome::kNewerPresent, ""},
        {kV1010, MainExeOutcome::kNewerPresent, ""},
        {kV2000, MainExeOutcome::kInstalled, "ERROR 17"},  // another major version
        {kNoVersion, MainExeOutcome::kInstalled, "ERROR 17"},
    };
    for (const Case &c : cases) {
        boxes_.clear();
        InstallOld(c.id);
        EXPECT_EQ(c.outcome, ReplaceMainExecutable(plan_)) << c.id;
        EXPECT_EQ(c.captions, BoxCaptions()) << c.id;
        for (const RecordedBox &box : boxes_)
            EXPECT_EQ(kUnidentified, box.text);
        bool replaced = c.outcome == MainExeOutcome::kInstalled;
        EXPECT_TRUE(Installed() == (replaced ? newExe_ : old_)) << c.id;
        EXPECT_FALSE(FileExists(Scratch("image.tmp"))) << c.id;
    }
}

TEST_F(MainExe, WithoutAnInstalledCopyNoVersionIsRead)
{
    Fake(sys.GetFileVersionInfoSizeA, [](LPCSTR, LPDWORD) -> DWORD {
        ++Running<MainExe>().asked_;
        return 0;
    });
    EXPECT_EQ(MainExeOutcome::kInstalled, ReplaceMainExecutable(plan_));
    EXPECT_EQ(0, asked_);
    EXPECT_TRUE(Installed() == newExe_);
    EXPECT_TRUE(boxes_.empty());
}

TEST_F(MainExe, CopyHeldOpenElsewhereIsRunning)
{
    InstallOld(kV1000);
    HANDLE held = CreateFileA(plan_.mainExePath, GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    EXPECT_EQ(MainExeOutcome::kRunning, ReplaceMainExecutable(plan_));
    CloseHandle(held);
    EXPECT_TRUE(Installed() == old_);
    EXPECT_FALSE(FileExists(Scratch("image.tmp")));
    EXPECT_TRUE(boxes_.empty());
}

TEST_F(MainExe, ReadOnlyOldCopyCannotBeMovedOver)
{
    InstallOld(kV1000);
    ASSERT_TRUE(SetFileAttributesA(plan_.mainExePath, FILE_ATTRIBUTE_READONLY));
    EXPECT_EQ(MainExeOutcome::kFailed, ReplaceMainExecutable(plan_));
    ASSERT_EQ("ERROR 37", BoxCaptions());
    EXPECT_FALSE(boxes_[0].text.empty());
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
    EXPECT_EQ(MainExeOutcome::kFailed, ReplaceMainExecutable(plan_));
    ASSERT_EQ("ERROR 34", BoxCaptions());
    EXPECT_EQ(SystemText(ERROR_DISK_FULL), boxes_[0].text);
    EXPECT_TRUE(Installed() == old_);  // the old copy stays until the new one is complete
}

TEST_F(MainExe, VersionBlockIsReleased)
{
    Fake(sys.malloc, [](size_t cb) -> void * { ++Running<MainExe>().taken_; return malloc(cb); });
    Fake(sys.free, [](void *p) { ++Running<MainExe>().released_; free(p); });
    InstallOld(kV1001);
    ReplaceMainExecutable(plan_);
    EXPECT_EQ(1, taken_);
    EXPECT_EQ(1, released_);
}

}  // namespace

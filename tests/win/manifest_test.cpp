// The install manifest: 29 files, each the byte-exact payload source, the
// style sheets and colour schemes read-only, a second installation that
// replaces rows 1 to 12 and keeps the read-only rows, and a row that cannot
// be written stopping the installation with every file whole.
#include "winhelpers.h"

#include "payload/manifest.h"


namespace {

class Manifest : public WineTest {
protected:
    void Install()
    {
        const ManifestRow *failed = nullptr;
        DWORD error = 0;
        CopyText(plan_.installFolder, kCbPath, Scratch().c_str());
        ASSERT_TRUE(InstallManifest(plan_, &failed, &error))
            << (failed ? failed->fileName : "") << " error " << error;
    }
};

TEST_F(Manifest, InstallsTheTwentyNineFilesByteExact)
{
    Install();
    EXPECT_EQ(29, CountFiles(Scratch()));
    for (int row = 0; row < 29; ++row) {
        const ManifestRow &r = kManifest[row];
        std::string installed = ReadFileBytes(Scratch(r.fileName));
        std::string source = ReadFileBytes(PayloadSource(r.fileName));
        ASSERT_FALSE(source.empty()) << "source of " << r.fileName << " not found";
        EXPECT_EQ(source.size(), installed.size()) << r.fileName;
        EXPECT_TRUE(source == installed) << r.fileName << " differs from its source";
        DWORD attributes = GetFileAttributesA(Scratch(r.fileName).c_str());
        EXPECT_EQ(row >= 12, (attributes & FILE_ATTRIBUTE_READONLY) != 0)
            << "row " << row + 1 << " " << r.fileName;
    }
    EXPECT_TRUE(boxes_.empty());
}

TEST_F(Manifest, SecondInstallationReplacesOnlyTheWritableRows)
{
    Install();
    // Stand-ins for the files of an earlier version.
    for (const ManifestRow &r : kManifest) {
        std::string path = Scratch(r.fileName);
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        ASSERT_TRUE(WriteFileBytes(path, std::string("earlier ") + r.fileName));
        if (r.readOnly)
            SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY);
    }
    Install();
    for (int row = 0; row < 29; ++row) {
        const ManifestRow &r = kManifest[row];
        std::string installed = ReadFileBytes(Scratch(r.fileName));
        if (row < 12)
            EXPECT_EQ(ReadFileBytes(PayloadSource(r.fileName)), installed) << r.fileName;
        else
            EXPECT_EQ(std::string("earlier ") + r.fileName, installed) << r.fileName;
    }
    EXPECT_TRUE(boxes_.empty()) << BoxCaptions();
}

TEST_F(Manifest, FailingRowStopsWithEveryTargetWholeOrAsItWas)
{
    // An earlier installation's files; then the disk fills while main.dct
    // (row 7, expanded) or Feature.stp (row 20, written raw) is written.
    for (int failing : {6, 19}) {
        RemoveTree(Scratch());
        CreateDirectoryA(Scratch().c_str(), nullptr);
        for (const ManifestRow &r : kManifest)
            ASSERT_TRUE(WriteFileBytes(Scratch(r.fileName), std::string("earlier ") + r.fileName));
        diskFullFor_ = kManifest[failing].fileName;
        sys.MoveFileExA = MoveFailingOnFullDisk;
        const ManifestRow *failed = nullptr;
        DWORD error = 0;
        CopyText(plan_.installFolder, kCbPath, Scratch().c_str());
        EXPECT_FALSE(InstallManifest(plan_, &failed, &error));
        ASSERT_EQ(&kManifest[failing], failed);
        EXPECT_EQ(DWORD(ERROR_DISK_FULL), error);
        for (int row = 0; row < 29; ++row) {
            const ManifestRow &r = kManifest[row];
            std::string expected = row < failing ? ReadFileBytes(PayloadSource(r.fileName))
                                                 : std::string("earlier ") + r.fileName;
            EXPECT_EQ(expected, ReadFileBytes(Scratch(r.fileName))) << r.fileName;
        }
        EXPECT_EQ(29, CountFiles(Scratch()));  // no staging file left
    }
    EXPECT_TRUE(boxes_.empty());
}

}  // namespace

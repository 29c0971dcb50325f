// The install manifest: 29 files, each the byte-exact payload source, the
// style sheets and colour schemes read-only, and a second installation that
// replaces rows 1 to 12 but cannot touch the read-only rows.
#include "winhelpers.h"

#include "payload/manifest.h"


namespace {

class Manifest : public WineTest {};

TEST_F(Manifest, InstallsTheTwentyNineFilesByteExact)
{
    InstallManifest(Scratch().c_str());
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
    EXPECT_TRUE(g_boxes.empty());
}

TEST_F(Manifest, SecondInstallationReplacesOnlyTheWritableRows)
{
    InstallManifest(Scratch().c_str());
    // Stand-ins for the files of an earlier version.
    for (const ManifestRow &r : kManifest) {
        std::string path = Scratch(r.fileName);
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        ASSERT_TRUE(WriteFileBytes(path, std::string("earlier ") + r.fileName));
        if (r.readOnly)
            SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY);
    }
    InstallManifest(Scratch().c_str());
    for (int row = 0; row < 29; ++row) {
        const ManifestRow &r = kManifest[row];
        std::string installed = ReadFileBytes(Scratch(r.fileName));
        if (row < 12)
            EXPECT_EQ(ReadFileBytes(PayloadSource(r.fileName)), installed) << r.fileName;
        else
            EXPECT_EQ(std::string("earlier ") + r.fileName, installed) << r.fileName;
    }
    EXPECT_TRUE(g_boxes.empty()) << BoxCaptions();
}

TEST_F(Manifest, FailingRowIsSkippedAndTheRestInstalled)
{
    // The dictionary's resource cannot be found; every other row goes on.
    Fake(sys.FindResourceA, [](HMODULE module, LPCSTR name, LPCSTR type) -> HRSRC {
        if (reinterpret_cast<ULONG_PTR>(name) == 112)
            return nullptr;
        return FindResourceA(module, name, type);
    });
    InstallManifest(Scratch().c_str());
    EXPECT_FALSE(FileExists(Scratch("main.dct")));
    EXPECT_EQ(28, CountFiles(Scratch()));
    EXPECT_TRUE(g_boxes.empty());
}

}  // namespace

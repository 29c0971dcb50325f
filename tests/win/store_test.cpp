// Payload store: resources become files raw or expanded through "data.tmp",
// with the platform's LZ expansion, for every path that fits.
#include "winhelpers.h"

#include "payload/store.h"
#include "install/plan.h"

namespace {

// Test payload ids (see cmake/wintests.cmake): plain at even ids, the same
// input SZDD-compressed at the next id.
enum : WORD {
    kText = 900, kBinary = 902, kEmpty = 904, kOne = 906, kSeventeen = 908,
    kBlanks = 910, kLong = 912, kRuns = 914, kMissing = 999
};
const WORD kInputs[] = {kText, kBinary, kOne, kSeventeen, kBlanks, kLong, kRuns};

struct PayloadStore : WineTest {
    std::string Staging() const { return std::string(plan_.workFolder) + "\\data.tmp"; }
    std::vector<std::string> opened_;  // by CreateFileA: path, disposition, deletion
    int closed_ = 0;                   // LZClose calls
};

TEST_F(PayloadStore, ExpandGivesTheOriginalBytesOfEveryInput)
{
    for (WORD id : kInputs) {
        std::string name = "expanded" + std::to_string(id);
        ASSERT_TRUE(ExpandPayload(id + 1, plan_.workFolder, Scratch().c_str(), name.c_str())) << id;
        std::string expected = ResourceBytes(id);
        ASSERT_FALSE(expected.empty());
        EXPECT_EQ(expected, ReadFileBytes(Scratch(name))) << "resource " << id + 1;
        EXPECT_FALSE(FileExists(Staging())) << "data.tmp left behind";
    }
}

TEST_F(PayloadStore, EmptyInputExpandsToAnEmptyFile)
{
    ASSERT_TRUE(ExpandPayload(kEmpty + 1, plan_.workFolder, Scratch().c_str(), "empty.txt"));
    EXPECT_TRUE(FileExists(Scratch("empty.txt")));
    EXPECT_EQ("", ReadFileBytes(Scratch("empty.txt")));
}

TEST_F(PayloadStore, PlatformLzOpenFileExpandsOurSzddToo)
{
    // LZOpenFileA/LZCopy directly, the platform's own path through LZ32.
    for (WORD id : kInputs) {
        std::string source = Scratch("in.szdd");
        std::string target = Scratch("out.bin");
        ASSERT_TRUE(WriteFileBytes(source, ResourceBytes(id + 1)));
        OFSTRUCT ofsSource, ofsTarget;
        INT hSource = LZOpenFileA(const_cast<char *>(source.c_str()), &ofsSource, OF_READ);
        INT hTarget = LZOpenFileA(const_cast<char *>(target.c_str()), &ofsTarget, OF_CREATE);
        ASSERT_GE(hSource, 0);
        ASSERT_GE(hTarget, 0);
        LONG cb = LZCopy(hSource, hTarget);
        LZClose(hSource);
        LZClose(hTarget);
        EXPECT_EQ(static_cast<LONG>(ResourceBytes(id).size()), cb);
        EXPECT_EQ(ResourceBytes(id), ReadFileBytes(target)) << "resource " << id + 1;
    }
}

TEST_F(PayloadStore, WriteRawWritesTheStoredBytesAndTheReadOnlyFlag)
{
    for (auto [id, name, readOnly] :
         {std::tuple{kBinary, "plain.bin", false}, {kText, "locked.txt", true}}) {
        ASSERT_TRUE(WriteRaw(id, Scratch().c_str(), name, readOnly)) << name;
        EXPECT_EQ(ResourceBytes(id), ReadFileBytes(Scratch(name))) << name;
        DWORD attributes = GetFileAttributesA(Scratch(name).c_str());
        EXPECT_EQ(readOnly, (attributes & FILE_ATTRIBUTE_READONLY) != 0) << name;
    }
}

TEST_F(PayloadStore, PlainDataGivenToExpandIsCopiedUnchanged)
{
    ASSERT_TRUE(ExpandPayload(kText, plan_.workFolder, Scratch().c_str(), "copied.txt"));
    EXPECT_EQ(ResourceBytes(kText), ReadFileBytes(Scratch("copied.txt")));
    ASSERT_TRUE(ExpandPayload(kOne, plan_.workFolder, Scratch().c_str(), "one.txt"));
    EXPECT_EQ("Q", ReadFileBytes(Scratch("one.txt")));
}

TEST_F(PayloadStore, MissingOrEmptyResourceCreatesNothing)
{
    PayloadBytes bytes;
    EXPECT_FALSE(FindPayload(kMissing, &bytes));
    EXPECT_FALSE(FindPayload(kEmpty, &bytes));  // zero length counts as missing
    EXPECT_EQ(nullptr, bytes.data);
    for (WORD id : {kMissing, kEmpty}) {
        EXPECT_FALSE(WriteRaw(id, Scratch().c_str(), "raw.bin", false));
        EXPECT_FALSE(ExpandPayload(id, plan_.workFolder, Scratch().c_str(), "expanded.bin"));
        EXPECT_FALSE(FileExists(Scratch("raw.bin")));
        EXPECT_FALSE(FileExists(Scratch("expanded.bin")));
    }
}

TEST_F(PayloadStore, ReadOnlyTargetIsLeftAsItWas)
{
    std::string target = Scratch("style.stp");
    ASSERT_TRUE(WriteFileBytes(target, "first installation"));
    ASSERT_TRUE(SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_FALSE(WriteRaw(kText, Scratch().c_str(), "style.stp", true));
    EXPECT_FALSE(ExpandPayload(kText + 1, plan_.workFolder, Scratch().c_str(), "style.stp"));
    EXPECT_EQ("first installation", ReadFileBytes(target));
    EXPECT_FALSE(FileExists(Staging()));
}

TEST_F(PayloadStore, ExpandIntoMissingFolderFailsAndRemovesStaging)
{
    DWORD error = 0;
    EXPECT_FALSE(ExpandPayload(kText + 1, plan_.workFolder, Scratch("no\\such").c_str(), "x.txt", &error));
    EXPECT_NE(0u, error);
    EXPECT_FALSE(FileExists(Staging()));
    EXPECT_FALSE(FileExists(Scratch("no")));
}

TEST_F(PayloadStore, ExpandWorksIntoA227CharacterFolder)
{
    // The longest install folder that validation accepts. LZOpenFileA
    // would fail here: its OFSTRUCT holds 128 bytes.
    std::string folder = Scratch();
    while (folder.size() < 227) {
        std::size_t room = 227 - folder.size() - 1;
        folder += "\\" + std::string(room < 40 ? room : 40, 'd');
        ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr) || folder.size() > 227) << folder;
    }
    ASSERT_EQ(227u, folder.size());
    ASSERT_TRUE(ExpandPayload(kLong + 1, plan_.workFolder, folder.c_str(), "Quillarix.exe"));
    EXPECT_EQ(ResourceBytes(kLong), ReadFileBytes(folder + "\\Quillarix.exe"));
    ASSERT_TRUE(WriteRaw(kText, folder.c_str(), "license.txt", false));
    EXPECT_EQ(ResourceBytes(kText), ReadFileBytes(folder + "\\license.txt"));
    EXPECT_FALSE(FileExists(Staging()));
}

TEST_F(PayloadStore, PathBeyondTheLimitFailsWithoutWriting)
{
    std::string folder = "C:\\" + std::string(250, 'x');
    DWORD error = 0;
    EXPECT_FALSE(WriteRaw(kText, folder.c_str(), "long-name.txt", false, &error));
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILENAME_EXCED_RANGE), error);
    EXPECT_FALSE(ExpandPayload(kText + 1, plan_.workFolder, folder.c_str(), "long-name.txt", &error));
    EXPECT_FALSE(FileExists(Staging()));
}

TEST_F(PayloadStore, StagingFailureStopsBeforeExpanding)
{
    CopyText(plan_.workFolder, kCbPath, Scratch("missing-folder").c_str());
    EXPECT_FALSE(ExpandPayload(kText + 1, plan_.workFolder, Scratch().c_str(), "never.txt"));
    EXPECT_FALSE(FileExists(Scratch("never.txt")));
}

// The compressed file is staged in the run's private folder, as a new file
// that goes when its handle closes, and expanded from that handle: the
// only file opened by name is the one created.
TEST_F(PayloadStore, StagingIsANewFileOfThePrivateFolderNeverReopened)
{
    Fake(sys.CreateFileA, [](LPCSTR path, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES sa,
                             DWORD disposition, DWORD flags, HANDLE tmpl) -> HANDLE {
        Running<PayloadStore>().opened_.push_back(std::string(path) + (disposition == CREATE_NEW ? " new" : " old") +
                           (flags & FILE_FLAG_DELETE_ON_CLOSE ? " deleted on close" : ""));
        return CreateFileA(path, access, share, sa, disposition, flags, tmpl);
    });
    ASSERT_TRUE(ExpandPayload(kText + 1, plan_.workFolder, Scratch().c_str(), "staged.txt"));
    EXPECT_EQ(std::vector<std::string>{Staging() + " new deleted on close"}, opened_);
    EXPECT_FALSE(FileExists(Staging()));
    EXPECT_EQ(ResourceBytes(kText), ReadFileBytes(Scratch("staged.txt")));
}

TEST_F(PayloadStore, FailedCopyStillClosesAndDeletesStaging)
{
    Fake(sys.LZCopy, [](INT, INT) -> LONG { return LZERROR_READ; });
    Fake(sys.LZClose, [](INT h) { ++Running<PayloadStore>().closed_; LZClose(h); });
    EXPECT_FALSE(ExpandPayload(kText + 1, plan_.workFolder, Scratch().c_str(), "failed.txt"));
    EXPECT_EQ(2, closed_);
    EXPECT_FALSE(FileExists(Staging()));
}

TEST_F(PayloadStore, WriteThatReportsSuccessButWritesLessFails)
{
    Fake(sys.WriteFile, [](HANDLE h, LPCVOID data, DWORD, LPDWORD written, LPOVERLAPPED o) -> BOOL {
        return WriteFile(h, data, 1, written, o);
    });
    EXPECT_FALSE(WriteRaw(kText, Scratch().c_str(), "short.txt", false));
}

TEST_F(PayloadStore, DeleteInFolderInsertsTheBackslash)
{
    ASSERT_TRUE(WriteFileBytes(Scratch("a.tmp"), "x"));
    DeleteInFolder(Scratch().c_str(), "a.tmp");
    EXPECT_FALSE(FileExists(Scratch("a.tmp")));
    ASSERT_TRUE(WriteFileBytes(Scratch("b.tmp"), "x"));
    DeleteInFolder((Scratch() + "\\").c_str(), "b.tmp");  // "folder\\b.tmp" is one separator
    EXPECT_FALSE(FileExists(Scratch("b.tmp")));
}

}  // namespace

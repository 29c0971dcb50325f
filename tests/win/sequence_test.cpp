// The setup sequence end to end in-process: dialogs and message boxes are
// replaced through the call table, everything else is the real system of
// the scratch prefix.
#include "winhelpers.h"

#include "location/location.h"
#include "resources/resource.h"
#include "setup/sequence.h"
#include "ui/ui.h"
#include "base/exitcodes.h"
#include "install/plan.h"

#include <functional>

namespace {


// What each modal dialog does when the sequence runs it; the location
// dialog is given the choice it shows and may change.
struct DialogScript {
    std::function<INT_PTR(FolderChoice *)> location;
    std::function<INT_PTR()> licence;
    int locationRuns = 0;
    int licenceRuns = 0;
    int otherRuns = 0;
};

class Sequence : public WineTest {
protected:
    static INT_PTR WINAPI FakeDialogBox(HINSTANCE, LPCWSTR name, HWND, DLGPROC, LPARAM param)
    {
        DialogScript &script = Running<Sequence>().script_;
        switch (reinterpret_cast<ULONG_PTR>(name)) {
        case IDD_LOCATION:
            ++script.locationRuns;
            return script.location ? script.location(reinterpret_cast<FolderChoice *>(param))
                                   : IDCANCEL;
        case IDD_LICENSE:
            ++script.licenceRuns;
            return script.licence ? script.licence() : IDCANCEL;
        }
        ++script.otherRuns;
        return -1;
    }
    void SetUp() override
    {
        WineTest::SetUp();
        DeleteRegistryTree(HKEY_CURRENT_USER, kVendorKey);
        sys.DialogBoxParamW = FakeDialogBox;
        // No shell is asked: it would start Quillarix for real.
        Fake(sys.CreateThread, [](LPSECURITY_ATTRIBUTES, SIZE_T, LPTHREAD_START_ROUTINE, LPVOID,
                                  DWORD, LPDWORD) -> HANDLE { return nullptr; });
        // No backdrop window in these tests; its own tests cover it.
        Fake(sys.RegisterClassExA, [](const WNDCLASSEXA *) -> ATOM { return 0; });
    }
    void TearDown() override
    {
        WineTest::TearDown();
        DeleteRegistryTree(HKEY_CURRENT_USER, kVendorKey);
    }

    // Chooses folder in the location dialog and presses result.
    std::function<INT_PTR(FolderChoice *)> Choose(const std::string &folder, INT_PTR result)
    {
        return [folder, result](FolderChoice *choice) {
            CopyText(choice->folder, kCbPath, folder.c_str());
            return result;
        };
    }

    DialogScript script_;
};

TEST_F(Sequence, UnusableSettingsKeyEndsTheSetupAtOnce)
{
    Fake(sys.RegCreateKeyExA, [](HKEY, LPCSTR, DWORD, LPSTR, DWORD, REGSAM, LPSECURITY_ATTRIBUTES,
                             PHKEY, LPDWORD) -> LONG { return ERROR_ACCESS_DENIED; });
    EXPECT_EQ(exitcode::kFailed, RunSetup("", &plan_));
    ASSERT_EQ("ERROR 1|ERROR 1A", BoxCaptions());
    EXPECT_EQ(SystemText(ERROR_ACCESS_DENIED), boxes_[0].text);
    EXPECT_EQ("Unable to proceed with installation", boxes_[1].text);
    EXPECT_EQ(0, script_.locationRuns + script_.licenceRuns + script_.otherRuns);
}

TEST_F(Sequence, LocationDialogThatCannotBeCreatedEnds)
{
    script_.location = [](FolderChoice *) { return INT_PTR(-1); };
    EXPECT_EQ(exitcode::kFailed, RunSetup("", &plan_));
    ASSERT_EQ("ERROR 43", BoxCaptions());
    EXPECT_EQ("Unable to initialize", boxes_[0].text);
    EXPECT_EQ(1, script_.locationRuns);
    EXPECT_EQ(0, script_.licenceRuns);
}

TEST_F(Sequence, CancelledLocationWritesNothing)
{
    std::string folder = Scratch("Quillarix");
    script_.location = Choose(folder, IDCANCEL);
    EXPECT_EQ(exitcode::kCancelled, RunSetup("", &plan_));
    EXPECT_TRUE(boxes_.empty());
    EXPECT_EQ(1, script_.locationRuns);
    EXPECT_EQ(0, script_.licenceRuns);
    EXPECT_FALSE(FileExists(folder));
    EXPECT_EQ("<no value>", RegistryValue(HKEY_CURRENT_USER, kSettingsKey, "Path"));
    EXPECT_EQ("<no value>", RegistryValue(HKEY_CURRENT_USER, kSettingsKey, "Installed"));
}

TEST_F(Sequence, StartUpCreatesTheSettingsKeyWithoutValues)
{
    script_.location = [](FolderChoice *) { return INT_PTR(IDCANCEL); };
    RunSetup("", &plan_);
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_READ, &key));
    DWORD values = 99;
    EXPECT_EQ(ERROR_SUCCESS, RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr,
                                              nullptr, &values, nullptr, nullptr, nullptr, nullptr));
    EXPECT_EQ(0u, values);
    RegCloseKey(key);
}

TEST_F(Sequence, DeclinedLicenceEndsAfterValidationCreatedTheFolder)
{
    std::string folder = Scratch("Quillarix");
    script_.location = Choose(folder, IDOK);
    script_.licence = [] { return INT_PTR(IDCANCEL); };
    EXPECT_EQ(exitcode::kCancelled, RunSetup("", &plan_));
    EXPECT_TRUE(boxes_.empty()) << BoxCaptions();
    EXPECT_EQ(1, script_.licenceRuns);
    // Validation created the folder; no payload file was written into it.
    ASSERT_TRUE(FileExists(folder));
    EXPECT_EQ(0, CountFiles(folder));
    EXPECT_EQ("<no value>", RegistryValue(HKEY_CURRENT_USER, kSettingsKey, "Installed"));
    EXPECT_EQ("<no value>", RegistryValue(HKEY_CURRENT_USER, kSettingsKey, "Path"));
}

TEST_F(Sequence, RefusedThenCancelledIsCancelled)
{
    int passes = 0;
    script_.location = [&passes](FolderChoice *choice) -> INT_PTR {
        // First pass: a refused folder; second pass: cancel.
        if (passes++ == 0) {
            CopyText(choice->folder, kCbPath, "not a folder");
            return IDOK;
        }
        return IDCANCEL;
    };
    EXPECT_EQ(exitcode::kCancelled, RunSetup("", &plan_));
    EXPECT_EQ("ERROR 11", BoxCaptions());
    EXPECT_EQ(2, script_.locationRuns);
}

}  // namespace

namespace {

TEST_F(Sequence, RefusedFolderIsFollowedByTheProposedLocationAgain)
{
    std::vector<std::string> shown;
    script_.location = [&shown](FolderChoice *choice) -> INT_PTR {
        shown.push_back(choice->folder);
        if (shown.size() == 1) {
            CopyText(choice->folder, kCbPath, "Quillarix");  // no drive: refused
            return IDOK;
        }
        return IDCANCEL;
    };
    RunSetup("", &plan_);
    ASSERT_EQ(2u, shown.size());
    EXPECT_EQ(kProgramFiles + "\\Quillarix", shown[0]);
    EXPECT_EQ(shown[0], shown[1]);
    ASSERT_EQ("ERROR 11", BoxCaptions());
    // The message is validation's own (its wording is checked there).
    std::string message = boxes_[0].text;
    boxes_.clear();
    char refused[] = "Quillarix";
    ValidateLocation(refused, Talk::kWindows);
    ASSERT_EQ(1u, boxes_.size());
    EXPECT_EQ(boxes_[0].text, message);
}

// No temp folder: the Windows folder's is taken; without that either, the program files root.
TEST_F(Sequence, MissingTempFolderBecomesTheWindowsTempThenTheProgramFilesRoot)
{
    Fake(sys.GetTempPathW, [](DWORD, LPWSTR) -> DWORD { return 0; });
    script_.location = [](FolderChoice *) { return INT_PTR(IDCANCEL); };
    RunSetup("", &plan_);
    EXPECT_EQ("", BoxCaptions());
    EXPECT_STREQ("C:\\windows\\Temp\\", plan_.tempFolder);
    static int asked;
    asked = 0;  // the run lock's folder is the first asked
    Fake(sys.GetWindowsDirectoryA, [](LPSTR folder, UINT cb) -> UINT {
        return ++asked == 1 ? GetWindowsDirectoryA(folder, cb) : 0;
    });
    RunSetup("", &plan_);
    EXPECT_EQ("ERROR 2|ERROR 3", BoxCaptions());
    EXPECT_STREQ("C:\\", plan_.tempFolder);
}

}  // namespace

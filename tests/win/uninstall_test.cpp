// The uninstaller against the prefix's real files and registry, with its
// message boxes answered by the test.
#include "winhelpers.h"

#include "payload/manifest.h"
#include "base/pathtext.h"
#include "uninstaller/ucalls.h"
#include "uninstaller/uninstall.h"

#include <cstring>

namespace {

std::vector<std::string> s_said;
int s_answer;

int WINAPI Answer(HWND, LPCSTR text, LPCSTR, UINT)
{
    s_said.push_back(text);
    return s_said.size() == 1 ? s_answer : IDOK;
}


class Uninstall : public WineTest {
protected:
    void SetUp() override
    {
        WineTest::SetUp();
        RestoreUninstallCalls();
        s_said.clear();
        s_answer = IDYES;
        usys.MessageBoxA = Answer;
        DeleteRegistryTree(HKEY_CURRENT_USER, kVendorKey);
        folder_ = Scratch("Quillarix");
        CreateDirectoryA(folder_.c_str(), nullptr);
        for (const ManifestRow &row : kManifest) {
            std::string path = folder_ + "\\" + row.fileName;
            WriteFileBytes(path, row.fileName);
            if (row.readOnly)
                SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY);
        }
        WriteFileBytes(folder_ + "\\Quillarix.exe", "MZ");
        HKEY key;
        RegCreateKeyA(HKEY_CURRENT_USER, kSettingsKey, &key);
        RegSetValueExA(key, "Path", 0, REG_SZ, reinterpret_cast<const BYTE *>(folder_.c_str()),
                       static_cast<DWORD>(folder_.size() + 1));
        RegSetValueExA(key, "Installed", 0, REG_SZ, reinterpret_cast<const BYTE *>("C:\\s.exe"), 9);
        RegCloseKey(key);
    }
    void TearDown() override
    {
        RestoreUninstallCalls();
        DeleteRegistryTree(HKEY_CURRENT_USER, kVendorKey);
        WineTest::TearDown();
    }
    std::string folder_;
};

TEST_F(Uninstall, RemovesTheInstalledFilesTheFolderAndTheSettings)
{
    EXPECT_EQ(kRemoved, RunUninstall());
    EXPECT_FALSE(FileExists(folder_));
    EXPECT_FALSE(RegistryKeyExists(HKEY_CURRENT_USER, kVendorKey));
    ASSERT_EQ(2u, s_said.size());
    EXPECT_EQ("Quillarix has been removed from your computer.", s_said[1]);
}

TEST_F(Uninstall, NoLeavesEverything)
{
    s_answer = IDNO;
    EXPECT_EQ(kDeclined, RunUninstall());
    EXPECT_TRUE(FileExists(folder_ + "\\Quillarix.exe"));
    EXPECT_TRUE(FileExists(folder_ + "\\Feature.stp"));
    EXPECT_TRUE(RegistryKeyExists(HKEY_CURRENT_USER, kSettingsKey));
    EXPECT_EQ(1u, s_said.size());
}

// Another product of the same vendor, whose key the removal must leave.
const std::string kOtherProductKey = std::string(kVendorKey) + "\\Typeset";

TEST_F(Uninstall, UserFilesAndOtherOrvantaProductsStay)
{
    WriteFileBytes(folder_ + "\\My Script.scp", "INT. KITCHEN - DAY");
    HKEY other;
    RegCreateKeyA(HKEY_CURRENT_USER, kOtherProductKey.c_str(), &other);
    RegCloseKey(other);
    EXPECT_EQ(kRemoved, RunUninstall());
    EXPECT_TRUE(FileExists(folder_ + "\\My Script.scp"));
    EXPECT_FALSE(FileExists(folder_ + "\\Quillarix.exe"));
    EXPECT_FALSE(FileExists(folder_ + "\\Proof_Left.stp"));
    EXPECT_FALSE(RegistryKeyExists(HKEY_CURRENT_USER, kProductKey));
    EXPECT_TRUE(RegistryKeyExists(HKEY_CURRENT_USER, kOtherProductKey.c_str()));
}

TEST_F(Uninstall, NothingToFindChangesNothing)
{
    DeleteFileA((folder_ + "\\Quillarix.exe").c_str());
    EXPECT_EQ(kNotInstalled, RunUninstall());
    EXPECT_TRUE(FileExists(folder_ + "\\Sample.scp"));
    EXPECT_TRUE(RegistryKeyExists(HKEY_CURRENT_USER, kSettingsKey));
    ASSERT_EQ(2u, s_said.size());
    EXPECT_EQ("No installation of Quillarix was found.  Nothing was removed.", s_said[1]);
}

TEST_F(Uninstall, RunningApplicationBlocksTheRemoval)
{
    HANDLE held = CreateFileA((folder_ + "\\Quillarix.exe").c_str(), GENERIC_READ,
                              FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    EXPECT_EQ(kRunning, RunUninstall());
    CloseHandle(held);
    EXPECT_TRUE(FileExists(folder_ + "\\Sample.scp"));
    EXPECT_TRUE(RegistryKeyExists(HKEY_CURRENT_USER, kSettingsKey));
}

TEST_F(Uninstall, WhatCannotBeRemovedIsListedAndFailsTheExitCode)
{
    Fake(usys.DeleteFileA, [](LPCSTR path) -> BOOL {
        if (std::strstr(path, "main.dct")) {
            SetLastError(ERROR_ACCESS_DENIED);
            return FALSE;
        }
        return DeleteFileA(path);
    });
    EXPECT_EQ(kPartlyRemoved, RunUninstall());
    ASSERT_EQ(2u, s_said.size());
    EXPECT_EQ("These items could not be removed:\r\n" + folder_ + "\\main.dct", s_said[1]);
    EXPECT_TRUE(FileExists(folder_ + "\\main.dct"));
    EXPECT_FALSE(FileExists(folder_ + "\\Sample.scp"));
}

TEST_F(Uninstall, FallsBackToTheAppPathsEntry)
{
    DeleteRegistryTree(HKEY_CURRENT_USER, kVendorKey);
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyA(HKEY_LOCAL_MACHINE, kAppPathsEntry, &key));
    RegSetValueExA(key, "Path", 0, REG_SZ, reinterpret_cast<const BYTE *>(folder_.c_str()),
                   static_cast<DWORD>(folder_.size() + 1));
    RegCloseKey(key);
    EXPECT_EQ(kRemoved, RunUninstall());
    EXPECT_FALSE(FileExists(folder_));
    EXPECT_NE(ERROR_SUCCESS, RegOpenKeyExA(HKEY_LOCAL_MACHINE, kAppPathsEntry, 0, KEY_READ, &key));
}

}  // namespace

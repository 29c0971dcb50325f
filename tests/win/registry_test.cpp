// Registry operations and the settings key, against the prefix's registry.
#include "winhelpers.h"

#include "base/product.h"
#include "install/plan.h"
#include "registration/registry.h"
#include "registration/settings.h"

#include <cstring>

namespace {

const char kScratchKey[] = "Software\\QlxTests";

class Registry : public WineTest {
public:
    void SetUp() override
    {
        WineTest::SetUp();
        DeleteRegistryTree(HKEY_CURRENT_USER, kScratchKey);
        DeleteRegistryTree(HKEY_CURRENT_USER, kVendorKey);
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyA(HKEY_CURRENT_USER, kScratchKey, &key_));
    }
    void TearDown() override
    {
        RegCloseKey(key_);
        DeleteRegistryTree(HKEY_CURRENT_USER, kScratchKey);
        DeleteRegistryTree(HKEY_CURRENT_USER, kVendorKey);
        WineTest::TearDown();
    }
    void Store(const char *name, DWORD type, const std::string &bytes)
    {
        ASSERT_EQ(ERROR_SUCCESS,
                  RegSetValueExA(key_, name, 0, type, reinterpret_cast<const BYTE *>(bytes.data()),
                                 static_cast<DWORD>(bytes.size())));
    }

    HKEY key_ = nullptr;
    // What RegCreateKeyExA was given.
    struct Seen {
        bool classIsEmptyText;
        DWORD options;
        REGSAM access;
    } seen_{};
    std::wstring module_;  // GetModuleFileNameW's answer
};

TEST_F(Registry, SettingsKeyIsCreatedWithItsParentsAndNoValues)
{
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, OpenSettingsKey(&key));
    CloseKey(key);
    for (const char *path : {"Software\\Orvanta", "Software\\Orvanta\\Quillarix",
                             "Software\\Orvanta\\Quillarix\\Settings"})
        EXPECT_TRUE(RegistryKeyExists(HKEY_CURRENT_USER, path)) << path;
    DWORD type;
    EXPECT_EQ("<no value>", RegistryValue(HKEY_CURRENT_USER, kSettingsKey, "Path", &type));
    EXPECT_EQ("<no value>", RegistryValue(HKEY_CURRENT_USER, kSettingsKey, "Installed", &type));
}

TEST_F(Registry, CreateOrOpenPassesTheDocumentedParameters)
{
    Fake(sys.RegCreateKeyExA, [](HKEY parent, LPCSTR subkey, DWORD reserved, LPSTR cls, DWORD options,
                             REGSAM access, LPSECURITY_ATTRIBUTES security, PHKEY key,
                             LPDWORD disposition) -> LONG {
        Running<Registry>().seen_ = {cls != nullptr && cls[0] == '\0', options, access};
        return RegCreateKeyExA(parent, subkey, reserved, cls, options, access, security, key,
                               disposition);
    });
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, OpenSettingsKey(&key));
    CloseKey(key);
    EXPECT_TRUE(seen_.classIsEmptyText);
    EXPECT_EQ(static_cast<DWORD>(REG_OPTION_NON_VOLATILE), seen_.options);
    EXPECT_EQ(static_cast<REGSAM>(0x2001F), seen_.access);
}

TEST_F(Registry, RecordsSetupPathAndInstallFolderWithTheirZero)
{
    CopyText(plan_.installFolder, kCbPath, "C:\\Apps\\Quillarix123");  // 20 characters
    ASSERT_TRUE(RecordSetupPath(plan_));
    ASSERT_TRUE(RecordInstallFolder(plan_));
    DWORD type = 0;
    std::string path = RegistryValue(HKEY_CURRENT_USER, kSettingsKey, "Path", &type);
    EXPECT_EQ(static_cast<DWORD>(REG_SZ), type);
    EXPECT_EQ(21u, path.size());
    EXPECT_EQ(std::string("C:\\Apps\\Quillarix123", 21), path);

    char module[MAX_PATH];
    DWORD cch = GetModuleFileNameA(nullptr, module, sizeof module);
    std::string installed = RegistryValue(HKEY_CURRENT_USER, kSettingsKey, "Installed", &type);
    EXPECT_EQ(static_cast<DWORD>(REG_SZ), type);
    EXPECT_EQ(std::string(module, cch + 1), installed);
    EXPECT_TRUE(boxes_.empty());
}

TEST_F(Registry, SettingsKeyFailuresReportTheirCodes)
{
    Fake(sys.RegCreateKeyExA, [](HKEY, LPCSTR, DWORD, LPSTR, DWORD, REGSAM, LPSECURITY_ATTRIBUTES,
                             PHKEY, LPDWORD) -> LONG { return ERROR_ACCESS_DENIED; });
    EXPECT_FALSE(RecordSetupPath(plan_));
    EXPECT_FALSE(RecordInstallFolder(plan_));
    ASSERT_EQ("ERROR 22|ERROR 10", BoxCaptions());
    EXPECT_EQ(SystemText(ERROR_ACCESS_DENIED), boxes_[0].text);
    EXPECT_EQ(SystemText(ERROR_ACCESS_DENIED), boxes_[1].text);
}

// The setup's own path is informational: one cut short is never recorded,
// one beyond 260 bytes of UTF-8 (80 CJK characters of a Downloads folder)
// is, and neither fails the run.
TEST_F(Registry, ModulePathIsRecordedWholeOrNotAtAll)
{
    Fake(sys.GetModuleFileNameW, [](HMODULE, LPWSTR buffer, DWORD cch) -> DWORD {
        const std::wstring &module = Running<Registry>().module_;
        lstrcpynW(buffer, module.c_str(), static_cast<int>(cch));
        return static_cast<DWORD>(module.size() < cch ? module.size() : cch);
    });
    module_ = L"C:\\Downloads\\" + std::wstring(100, L'\u811a') + L"\\QuillarixSetup.exe";
    EXPECT_TRUE(RecordSetupPath(plan_));
    DWORD type;
    std::string installed = RegistryValue(HKEY_CURRENT_USER, kSettingsKey, "Installed", &type);
    EXPECT_EQ(13u + 300u + 19u + 1u, installed.size());  // UTF-8: three bytes a character
    module_ = std::wstring(kCchLongPath, L'x');  // filled to the last unit, as on truncation
    DeleteRegistryTree(HKEY_CURRENT_USER, kVendorKey);
    EXPECT_TRUE(RecordSetupPath(plan_));
    EXPECT_EQ("<no value>", RegistryValue(HKEY_CURRENT_USER, kSettingsKey, "Installed", &type));
    EXPECT_TRUE(boxes_.empty());
}

TEST_F(Registry, ReadStringValueHandsOnlyTerminatedTexts)
{
    struct Case {
        const char *name;
        DWORD type;  // 0: no value stored
        std::string stored;
        bool ok;
        std::string text;
    } const cases[] = {
        {"plain", REG_SZ, std::string("C:\\Work\0", 8), true, "C:\\Work"},
        {"unterminated", REG_SZ, "C:\\Work", true, "C:\\Work"},
        {"empty", REG_SZ, std::string("\0", 1), true, ""},
        {"nothing", REG_SZ, "", true, ""},
        {"dword", REG_DWORD, std::string("\x01\x00\x00\x00", 4), false, ""},
        {"expand", REG_EXPAND_SZ, std::string("%TEMP%\0", 7), false, ""},
        {"binary", REG_BINARY, "C:\\Work", false, ""},
        {"s259", REG_SZ, std::string(259, 'a') + '\0', true, std::string(259, 'a')},
        {"s260", REG_SZ, std::string(260, 'a') + '\0', false, ""},
        {"u259", REG_SZ, std::string(259, 'a'), true, std::string(259, 'a')},
        {"u260", REG_SZ, std::string(260, 'a'), false, ""},
        {"s300", REG_SZ, std::string(300, 'a') + '\0', false, ""},
        {"missing", 0, "", false, ""},
    };
    for (const Case &c : cases)
        if (c.type)
            Store(c.name, c.type, c.stored);
    // A buffer of 260 bytes; path buffers take three bytes a character.
    constexpr std::size_t kCb = 260;
    for (const Case &c : cases) {
        char buffer[kCb + 8];
        std::memset(buffer, 0xA5, sizeof buffer);
        LONG status = ReadRegistryText(sys, key_, nullptr, c.name, buffer, kCb);
        EXPECT_EQ(c.ok, status == ERROR_SUCCESS) << c.name << " status " << status;
        if (c.ok)
            EXPECT_EQ(c.text, std::string(buffer)) << c.name;
        else
            EXPECT_NE(ERROR_SUCCESS, status) << c.name;
        for (std::size_t i = kCb; i < sizeof buffer; ++i)
            EXPECT_EQ(static_cast<char>(0xA5), buffer[i]) << c.name << ": written past the buffer";
    }
}

TEST_F(Registry, WriteStringValueStoresTheZeroAndTheDefaultValue)
{
    ASSERT_EQ(ERROR_SUCCESS, WriteStringValue(key_, "HKCU\\X", nullptr, "C:\\Q\\Quillarix.exe"));
    ASSERT_EQ(ERROR_SUCCESS, WriteStringValue(key_, "HKCU\\X", "Path", "C:\\Q"));
    DWORD type;
    EXPECT_EQ(std::string("C:\\Q\\Quillarix.exe", 19), RegistryValue(HKEY_CURRENT_USER, kScratchKey, nullptr, &type));
    EXPECT_EQ(static_cast<DWORD>(REG_SZ), type);
    EXPECT_EQ(std::string("C:\\Q", 5), RegistryValue(HKEY_CURRENT_USER, kScratchKey, "Path", &type));
}

}  // namespace

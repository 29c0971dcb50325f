// Registry access: create-or-open, string values, and the per-user settings
// key where the setup records an installation for later runs.
#include "registration/registry.h"
#include "registration/regtext.h"

#include "setup/errors.h"
#include "setup/pathtext.h"
#include "setup/product.h"
#include "setup/report.h"
#include "setup/state.h"
#include "setup/syscalls.h"

static_assert(kRegSz == REG_SZ, "the system-free reader names REG_SZ itself");

LONG CreateOrOpenKey(HKEY parent, const char *subkey, REGSAM access, HKEY *key)
{
    // The class is an empty text, not a null pointer.
    static char emptyClass[] = "";
    *key = nullptr;
    return sys.RegCreateKeyExA(parent, subkey, 0, emptyClass, REG_OPTION_NON_VOLATILE, access,
                               nullptr, key, nullptr);
}

LONG ReadStringValue(HKEY key, const char *name, char *buffer, DWORD cbBuffer)
{
    if (cbBuffer == 0)
        return ERROR_INSUFFICIENT_BUFFER;
    DWORD type = REG_NONE;
    DWORD cbData = cbBuffer;
    LONG status = sys.RegQueryValueExA(key, name, nullptr, &type,
                                       reinterpret_cast<BYTE *>(buffer), &cbData);
    if (status != ERROR_SUCCESS) {
        buffer[0] = '\0';
        return status;
    }
    switch (TerminateRegistryText(buffer, cbBuffer, type, cbData)) {
    case RegistryTextVerdict::kText:
        return ERROR_SUCCESS;
    case RegistryTextVerdict::kWrongType:
        return ERROR_DATATYPE_MISMATCH;
    case RegistryTextVerdict::kTooLong:
        break;
    }
    return ERROR_MORE_DATA;
}

LONG WriteStringValue(HKEY key, const char *name, const char *text)
{
    DWORD cbData = static_cast<DWORD>(sys.lstrlenA(text)) + 1;
    return sys.RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE *>(text), cbData);
}

void CloseKey(HKEY key)
{
    sys.RegCloseKey(key);
}

void ComposeSettingsKeyPath()
{
    char *path = g_setup.settingsKeyPath;
    CopyText(path, kCbPath, "Software\\Orvanta\\");
    AppendText(path, kCbPath, kProductName);
    AppendText(path, kCbPath, "\\Settings");
}

LONG OpenSettingsKey(HKEY *key)
{
    return CreateOrOpenKey(HKEY_CURRENT_USER, g_setup.settingsKeyPath, kAccessReadWrite, key);
}

bool RecordSetupPath()
{
    HKEY key;
    LONG status = OpenSettingsKey(&key);
    if (status != ERROR_SUCCESS) {
        ReportSystemError(static_cast<DWORD>(status), errcode::kSettingsKeySetupPath);
        return false;
    }
    bool recorded = false;
    char path[kCbPath];
    DWORD cch = sys.GetModuleFileNameA(nullptr, path, sizeof path);
    // A result that fills the buffer means the path was cut short.
    if (cch != 0 && cch < sizeof path) {
        path[cch] = '\0';
        recorded = WriteStringValue(key, "Installed", path) == ERROR_SUCCESS;
    }
    CloseKey(key);
    return recorded;
}

bool RecordInstallFolder()
{
    HKEY key;
    LONG status = OpenSettingsKey(&key);
    if (status != ERROR_SUCCESS) {
        ReportSystemError(static_cast<DWORD>(status), errcode::kSettingsKeyInstallFolder);
        return false;
    }
    WriteStringValue(key, "Path", g_setup.installFolder);
    CloseKey(key);
    return true;
}

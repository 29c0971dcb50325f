// The per-user settings key (kSettingsKey under HKEY_CURRENT_USER) with the
// values `Installed` (the setup program) and `Path` (the install folder).
#include "registration/settings.h"

#include "base/errors.h"
#include "base/pathtext.h"
#include "base/product.h"
#include "base/report.h"
#include "base/state.h"
#include "registration/registry.h"

LONG OpenSettingsKey(HKEY *key)
{
    return CreateOrOpenKey(HKEY_CURRENT_USER, kSettingsKey, kAccessReadWrite, key);
}

// Opens the settings key, or shows the system's text for the failure
// captioned with code and returns false.
static bool OpenSettingsKeyOrReport(HKEY *key, const char *code)
{
    LONG status = OpenSettingsKey(key);
    if (status == ERROR_SUCCESS)
        return true;
    ReportSystemError(static_cast<DWORD>(status), code);
    return false;
}

bool RecordSetupPath()
{
    HKEY key;
    if (!OpenSettingsKeyOrReport(&key, errcode::kSettingsKeySetupPath))
        return false;
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
    if (!OpenSettingsKeyOrReport(&key, errcode::kSettingsKeyInstallFolder))
        return false;
    WriteStringValue(key, "Path", g_setup.installFolder);
    CloseKey(key);
    return true;
}

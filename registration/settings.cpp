// The per-user settings key (kSettingsKey under HKEY_CURRENT_USER) with the
// values `Installed` (the setup program) and `Path` (the install folder).
#include "registration/settings.h"

#include "base/errors.h"
#include "base/pathtext.h"
#include "base/product.h"
#include "install/report.h"
#include "install/plan.h"
#include "install/syscalls.h"
#include "base/widetext.h"
#include "registration/registry.h"

static constexpr char kSettingsWhere[] = "HKCU\\" QLX_SETTINGS_KEY;

LONG OpenSettingsKey(HKEY *key)
{
    return CreateOrOpenKey(HKEY_CURRENT_USER, kSettingsKey, kAccessReadWrite, key);
}

// Opens the settings key, or reports the system's text for the failure
// captioned with code and returns false.
static bool OpenSettingsKeyOrReport(Talk talk, HKEY *key, const char *code)
{
    LONG status = OpenSettingsKey(key);
    if (status == ERROR_SUCCESS)
        return true;
    ReportSystemError(talk, static_cast<DWORD>(status), code);
    return false;
}

bool RecordSetupPath(const InstallPlan &plan)
{
    HKEY key;
    if (!OpenSettingsKeyOrReport(plan.mode.talk, &key, errcode::kSettingsKeySetupPath))
        return false;
    // Informational: a path that cannot be told or written is logged, and
    // the installation goes on. Asked in UTF-16, since a setup started from
    // a deep Downloads or OneDrive folder may lie beyond 260 bytes of UTF-8.
    WCHAR wide[kCchLongPath];
    char path[3 * kCchLongPath];
    DWORD cch = sys.GetModuleFileNameW(nullptr, wide, kCchLongPath);
    // A result that fills the buffer means the path was cut short.
    bool recorded = cch != 0 && cch < kCchLongPath &&
                    AnsiFromWide(sys, wide, path, sizeof path) == Conversion::kExact &&
                    WriteStringValue(key, kSettingsWhere, "Installed", path) == ERROR_SUCCESS;
    CloseKey(key);
    if (!recorded)
        LogLine({"The setup's own path could not be recorded (Installed)."});
    return true;
}

bool RecordInstallFolder(const InstallPlan &plan)
{
    HKEY key;
    if (!OpenSettingsKeyOrReport(plan.mode.talk, &key, errcode::kSettingsKeyInstallFolder))
        return false;
    WriteStringValue(key, kSettingsWhere, "Path", plan.installFolder);
    WriteStringValue(key, kSettingsWhere, "Scope",
                     ForTheMachine(plan.mode) ? "AllUsers" : "CurrentUser");
    CloseKey(key);
    return true;
}

// The uninstall entry under HKEY_LOCAL_MACHINE (one user's installation: under HKEY_CURRENT_USER):
// the line in the system's list of installed programs, the command that removes Quillarix, and
// what the list and deployment tools show and detect it by (version, publisher, folder, icon,
// size, date).
#include "registration/registration.h"

#include "base/pathtext.h"
#include "base/product.h"
#include "install/plan.h"
#include "install/syscalls.h"
#include "registration/registry.h"

// "YYYYMMDD" of today, the form the list of installed programs reads.
static void FormatInstallDate(char *date, std::size_t cbDate)
{
    SYSTEMTIME now;
    sys.GetLocalTime(&now);
    date[0] = '\0';
    AppendDecimal(date, cbDate, now.wYear, false);
    if (now.wMonth < 10)
        AppendText(date, cbDate, "0");
    AppendDecimal(date, cbDate, now.wMonth, false);
    if (now.wDay < 10)
        AppendText(date, cbDate, "0");
    AppendDecimal(date, cbDate, now.wDay, false);
}

bool RecordUninstallEntry(const InstallPlan &plan, unsigned long kilobytes, bool *complete)
{
    *complete = false;
    HKEY uninstall;
    bool machine = ForTheMachine(plan.mode);
    if (CreateOrOpenKey(RecordsOf(plan.mode.scope), kUninstallKey,
                        kAccessReadWrite, &uninstall) != ERROR_SUCCESS)
        return false;
    HKEY entry;
    if (CreateOrOpenKey(uninstall, kProductName, kAccessReadWrite, &entry) != ERROR_SUCCESS) {
        CloseKey(uninstall);
        return false;
    }
    const char *kWhere = machine ? "HKLM\\" QLX_UNINSTALL_ENTRY : "HKCU\\" QLX_UNINSTALL_ENTRY;
    bool wrote = WriteStringValue(entry, kWhere, "DisplayName", kUninstallDisplayName) == ERROR_SUCCESS;
    // A Windows folder too long to take the uninstaller's name leaves the entry without a command
    // rather than with a wrong one. One user's uninstaller is in the install folder, its path
    // quoted (it lies in the profile, whose name may hold blanks), told whose installation it is.
    char command[kCbPath + 16] = "";
    char uninstaller[kCbPath];
    if (JoinPath(uninstaller, sizeof uninstaller, machine ? plan.windowsFolder : plan.installFolder,
                 kUninstallerName) &&
        !(machine ? CopyText(command, sizeof command, uninstaller)
                  : CopyText(command, sizeof command, "\"") &&
                        AppendText(command, sizeof command, uninstaller) &&
                        AppendText(command, sizeof command, "\" /CURRENTUSER")))
        command[0] = '\0';
    wrote = command[0] != '\0' &&
            WriteStringValue(entry, kWhere, "UninstallString", command) == ERROR_SUCCESS && wrote;
    // What deployment tools and the list of installed programs show and detect an installation by.
    // These do not decide whether the entry was recorded: without them it still removes Quillarix,
    // and a failed entry would move the uninstaller away from the command just written. The quiet
    // command quotes the path, as deployment tools pass it on.
    char date[16], quiet[kCbPath + 24] = "";
    FormatInstallDate(date, sizeof date);
    if (command[0] == '\0' ||
        !(machine ? CopyText(quiet, sizeof quiet, "\"") && AppendText(quiet, sizeof quiet, command) &&
                        AppendText(quiet, sizeof quiet, "\"")
                  : CopyText(quiet, sizeof quiet, command)) ||
        !AppendText(quiet, sizeof quiet, " /S"))
        quiet[0] = '\0';
    struct { const char *name, *text; } const texts[] = {
        {"DisplayVersion", QLX_VERSION_TEXT}, {"Publisher", QLX_VENDOR},
        {"InstallLocation", plan.installFolder}, {"DisplayIcon", plan.mainExePath},
        {"InstallDate", date}, {"QuietUninstallString", quiet}};
    bool all = true;
    for (auto &value : texts)
        all = value.text[0] != '\0' &&
              WriteStringValue(entry, kWhere, value.name, value.text) == ERROR_SUCCESS && all;
    struct { const char *name; DWORD value; } const numbers[] = {
        {"EstimatedSize", kilobytes}, {"NoModify", 1}, {"NoRepair", 1},
        {"VersionMajor", kProductVersionMajor}, {"VersionMinor", kProductVersionMinor}};
    for (auto &value : numbers)
        all = WriteDwordValue(entry, kWhere, value.name, value.value) == ERROR_SUCCESS && all;
    CloseKey(entry);
    CloseKey(uninstall);
    *complete = wrote && all;
    return wrote;
}

// Replacing Quillarix.exe in the install folder.
#include "payload/mainexe.h"

#include "base/closeapp.h"
#include "base/errors.h"
#include "base/fileuse.h"
#include "base/pathtext.h"
#include "base/retry.h"
#include "base/product.h"
#include "install/report.h"
#include "install/plan.h"
#include "install/syscalls.h"
#include "base/catalogue.h"
#include "payload/store.h"
#include "payload/version_rule.h"

std::uint64_t CarriedMainExeVersion()
{
    return FileVersionOf(QLX_VERSION_MAJOR << 16 | QLX_VERSION_MINOR,
                         QLX_VERSION_PATCH << 16 | QLX_VERSION_BUILD);
}

std::uint64_t ReadInstalledVersion(const char *path)
{
    std::uint64_t version = 0;
    DWORD handle = 0;
    DWORD cb = sys.GetFileVersionInfoSizeA(path, &handle);
    if (cb == 0)
        return 0;
    void *block = sys.malloc(cb);
    if (!block)
        return 0;
    VS_FIXEDFILEINFO *fixed = nullptr;
    UINT cbFixed = 0;
    if (sys.GetFileVersionInfoA(path, 0, cb, block) &&
        sys.VerQueryValueA(block, "\\", reinterpret_cast<void **>(&fixed), &cbFixed) && fixed &&
        cbFixed >= sizeof *fixed) {
        version = FileVersionOf(fixed->dwFileVersionMS, fixed->dwFileVersionLS);
    }
    sys.free(block);
    return version;
}

// Logs the installed version beside the carried one, as "a.b.c.d".
static void LogVersions(std::uint64_t installed, std::uint64_t carried, const char *verdict)
{
    char text[2][48];
    for (int i = 0; i < 2; ++i) {
        std::uint64_t v = i == 0 ? installed : carried;
        text[i][0] = '\0';
        for (int field = 3; field >= 0; --field) {
            AppendDecimal(text[i], sizeof text[i], (v >> (16 * field)) & 0xFFFF, false);
            if (field)
                AppendText(text[i], sizeof text[i], ".");
        }
    }
    LogLine({"Installed ", kMainExeName, " ", text[0], ", carried ", text[1], ": ", verdict});
}

// Schedules the staged copy to replace the main executable when Windows next starts, before any
// program can open it again: what another program holds open cannot be renamed over now.
static MainExeOutcome ReplaceAtRestart(const InstallPlan &plan, const char *staged)
{
    // That needs administrator rights: one user's installation says the file is in use.
    if (!ForTheMachine(plan.mode)) {
        ReportSystemError(plan.mode.talk, ERROR_SHARING_VIOLATION, errcode::kMainExeMoveFailed);
        return MainExeOutcome::kFailed;
    }
    if (!sys.MoveFileExA(staged, plan.mainExePath,
                         MOVEFILE_DELAY_UNTIL_REBOOT | MOVEFILE_REPLACE_EXISTING)) {
        ReportSystemError(plan.mode.talk, sys.GetLastError(), errcode::kMainExeMoveFailed);
        return MainExeOutcome::kFailed;
    }
    LogLine({plan.mainExePath, " is held open by another program: ", staged,
             " replaces it when Windows restarts"});
    return MainExeOutcome::kScheduled;
}

MainExeOutcome ReplaceMainExecutable(const InstallPlan &plan)
{
    FileUse use = ProbeInUse(sys, plan.mainExePath);
    if (use == FileUse::kRunning)
        return MainExeOutcome::kRunning;
    if (use != FileUse::kAbsent) {
        std::uint64_t installed = ReadInstalledVersion(plan.mainExePath);
        std::uint64_t carried = CarriedMainExeVersion();
        switch (DecideInstalledVersion(installed, carried)) {
        case InstalledVersionVerdict::kNewerPresent:
            LogVersions(installed, carried, "newer, left alone");
            return MainExeOutcome::kNewerPresent;
        case InstalledVersionVerdict::kUnidentifiedReplace:
            ReportError(plan.mode.talk, "The installed copy of Quillarix could not be identified.  "
                        "It will be replaced.",
                        errcode::kMainExeUnidentified);
            break;
        case InstalledVersionVerdict::kRepair:
            LogVersions(installed, carried, "the same, repaired");
            break;
        case InstalledVersionVerdict::kUpgrade:
            LogVersions(installed, carried, "older, upgraded");
            break;
        }
    }

    DWORD error = 0;
    if (!ExpandPayload(IDF_MAIN_EXE, plan.workFolder, plan.installFolder, kStagingImageName, &error)) {
        ReportSystemError(plan.mode.talk, error, errcode::kMainExeExpandFailed);
        return MainExeOutcome::kFailed;
    }
    char staged[kCbPath];
    if (!JoinPath(staged, sizeof staged, plan.installFolder, kStagingImageName)) {
        ReportSystemError(plan.mode.talk, ERROR_FILENAME_EXCED_RANGE, errcode::kMainExeMoveFailed);
        return MainExeOutcome::kFailed;
    }
    // One rename replaces the old copy: there is no moment without one. A
    // read-only old copy refuses it on Windows (code 37) and stays; the
    // attribute is asked first, since Wine would let the rename through.
    if (IsReadOnlyFile(plan.mainExePath)) {
        ReportSystemError(plan.mode.talk, ERROR_ACCESS_DENIED, errcode::kMainExeMoveFailed);
        return MainExeOutcome::kFailed;
    }
    if (use == FileUse::kHeldElsewhere)
        return ReplaceAtRestart(plan, staged);
    // A hold that began after the probe is waited out as briefly; one that
    // lasts, by anything but a running copy, is another program's.
    if (!RetryWhileHeld(sys, plan.mainExePath, &error, [&] {
            return sys.MoveFileExA(staged, plan.mainExePath,
                                   MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
        })) {
        if (error == ERROR_SHARING_VIOLATION && !IsAppRunning(sys, plan.mainExePath))
            return ReplaceAtRestart(plan, staged);
        ReportSystemError(plan.mode.talk, error, errcode::kMainExeMoveFailed);
        return MainExeOutcome::kFailed;
    }
    LogLine({"Renamed ", staged, " to ", plan.mainExePath});
    return MainExeOutcome::kInstalled;
}

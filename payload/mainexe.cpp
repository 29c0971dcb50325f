// Replacing Quillarix.exe in the install folder.
#include "payload/mainexe.h"

#include "base/errors.h"
#include "base/fileuse.h"
#include "base/pathtext.h"
#include "base/product.h"
#include "base/report.h"
#include "base/plan.h"
#include "base/syscalls.h"
#include "payload/catalogue.h"
#include "payload/store.h"
#include "payload/version_rule.h"

void ReadInstalledVersion(const char *path, std::uint32_t *major, std::uint32_t *low)
{
    *major = 0;
    *low = 0;
    DWORD handle = 0;
    DWORD cb = sys.GetFileVersionInfoSizeA(path, &handle);
    if (cb == 0)
        return;
    void *block = sys.malloc(cb);
    if (!block)
        return;
    VS_FIXEDFILEINFO *fixed = nullptr;
    UINT cbFixed = 0;
    if (sys.GetFileVersionInfoA(path, 0, cb, block) &&
        sys.VerQueryValueA(block, "\\", reinterpret_cast<void **>(&fixed), &cbFixed) && fixed &&
        cbFixed >= sizeof *fixed) {
        *major = HIWORD(fixed->dwFileVersionMS);
        *low = fixed->dwFileVersionLS;
    }
    sys.free(block);
}

MainExeOutcome ReplaceMainExecutable(const InstallPlan &plan)
{
    FileUse use = ProbeInUse(sys, plan.mainExePath);
    if (use == FileUse::kHeldElsewhere)
        return MainExeOutcome::kRunning;
    if (use == FileUse::kPresent) {
        std::uint32_t major, low;
        ReadInstalledVersion(plan.mainExePath, &major, &low);
        switch (DecideInstalledVersion(major, low)) {
        case InstalledVersionVerdict::kNewerPresent:
            return MainExeOutcome::kNewerPresent;
        case InstalledVersionVerdict::kUnidentifiedReplace:
            ReportError(plan.silent, "The installed copy of Quillarix could not be identified.  "
                        "It will be replaced.",
                        errcode::kMainExeUnidentified);
            break;
        case InstalledVersionVerdict::kReplace:
            break;
        }
    }

    DWORD error = 0;
    if (!ExpandPayload(IDF_MAIN_EXE, plan.workFolder, plan.installFolder, kStagingImageName, &error)) {
        ReportSystemError(plan.silent, error, errcode::kMainExeExpandFailed);
        return MainExeOutcome::kFailed;
    }
    char staged[kCbPath];
    if (!JoinPath(staged, sizeof staged, plan.installFolder, kStagingImageName)) {
        ReportSystemError(plan.silent, ERROR_FILENAME_EXCED_RANGE, errcode::kMainExeMoveFailed);
        return MainExeOutcome::kFailed;
    }
    // One rename replaces the old copy: there is no moment without one. A
    // read-only old copy refuses it on Windows (code 37) and stays; the
    // attribute is asked first, since Wine would let the rename through.
    if (IsReadOnlyFile(plan.mainExePath)) {
        ReportSystemError(plan.silent, ERROR_ACCESS_DENIED, errcode::kMainExeMoveFailed);
        return MainExeOutcome::kFailed;
    }
    if (!sys.MoveFileExA(staged, plan.mainExePath,
                         MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        ReportSystemError(plan.silent, sys.GetLastError(), errcode::kMainExeMoveFailed);
        return MainExeOutcome::kFailed;
    }
    LogLine({"Renamed ", staged, " to ", plan.mainExePath});
    return MainExeOutcome::kInstalled;
}

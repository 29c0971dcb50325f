// The loop that installs the manifest rows, and the room they need.
#include "payload/manifest.h"

#include "base/pathtext.h"
#include "install/plan.h"
#include "install/report.h"
#include "base/product.h"
#include "install/syscalls.h"
#include "base/catalogue.h"
#include "payload/store.h"

// A target that is read-only already, from an earlier installation or the
// user, is kept as it is. Decided from its attributes before writing.
static bool IsKeptReadOnly(const char *folder, const char *name)
{
    char target[kCbPath];
    return JoinPath(target, sizeof target, folder, name) && IsReadOnlyFile(target);
}

bool InstallManifest(const InstallPlan &plan, const ManifestRow **failed, DWORD *error)
{
    const char *folder = plan.installFolder;
    *failed = nullptr;
    *error = 0;
    for (const ManifestRow &row : kManifest) {
        if (IsKeptReadOnly(folder, row.fileName))
            continue;
        bool written = row.method == InstallMethod::kExpand
                           ? ExpandPayload(row.resourceId, plan.workFolder, folder, row.fileName, error)
                           : WriteRaw(row.resourceId, folder, row.fileName, row.readOnly, error);
        if (!written) {
            *failed = &row;
            return false;
        }
        StepDone(plan.progress);
    }
    return true;
}

// Space counts in whole clusters; 4 KB is the common cluster size.
static ULONGLONG InClusters(ULONGLONG cb)
{
    constexpr ULONGLONG kCluster = 4096;
    return (cb + kCluster - 1) / kCluster * kCluster;
}

// Adds what writing resource id as folder\name needs to *sum: its size, less the file it replaces.
// The staging copy of the largest file sits beside its old version for a moment: *largest.
static void AddFile(const char *folder, WORD id, const char *name, bool keepReadOnly,
                    ULONGLONG *sum, ULONGLONG *freed, ULONGLONG *largest)
{
    DWORD cb = 0;
    char target[kCbPath];
    if (!PayloadInstalledSize(id, &cb) || !JoinPath(target, sizeof target, folder, name))
        return;  // such a file fails when written, and says so then
    WIN32_FILE_ATTRIBUTE_DATA old;
    if (sys.GetFileAttributesExA(target, GetFileExInfoStandard, &old) &&
        !(old.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
        if (keepReadOnly && (old.dwFileAttributes & FILE_ATTRIBUTE_READONLY))
            return;
        *freed += InClusters(ULONGLONG(old.nFileSizeHigh) << 32 | old.nFileSizeLow);
    }
    *sum += InClusters(cb);
    if (InClusters(cb) > *largest)
        *largest = InClusters(cb);
}

ULONGLONG BytesToInstall(const char *folder)
{
    ULONGLONG sum = 0, freed = 0, largest = 0;
    AddFile(folder, IDF_MAIN_EXE, kMainExeName, false, &sum, &freed, &largest);
    for (const ManifestRow &row : kManifest)
        AddFile(folder, row.resourceId, row.fileName, true, &sum, &freed, &largest);
    return (sum > freed ? sum - freed : 0) + largest;
}

unsigned long long InstalledBytes()
{
    ULONGLONG sum = 0;
    DWORD cb = 0;
    for (const ManifestRow &row : kManifest)
        sum += PayloadInstalledSize(row.resourceId, &cb) ? cb : 0;
    static const WORD kPrograms[] = {IDF_MAIN_EXE, IDF_UNINSTALLER};
    for (WORD id : kPrograms)
        sum += PayloadInstalledSize(id, &cb) ? cb : 0;
    return sum;
}

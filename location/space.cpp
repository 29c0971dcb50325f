// Whether the install folder's drive has room for the installation: asked
// when Install is pressed, before anything is written, so that a full disk
// is met in the location dialog and not halfway through the files.
#include "location/location.h"

#include "base/errors.h"
#include "base/pathtext.h"
#include "base/product.h"
#include "base/report.h"
#include "base/syscalls.h"

bool HasRoomToInstall(const char *folder, ULONGLONG cbNeeded, bool silent)
{
    // The folder exists (validation made it); a trailing backslash lets a
    // drive root ("C:") be asked too.
    char asked[kCbPath];
    ULARGE_INTEGER cbFree, cbTotal;
    if (!JoinPath(asked, sizeof asked, folder, "") ||
        !sys.GetDiskFreeSpaceExA(asked, &cbFree, &cbTotal, nullptr))
        return true;  // no answer is no ground to refuse; a failed write says so later
    if (cbFree.QuadPart >= cbNeeded)
        return true;
    constexpr ULONGLONG kKilobyte = 1024;
    char text[kCbPath] = "There is not enough free space on this drive to install " QLX_PRODUCT
                         ".  Needed: ";
    AppendDecimal(text, sizeof text, (cbNeeded + kKilobyte - 1) / kKilobyte, true);
    AppendText(text, sizeof text, " KB.  Free: ");
    AppendDecimal(text, sizeof text, cbFree.QuadPart / kKilobyte, true);
    AppendText(text, sizeof text, " KB.");
    ReportError(silent, text, errcode::kNotEnoughSpace);
    return false;
}

// Error codes: the short texts shown in a message box's caption that name the
// exact place of a failure. Codes are only shown, never computed with.
#pragma once

#define QLX_ERROR_CODES(X)                                                                      \
    X(kSettingsKeyStartup, "1") X(kCannotProceed, "1A") X(kNoWindowsFolder, "2")                \
    X(kNoTempFolder, "3") X(kMainExeRunning, "4") X(kMainExeNewer, "5")                         \
    X(kAppPathsFailed, "8") X(kUninstallFailed, "9") X(kSettingsKeyInstallFolder, "10")         \
    X(kInvalidDrive, "11") X(kRemovableDrive, "12") X(kNotAFolder, "13")                        \
    X(kFolderReadOnly, "14") X(kInvalidFolder, "15") X(kCannotCreateFolder, "16")               \
    X(kMainExeUnidentified, "17") X(kSettingsKeySetupPath, "22") X(kFolderTooLong, "27")        \
    X(kMainExeExpandFailed, "34") X(kMainExeMoveFailed, "37") X(kCannotInitialize, "43")        \
    X(kFileWriteFailed, "44") X(kNotEnoughSpace, "45") X(kPendingDeletions, "46")               \
    X(kAnotherRun, "47") X(kRunLockFailed, "48") X(kNoWorkFolder, "49") X(kFolderIsLink, "50")  \
    X(kFolderOpenToUsers, "51") X(kFolderBeyondCodePage, "52") X(kOtherScopeInstalled, "53")    \
    X(kSystemAlone, "54") X(kNotElevated, "55")

namespace errcode {
#define QLX_ERROR_CODE(name, text) inline constexpr char name[] = text;
QLX_ERROR_CODES(QLX_ERROR_CODE)
#undef QLX_ERROR_CODE
}  // namespace errcode

// Both programs say this where the lock against a second instance cannot
// be taken for another reason than that one holds it.
inline constexpr char kRunLockFailedText[] =
    "Unable to make sure that no other Quillarix setup or removal is running.";
// A folder typed or given whose name has characters that the programs' code page (the system's,
// before Windows 10 1903) cannot hold: they arrive as question marks.
inline constexpr char kFolderBeyondCodePageText[] =
    "The folder name has characters that this version of Windows cannot pass to the setup; "
    "they arrive as question marks.  Choose a folder whose name uses the characters of the "
    "system's language.";
// Both programs say this to a second instance.
inline constexpr char kAnotherRunText[] =
    "Another Quillarix setup or removal is running.  Wait until it has finished, then try again.";

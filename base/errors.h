// Error codes: the short texts shown in a message box's caption that name the
// exact place of a failure. Codes are only shown, never computed with.
#pragma once

namespace errcode {
inline constexpr char kSettingsKeyStartup[] = "1";
inline constexpr char kCannotProceed[] = "1A";
inline constexpr char kNoWindowsFolder[] = "2";
inline constexpr char kNoTempFolder[] = "3";
inline constexpr char kMainExeRunning[] = "4";
inline constexpr char kMainExeNewer[] = "5";
inline constexpr char kAppPathsFailed[] = "8";
inline constexpr char kUninstallFailed[] = "9";
inline constexpr char kSettingsKeyInstallFolder[] = "10";
inline constexpr char kInvalidDrive[] = "11";
inline constexpr char kRemovableDrive[] = "12";
inline constexpr char kNotAFolder[] = "13";
inline constexpr char kFolderReadOnly[] = "14";
inline constexpr char kInvalidFolder[] = "15";
inline constexpr char kCannotCreateFolder[] = "16";
inline constexpr char kMainExeUnidentified[] = "17";
inline constexpr char kSettingsKeySetupPath[] = "22";
inline constexpr char kFolderTooLong[] = "27";
inline constexpr char kMainExeExpandFailed[] = "34";
inline constexpr char kMainExeMoveFailed[] = "37";
inline constexpr char kCannotInitialize[] = "43";
inline constexpr char kFileWriteFailed[] = "44";
inline constexpr char kNotEnoughSpace[] = "45";
inline constexpr char kPendingDeletions[] = "46";
inline constexpr char kAnotherRun[] = "47";
inline constexpr char kRunLockFailed[] = "48";
inline constexpr char kNoWorkFolder[] = "49";
inline constexpr char kFolderIsLink[] = "50";
inline constexpr char kFolderOpenToUsers[] = "51";
}  // namespace errcode

// Both programs say this where the lock against a second instance cannot
// be taken for another reason than that one holds it.
inline constexpr char kRunLockFailedText[] =
    "Unable to make sure that no other Quillarix setup or removal is running.";
// Both programs say this to a second instance.
inline constexpr char kAnotherRunText[] =
    "Another Quillarix setup or removal is running.  Wait until it has finished, then try again.";

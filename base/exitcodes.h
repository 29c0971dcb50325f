// The exit codes of the setup and the uninstaller, in either mode: the
// numbers that deployment tools already read from Windows Installer
// packages, so that they tell the outcome without being taught ours.
#pragma once

namespace exitcode {
inline constexpr int kDone = 0;
inline constexpr int kCancelled = 1602;       // the user cancelled or declined
inline constexpr int kFailed = 1603;          // failed; the log and the message say why
inline constexpr int kNotInstalled = 1605;    // the uninstaller found no installation to remove
inline constexpr int kBusy = 1618;            // another Quillarix setup or removal is running
inline constexpr int kNewerInstalled = 1638;  // a newer Quillarix is installed: nothing changed
inline constexpr int kBadCommandLine = 1639;  // an argument neither program knows
// Quillarix is running and was not closed: nothing changed. Windows
// Installer has no number of its own for it; this is the system's for a
// file "being used by another process" (ERROR_SHARING_VIOLATION).
inline constexpr int kInUse = 32;
inline constexpr int kRestartNeeded = 3010;   // done; restarting Windows completes it
}  // namespace exitcode

// The product's compiled-in names and the registry keys it owns. The setup, the uninstaller and the
// tests all read them from here: the uninstaller must remove exactly what the setup writes. The
// names and the version come from cmake/product_names.cmake (through the generated
// product_names.h); the longer texts are joined from them at compile time, so that each name is
// spelled once. The resource scripts read the macros too (for the version resources).
#pragma once
#include "base/product_names.h"

#define QLX_MAIN_EXE QLX_PRODUCT ".exe"
#define QLX_VENDOR_KEY "Software\\" QLX_VENDOR
#define QLX_APP_PATHS_KEY "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths"
#define QLX_UNINSTALL_KEY "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall"
#define QLX_SETTINGS_KEY QLX_VENDOR_KEY "\\" QLX_PRODUCT "\\Settings"
#define QLX_APP_PATHS_ENTRY QLX_APP_PATHS_KEY "\\" QLX_MAIN_EXE
#define QLX_UNINSTALL_ENTRY QLX_UNINSTALL_KEY "\\" QLX_PRODUCT

#ifndef RC_INVOKED

inline constexpr char kProductName[] = QLX_PRODUCT;
inline constexpr unsigned kProductVersionMajor = QLX_VERSION_MAJOR;
inline constexpr unsigned kProductVersionMinor = QLX_VERSION_MINOR;
inline constexpr char kProductNameUpper[] = QLX_PRODUCT_UPPER;
inline constexpr char kProductFolder[] = "\\" QLX_PRODUCT;
inline constexpr char kMainExeName[] = QLX_MAIN_EXE;
inline constexpr char kUninstallerName[] = QLX_UNINSTALLER_EXE;
inline constexpr char kLinkName[] = "\\" QLX_PRODUCT ".lnk";  // appended to a shell folder
inline constexpr char kLinkDescription[] = "Shortcut to " QLX_PRODUCT;
inline constexpr char kStagingDataName[] = "data.tmp";  // in the run's private folder
inline constexpr char kStagingImageName[] = "image.tmp";
// Every file is written under this name in its own folder, then renamed over its target when whole.
inline constexpr char kStagingFileName[] = "qlxnew.tmp";

// Per user, under HKEY_CURRENT_USER: the vendor's key, the product's key
// below it and the settings key with the values `Installed` and `Path`.
inline constexpr char kVendorKey[] = QLX_VENDOR_KEY;
inline constexpr char kProductKey[] = QLX_VENDOR_KEY "\\" QLX_PRODUCT;
inline constexpr char kSettingsKey[] = QLX_SETTINGS_KEY;

// Machine-wide, under HKEY_LOCAL_MACHINE: the entry Quillarix.exe under App Paths and the entry
// Quillarix under Uninstall (the system's list of installed programs).
inline constexpr char kAppPathsKey[] = QLX_APP_PATHS_KEY;
inline constexpr char kAppPathsEntry[] = QLX_APP_PATHS_ENTRY;
inline constexpr char kUninstallKey[] = QLX_UNINSTALL_KEY;
inline constexpr char kUninstallEntry[] = QLX_UNINSTALL_ENTRY;
// The deletions and renames that Windows carries out when it next starts
// (REG_MULTI_SZ pairs of "\??\path" and a target, empty for a deletion).
inline constexpr char kSessionManagerKey[] = "System\\CurrentControlSet\\Control\\Session Manager";
inline constexpr char kPendingRenamesValue[] = "PendingFileRenameOperations";
// One Quillarix setup or removal at a time, across every session: both
// programs hold a file of this name in the Windows folder while they run.
inline constexpr char kRunLockName[] = QLX_VENDOR "." QLX_PRODUCT ".SetupOrRemoval.lock";
// The logs a silent run writes in the temp folder when not told where.
#define QLX_SETUP_LOG QLX_PRODUCT "Setup.log"
#define QLX_UNINSTALL_LOG QLX_PRODUCT "Uninstall.log"
inline constexpr char kSetupLogName[] = QLX_SETUP_LOG;
inline constexpr char kUninstallLogName[] = QLX_UNINSTALL_LOG;
inline constexpr char kUninstallDisplayName[] = QLX_DISPLAY_NAME;
#endif  // RC_INVOKED

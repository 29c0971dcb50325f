// Main executable replacement: refuse a running or newer copy, else expand
// the new one beside it as "image.tmp" and swap it in with a rename.
#pragma once
#include "install/plan.h"

#include <cstdint>

enum class MainExeOutcome { kInstalled, kRunning, kNewerPresent, kFailed };

// The version of the Quillarix.exe the setup carries (its version resource
// is the product's), in the form of FileVersionOf.
std::uint64_t CarriedMainExeVersion();

// Reads the fixed version record of the file at path: its four fields, as
// FileVersionOf puts them in one number. 0 on any failure.
std::uint64_t ReadInstalledVersion(const char *path);

// Installs resource 106 as the plan's main executable. Reports
// codes "17", "34" and "37" itself; the caller reports running and newer
// present and removes "image.tmp" when the outcome is not installed.
MainExeOutcome ReplaceMainExecutable(const InstallPlan &plan);

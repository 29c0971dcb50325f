// Main executable replacement: refuse a running or newer copy, else expand
// the new one beside it as "image.tmp" and swap it in with a rename, or
// where another program holds the old one open, when Windows restarts.
#pragma once
#include "install/plan.h"

#include <cstdint>

enum class MainExeOutcome { kInstalled, kScheduled, kRunning, kNewerPresent, kFailed };

// Told after the main executable's path when its replacement waits for the restart.
inline constexpr char kReplacedAtRestartText[] =
    " is open in another program.  Quillarix is installed, and this file is replaced when "
    "Windows restarts.";

// The version of the Quillarix.exe the setup carries (its version resource
// is the product's), in the form of FileVersionOf.
std::uint64_t CarriedMainExeVersion();

// Reads the fixed version record of the file at path: its four fields, as
// FileVersionOf puts them in one number. 0 on any failure.
std::uint64_t ReadInstalledVersion(const char *path);

// Installs resource 106 as the plan's main executable. Reports
// codes "17", "34" and "37" itself; the caller reports running and newer
// present and removes "image.tmp" when the outcome is neither installed nor
// scheduled (the rename at the restart takes "image.tmp" in its place).
MainExeOutcome ReplaceMainExecutable(const InstallPlan &plan);

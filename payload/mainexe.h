// Main executable replacement: refuse a running or newer copy, else expand
// the new one beside it as "image.tmp" and swap it in with a rename.
#pragma once
#include "base/plan.h"

#include <cstdint>

enum class MainExeOutcome { kInstalled, kRunning, kNewerPresent, kFailed };

// Reads the fixed version record of the file at path: *major is the upper
// 16 bits of dwFileVersionMS, *low is dwFileVersionLS. Both 0 on any failure.
void ReadInstalledVersion(const char *path, std::uint32_t *major, std::uint32_t *low);

// Installs resource 106 as the plan's main executable. Reports
// codes "17", "34" and "37" itself; the caller reports running and newer
// present and removes "image.tmp" when the outcome is not installed.
MainExeOutcome ReplaceMainExecutable(const InstallPlan &plan);

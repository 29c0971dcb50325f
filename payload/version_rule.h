// The version decision for an installed main executable, free of the system.
#pragma once
#include <cstdint>

enum class InstalledVersionVerdict {
    kReplace,              // 1.x.0.0: replace silently
    kUnidentifiedReplace,  // no version or a major version other than 1: say so, replace
    kNewerPresent,         // 1.x with a nonzero low double word: leave it
};

// major: upper 16 bits of dwFileVersionMS; low: dwFileVersionLS. Both are 0
// when the file has no version information.
InstalledVersionVerdict DecideInstalledVersion(std::uint32_t major, std::uint32_t low);

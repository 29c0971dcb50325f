// The version decision for an installed main executable, free of the system.
#pragma once
#include <cstdint>

enum class InstalledVersionVerdict {
    kRepair,               // the same version: reinstalled as it is
    kUpgrade,              // an older version: replaced
    kUnidentifiedReplace,  // no version information: say so, replace
    kNewerPresent,         // a newer version: left alone, nothing is changed
};

// A file version's four fields in one number, dwFileVersionMS above
// dwFileVersionLS, so that numbers compare as versions do.
constexpr std::uint64_t FileVersionOf(std::uint32_t ms, std::uint32_t ls)
{
    return static_cast<std::uint64_t>(ms) << 32 | ls;
}

// installed: the installed file's version, 0 when it has no version information (a 0.0.0.0 counts
// as none); carried: the version of the file the setup carries. Compares all four fields.
InstalledVersionVerdict DecideInstalledVersion(std::uint64_t installed, std::uint64_t carried);

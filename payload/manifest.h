// The install manifest: the application's data files, in the order in which they are written into
// the install folder (the catalogue's manifest rows). No windows.h here: the rows are read by
// system-free code too (the error number below is a DWORD).
#pragma once
#include "base/catalogue.h"

#include <cstddef>
#include <cstdint>

enum class InstallMethod { kExpand, kWriteRaw };

struct ManifestRow {
    std::uint16_t resourceId;
    const char *fileName;
    InstallMethod method;
    bool readOnly;  // only for write raw
};

#define QLX_PAYLOAD_COUNT(symbol, id, name, method, readOnly, source) +1
inline constexpr std::size_t kManifestRows = 0 QLX_PAYLOAD_MANIFEST(QLX_PAYLOAD_COUNT);
#undef QLX_PAYLOAD_COUNT

extern const ManifestRow kManifest[kManifestRows];

// Writes the rows into the plan's install folder in order, each whole or not at all, expanding
// through its private work folder. A target that is read-only already is kept as it is. Stops at
// the first row that cannot be written: false, with *failed naming it and *error the system error
// (0 when there was none); the earlier rows are written, that row's target and later ones not.
struct InstallPlan;
bool InstallManifest(const InstallPlan &plan, const ManifestRow **failed, unsigned long *error);

// The bytes that installing the main executable and the rows into folder needs free on its drive:
// every file in whole 4 KB clusters, less the files it replaces (kept read-only files count for
// nothing), plus room for the largest file's staging copy.
unsigned long long BytesToInstall(const char *folder);

// The bytes that the installed files take: the rows, the main executable
// and the uninstaller, as expanded.
unsigned long long InstalledBytes();

// The install manifest: the application's data files, in the order in which
// they are written into the install folder.
#pragma once
#include <cstddef>
#include <cstdint>

enum class InstallMethod { kExpand, kWriteRaw };

struct ManifestRow {
    std::uint16_t resourceId;
    const char *fileName;
    InstallMethod method;
    bool readOnly;  // only for write raw
};

extern const ManifestRow kManifest[29];

// Writes every row into folder; a row that fails is skipped silently.
void InstallManifest(const char *folder);

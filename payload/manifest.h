// The install manifest: the application's data files, in the order in which
// they are written into the install folder (the catalogue's manifest rows).
#pragma once
#include "payload/catalogue.h"

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

// Writes every row into folder; a row that fails is skipped silently.
void InstallManifest(const char *folder);

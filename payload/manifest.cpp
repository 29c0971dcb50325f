// The loop that installs the manifest rows.
#include "payload/manifest.h"

#include "payload/store.h"

void InstallManifest(const char *folder)
{
    for (const ManifestRow &row : kManifest) {
        if (row.method == InstallMethod::kExpand)
            ExpandPayload(row.resourceId, folder, row.fileName);
        else
            WriteRaw(row.resourceId, folder, row.fileName, row.readOnly);
    }
}

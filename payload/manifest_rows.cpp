// The manifest rows, drawn from the catalogue (which the uninstaller reads
// too, to know what to remove). Free of the system.
#include "payload/manifest.h"

#include "base/product.h"

#include <string_view>

#define QLX_METHOD_expand InstallMethod::kExpand
#define QLX_METHOD_raw InstallMethod::kWriteRaw
#define QLX_READ_ONLY_yes true
#define QLX_READ_ONLY_no false
#define QLX_MANIFEST_ROW(symbol, id, name, method, readOnly, source) \
    {symbol, name, QLX_METHOD_##method, QLX_READ_ONLY_##readOnly},

const ManifestRow kManifest[kManifestRows] = {QLX_PAYLOAD_MANIFEST(QLX_MANIFEST_ROW)};

// The programs' rows name the files that the code knows by the product's
// names; the two must not drift apart.
#define QLX_PROGRAM_NAME(symbol, id, name, method, readOnly, source) name,
constexpr std::string_view kProgramNames[] = {QLX_PAYLOAD_PROGRAMS(QLX_PROGRAM_NAME)};
static_assert(kProgramNames[0] == kMainExeName && kProgramNames[1] == kUninstallerName,
              "the catalogue names the programs as the product does, main executable first");

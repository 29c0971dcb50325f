// Taking the setup's own paths out of the deletions that Windows carries
// out when it next starts. A removal of Quillarix schedules the files it
// found in use (and the install folder after them); a reinstallation before
// the restart would otherwise lose the very files it writes then. Entries
// that name anything else are left exactly as they are.
#include "payload/pending.h"

#include "base/pathtext.h"
#include "base/product.h"
#include "base/syscalls.h"
#include "payload/catalogue.h"
#include "registration/registry.h"

#include <cstring>

namespace {

// The names the setup writes into the install folder (the manifest's, the
// programs' and the staging files'), and into the Windows folder.
#define QLX_NAME(symbol, id, name, method, readOnly, source) name,
constexpr const char *kFolderNames[] = {QLX_PAYLOAD_MANIFEST(QLX_NAME) QLX_PAYLOAD_PROGRAMS(
    QLX_NAME) kStagingFileName, kStagingImageName};
#undef QLX_NAME
constexpr const char *kWindowsNames[] = {kUninstallerName, kStagingFileName};

// The path an entry names: without the "!" that marks a replacing rename
// and the "\??\" prefix of a native path.
const char *EntryPath(const char *entry)
{
    if (entry[0] == '!')
        ++entry;
    return std::strncmp(entry, "\\??\\", 4) == 0 ? entry + 4 : entry;
}

// True when path is folder itself (if folderItself), or one of names in it.
template <std::size_t N>
bool NamesIn(const char *path, const char *folder, bool folderItself,
             const char *const (&names)[N])
{
    std::size_t cchFolder = std::strlen(folder);
    if (cchFolder == 0 || cchFolder >= kCbPath)
        return false;
    char prefix[kCbPath];
    CopyText(prefix, sizeof prefix, path);
    if (std::strlen(prefix) < cchFolder)
        return false;
    prefix[cchFolder] = '\0';
    if (sys.lstrcmpiA(prefix, folder) != 0)
        return false;
    const char *rest = path + cchFolder;
    if (*rest == '\0' || (rest[0] == '\\' && rest[1] == '\0'))
        return folderItself;
    if (*rest != '\\' && folder[cchFolder - 1] != '\\')
        return false;
    if (*rest == '\\')
        ++rest;
    for (const char *name : names)
        if (sys.lstrcmpiA(rest, name) == 0)
            return true;
    return false;
}

bool IsOurs(const char *entry, const char *installFolder, const char *windowsFolder)
{
    const char *path = EntryPath(entry);
    return NamesIn(path, installFolder, true, kFolderNames) ||
           NamesIn(path, windowsFolder, false, kWindowsNames);
}

// Writes the kept entries back (or deletes the value when none is left).
bool Rewrite(const char *kept, DWORD cbKept)
{
    HKEY key;
    if (CreateOrOpenKey(HKEY_LOCAL_MACHINE, kSessionManagerKey, kAccessReadWrite, &key) !=
        ERROR_SUCCESS)
        return false;
    LONG status = cbKept > 1 ? sys.RegSetValueExA(key, kPendingRenamesValue, 0, REG_MULTI_SZ,
                                                  reinterpret_cast<const BYTE *>(kept), cbKept)
                             : sys.RegDeleteValueA(key, kPendingRenamesValue);
    CloseKey(key);
    return status == ERROR_SUCCESS || (cbKept <= 1 && status == ERROR_FILE_NOT_FOUND);
}

}  // namespace

bool ClearPendingDeletions(const char *installFolder, const char *windowsFolder)
{
    HKEY key;
    if (CreateOrOpenKey(HKEY_LOCAL_MACHINE, kSessionManagerKey, KEY_READ, &key) != ERROR_SUCCESS)
        return true;  // nothing to be read is nothing to be taken out
    DWORD type = REG_NONE, cb = 0;
    LONG status = sys.RegQueryValueExA(key, kPendingRenamesValue, nullptr, &type, nullptr, &cb);
    char *entries = nullptr;
    if (status == ERROR_SUCCESS && type == REG_MULTI_SZ && cb > 0) {
        // Room for two more zeros: a value stored without its closing ones.
        entries = static_cast<char *>(sys.malloc(cb + 2));
        if (entries)
            status = sys.RegQueryValueExA(key, kPendingRenamesValue, nullptr, &type,
                                          reinterpret_cast<BYTE *>(entries), &cb);
    }
    CloseKey(key);
    if (!entries)
        return true;
    char *kept = static_cast<char *>(sys.malloc(cb + 2));
    if (status != ERROR_SUCCESS || !kept) {
        sys.free(kept);
        sys.free(entries);
        return true;
    }
    entries[cb] = entries[cb + 1] = '\0';
    // Pairs of source and target; a deletion's target is an empty text, so
    // the value is walked by its length, not to its first empty text.
    DWORD cbKept = 0;
    bool dropped = false;
    for (DWORD at = 0; at < cb;) {
        const char *source = entries + at;
        DWORD cbSource = static_cast<DWORD>(std::strlen(source)) + 1;
        if (cbSource == 1 && at + 1 >= cb)
            break;  // the closing zero
        const char *target = source + cbSource;
        DWORD cbTarget = at + cbSource < cb ? static_cast<DWORD>(std::strlen(target)) + 1 : 1;
        if (IsOurs(source, installFolder, windowsFolder) ||
            (cbTarget > 1 && IsOurs(target, installFolder, windowsFolder))) {
            dropped = true;
        } else {
            std::memcpy(kept + cbKept, source, cbSource + cbTarget);
            cbKept += cbSource + cbTarget;
        }
        at += cbSource + cbTarget;
    }
    kept[cbKept++] = '\0';
    bool cleared = !dropped || Rewrite(kept, cbKept);
    sys.free(kept);
    sys.free(entries);
    return cleared;
}

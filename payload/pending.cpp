// Taking the setup's own paths out of the deletions that Windows carries out when it next starts. A
// removal of Quillarix schedules the files it found in use (and the install folder after them); a
// reinstallation before the restart would otherwise lose the very files it writes then. Entries
// that name anything else are left exactly as they are.
#include "payload/pending.h"

#include "base/pathtext.h"
#include "base/product.h"
#include "install/syscalls.h"
#include "base/catalogue.h"
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

// The value is read and written in UTF-16, so that other programs' entries go back unit for unit:
// through the 8-bit calls a character outside the code page would come back as '?' or a neighbour,
// and its entry would act on another file at the next start.

int WideLength(const WCHAR *text)
{
    int cch = 0;
    while (text[cch] != 0)
        ++cch;
    return cch;
}

// An ASCII constant (a file name of the setup's) as UTF-16 into wide
// (cchWide units); false when it does not fit.
bool WidenName(const char *name, WCHAR *wide, int cchWide)
{
    int i = 0;
    for (; name[i] != '\0'; ++i) {
        if (i + 1 >= cchWide)
            return false;
        wide[i] = static_cast<unsigned char>(name[i]);
    }
    wide[i] = 0;
    return true;
}

// Whether the cchA units of a name the same as the cchB of b, as the file
// system compares names: ordinal, ignoring case.
bool SameName(const WCHAR *a, int cchA, const WCHAR *b, int cchB)
{
    return sys.CompareStringOrdinal(a, cchA, b, cchB, TRUE) == CSTR_EQUAL;
}

// The path an entry names: without the "!" that marks a replacing rename
// and the "\??\" prefix of a native path.
const WCHAR *EntryPath(const WCHAR *entry)
{
    if (entry[0] == L'!')
        ++entry;
    bool native = entry[0] == L'\\' && entry[1] == L'?' && entry[2] == L'?' && entry[3] == L'\\';
    return native ? entry + 4 : entry;
}

// True when path is folder itself (if folderItself), or one of names in it.
template <std::size_t N>
bool NamesIn(const WCHAR *path, const WCHAR *folder, bool folderItself,
             const char *const (&names)[N])
{
    int cchFolder = WideLength(folder);
    if (cchFolder == 0 || WideLength(path) < cchFolder || !SameName(path, cchFolder, folder, cchFolder))
        return false;
    const WCHAR *rest = path + cchFolder;
    if (*rest == 0 || (rest[0] == L'\\' && rest[1] == 0))
        return folderItself;
    if (*rest != L'\\' && folder[cchFolder - 1] != L'\\')
        return false;
    if (*rest == L'\\')
        ++rest;
    WCHAR name[64];
    for (const char *candidate : names)
        if (WidenName(candidate, name, 64) && SameName(rest, -1, name, -1))
            return true;
    return false;
}

bool IsOurs(const WCHAR *entry, const WCHAR *installFolder, const WCHAR *windowsFolder)
{
    const WCHAR *path = EntryPath(entry);
    return NamesIn(path, installFolder, true, kFolderNames) ||
           NamesIn(path, windowsFolder, false, kWindowsNames);
}

// Writes the kept entries back (or deletes the value when none is left).
bool Rewrite(const WCHAR *valueName, const WCHAR *kept, DWORD cbKept)
{
    HKEY key;
    if (CreateOrOpenKey(HKEY_LOCAL_MACHINE, kSessionManagerKey, kAccessReadWrite, &key) !=
        ERROR_SUCCESS)
        return false;
    bool none = cbKept <= sizeof(WCHAR);
    LONG status = none ? sys.RegDeleteValueA(key, kPendingRenamesValue)
                       : sys.RegSetValueExW(key, valueName, 0, REG_MULTI_SZ,
                                            reinterpret_cast<const BYTE *>(kept), cbKept);
    CloseKey(key);
    return status == ERROR_SUCCESS || (none && status == ERROR_FILE_NOT_FOUND);
}

// A folder of the program's code page in UTF-16 (empty where it does not
// convert: then nothing is taken as lying in it).
void WideFolder(const char *folder, WCHAR *wide)
{
    if (sys.MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, folder, -1, wide, kCbPath) == 0)
        wide[0] = 0;
}

}  // namespace

bool ClearPendingDeletions(const char *installFolder, const char *windowsFolder)
{
    WCHAR valueName[64], install[kCbPath], windows[kCbPath];
    if (!WidenName(kPendingRenamesValue, valueName, 64))
        return false;
    WideFolder(installFolder, install);
    WideFolder(windowsFolder, windows);
    HKEY key;
    LONG status = CreateOrOpenKey(HKEY_LOCAL_MACHINE, kSessionManagerKey, KEY_READ, &key);
    if (status != ERROR_SUCCESS)
        return status == ERROR_FILE_NOT_FOUND;
    DWORD type = REG_NONE, cb = 0;
    status = sys.RegQueryValueExW(key, valueName, nullptr, &type, nullptr, &cb);
    WCHAR *entries = nullptr;
    // Room for two more zeros: a value stored without its closing ones.
    DWORD cch = cb / sizeof(WCHAR);
    bool some = status == ERROR_SUCCESS && type == REG_MULTI_SZ && cch > 0;
    if (some) {
        entries = static_cast<WCHAR *>(sys.malloc((cch + 2) * sizeof(WCHAR)));
        // A value grown since the first query gives ERROR_MORE_DATA: unread.
        status = entries ? sys.RegQueryValueExW(key, valueName, nullptr, &type,
                                                reinterpret_cast<BYTE *>(entries), &cb)
                         : ERROR_NOT_ENOUGH_MEMORY;
    }
    CloseKey(key);
    if (!some)  // no value, or one that holds no entries
        return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
    WCHAR *kept = static_cast<WCHAR *>(sys.malloc((cch + 2) * sizeof(WCHAR)));
    if (status != ERROR_SUCCESS || !kept) {
        sys.free(kept);
        sys.free(entries);
        return false;
    }
    cch = cb / sizeof(WCHAR);  // as read
    entries[cch] = entries[cch + 1] = 0;
    // Pairs of source and target; a deletion's target is an empty text, so
    // the value is walked by its length, not to its first empty text.
    DWORD cchKept = 0;
    bool dropped = false;
    for (DWORD at = 0; at < cch;) {
        const WCHAR *source = entries + at;
        DWORD cchSource = static_cast<DWORD>(WideLength(source)) + 1;
        if (cchSource == 1 && at + 1 >= cch)
            break;  // the closing zero
        const WCHAR *target = source + cchSource;
        DWORD cchTarget = at + cchSource < cch ? static_cast<DWORD>(WideLength(target)) + 1 : 1;
        if (IsOurs(source, install, windows) ||
            (cchTarget > 1 && IsOurs(target, install, windows))) {
            dropped = true;
        } else {
            std::memcpy(kept + cchKept, source, (cchSource + cchTarget) * sizeof(WCHAR));
            cchKept += cchSource + cchTarget;
        }
        at += cchSource + cchTarget;
    }
    kept[cchKept++] = 0;
    bool cleared = !dropped || Rewrite(valueName, kept, cchKept * sizeof(WCHAR));
    sys.free(kept);
    sys.free(entries);
    return cleared;
}

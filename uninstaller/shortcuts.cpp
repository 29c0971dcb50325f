// Removing the shortcuts: only shell links whose target is this installation's main executable go.
// A link of that name to another program, or a file of that name that is no link, stays; one that
// cannot be looked at is left and reported, since a shortcut of another program must never go.
#include "uninstaller/removal.h"

#include "base/libraries.h"
#include "base/pathtext.h"
#include "base/shortcut_paths.h"
#include "uninstaller/ucalls.h"

namespace {

// True when path may be there: it is, or asking failed for another reason
// than its absence (then it is looked at all the same).
bool MayBePresent(const char *path)
{
    return usys.GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES ||
           !IsAbsence(usys.GetLastError());
}

enum class LinkKind { kOurs, kForeign, kUnknown };

// Whether the file at linkPath is a shell link whose target is mainExe. A file that the shell link
// object cannot load is no link of ours; when the object cannot be made or asked, that is unknown.
LinkKind ReadLink(CoCreateInstanceFn coCreateInstance, const char *linkPath, const char *mainExe)
{
    WCHAR widePath[kCbPath], wideExe[kCbPath];
    if (!usys.MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, linkPath, -1, widePath, kCbPath) ||
        !usys.MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, mainExe, -1, wideExe, kCbPath))
        return LinkKind::kUnknown;
    IShellLinkW *link = nullptr;
    if (FAILED(coCreateInstance(kClsidShellLink, nullptr, CLSCTX_INPROC_SERVER, kIidShellLinkW,
                                reinterpret_cast<void **>(&link))))
        return LinkKind::kUnknown;
    LinkKind kind = LinkKind::kUnknown;
    IPersistFile *file = nullptr;
    if (SUCCEEDED(link->QueryInterface(kIidPersistFile, reinterpret_cast<void **>(&file)))) {
        // The target as Explorer resolves it: the link's ID list, kept in
        // Unicode; its 8-bit path only where it has none.
        WCHAR target[kCbPath] = L"";
        PIDLIST_ABSOLUTE items = nullptr;
        if (FAILED(file->Load(widePath, STGM_READ)))
            kind = LinkKind::kForeign;
        else if ((SUCCEEDED(link->GetIDList(&items)) && items &&
                  usys.SHGetPathFromIDListW(items, target)) ||
                 SUCCEEDED(link->GetPath(target, kCbPath, nullptr, SLGP_RAWPATH)))
            kind = usys.CompareStringOrdinal(target, -1, wideExe, -1, TRUE) == CSTR_EQUAL
                       ? LinkKind::kOurs
                       : LinkKind::kForeign;
        if (items)
            usys.ILFree(items);
        file->Release();
    }
    link->Release();
    return kind;
}

}  // namespace

void RemoveShortcuts(const char *mainExe, Outcome *outcome)
{
    Ole32 ole;
    bool loaded = LoadOle32(usys, &ole);
    bool initialised = loaded && SUCCEEDED(ole.coInitialize(nullptr));
    // The user's links, and every user's, which a silent installation makes.
    // Where the shell has no folder for every user, it has no link there.
    auto remove = [&](const char *path) {
        if (!MayBePresent(path))
            return;
        LinkKind kind =
            initialised ? ReadLink(ole.coCreateInstance, path, mainExe) : LinkKind::kUnknown;
        if (kind == LinkKind::kOurs)
            RemoveFile(path, outcome);
        else if (kind == LinkKind::kUnknown)
            AddItem(&outcome->left, path);
    };
    ForEachShortcutPath(usys, nullptr, false, remove, [&](int csidl) {
        AddItem(&outcome->left, csidl == CSIDL_STARTMENU ? "the Quillarix shortcut in the Start menu"
                                                         : "the Quillarix shortcut on the desktop");
    });
    ForEachShortcutPath(usys, nullptr, true, remove, [](int) {});
    if (initialised)
        ole.coUninitialize();
    if (loaded)
        usys.FreeLibrary(ole.module);
}

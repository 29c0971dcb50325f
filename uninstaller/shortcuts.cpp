// Removing the shortcuts: only shell links whose target is this
// installation's main executable go. A link of that name to another
// program, or a file of that name that is no link, stays; one that cannot
// be looked at is left and reported, since a shortcut of another program
// must never go.
#include "uninstaller/removal.h"

#include "base/pathtext.h"
#include "registration/ole32.h"
#include "registration/shortcut_paths.h"
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

// Whether the file at linkPath is a shell link whose target is mainExe. A
// file that the shell link object cannot load is no link of ours; when the
// object cannot be made or asked, that is unknown.
LinkKind ReadLink(CoCreateInstanceFn coCreateInstance, const char *linkPath, const char *mainExe)
{
    IShellLinkA *link = nullptr;
    if (FAILED(coCreateInstance(kClsidShellLink, nullptr, CLSCTX_INPROC_SERVER, kIidShellLinkA,
                                reinterpret_cast<void **>(&link))))
        return LinkKind::kUnknown;
    LinkKind kind = LinkKind::kUnknown;
    IPersistFile *file = nullptr;
    if (SUCCEEDED(link->QueryInterface(kIidPersistFile, reinterpret_cast<void **>(&file)))) {
        WCHAR wide[kCbPath];
        char target[kCbPath] = "";
        if (usys.MultiByteToWideChar(CP_ACP, 0, linkPath, -1, wide, kCbPath)) {
            if (FAILED(file->Load(wide, STGM_READ)))
                kind = LinkKind::kForeign;
            else if (SUCCEEDED(link->GetPath(target, sizeof target, nullptr, SLGP_RAWPATH)))
                kind = usys.lstrcmpiA(target, mainExe) == 0 ? LinkKind::kOurs : LinkKind::kForeign;
        }
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

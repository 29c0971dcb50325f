// Removing the shortcuts: only shell links whose target is this installation's main executable go.
// A link of that name to another program, or a file of that name that is no link, stays; one that
// cannot be looked at is left and reported, since a shortcut of another program must never go. A
// user may change what their Start menu and desktop folders hold, and the names in them, at any
// moment: a link is read through the handle it was opened by, and deleted through that handle.
#include "uninstaller/removal.h"

#include "base/libraries.h"
#include "base/pathtext.h"
#include "base/shortcut_paths.h"
#include "base/widetext.h"
#include "uninstaller/ucalls.h"

namespace {

enum class LinkKind { kOurs, kForeign, kUnknown };

// Whether the link open as file is a shell link whose target is mainExe: its bytes are read
// through the handle into a stream, which the shell link object loads. A file that it cannot load
// is no link of ours; when the object cannot be made or asked, that is unknown.
LinkKind ReadLink(const Ole32 &ole, HANDLE file, const char *mainExe)
{
    WCHAR wideExe[kCbPath];
    char bytes[65536];
    DWORD cb = 0;
    if (!usys.MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, mainExe, -1, wideExe, kCbPath) ||
        !usys.ReadFile(file, bytes, sizeof bytes, &cb, nullptr))
        return LinkKind::kUnknown;
    IStream *stream = nullptr;
    IShellLinkW *link = nullptr;
    IPersistStream *persist = nullptr;
    LinkKind kind = LinkKind::kUnknown;
    LARGE_INTEGER start = {};
    if (SUCCEEDED(ole.createStreamOnHGlobal(nullptr, TRUE, &stream)) &&
        SUCCEEDED(stream->Write(bytes, cb, nullptr)) &&
        SUCCEEDED(stream->Seek(start, STREAM_SEEK_SET, nullptr)) &&
        SUCCEEDED(ole.coCreateInstance(kClsidShellLink, nullptr, CLSCTX_INPROC_SERVER,
                                       kIidShellLinkW, reinterpret_cast<void **>(&link))) &&
        SUCCEEDED(link->QueryInterface(kIidPersistStream, reinterpret_cast<void **>(&persist)))) {
        // The target as Explorer resolves it: the link's ID list, kept in
        // Unicode; its 8-bit path only where it has none.
        WCHAR target[kCbPath] = L"";
        PIDLIST_ABSOLUTE items = nullptr;
        if (cb == sizeof bytes || FAILED(persist->Load(stream)))
            kind = LinkKind::kForeign;
        else if ((SUCCEEDED(link->GetIDList(&items)) && items &&
                  usys.SHGetPathFromIDListW(items, target)) ||
                 SUCCEEDED(link->GetPath(target, kCbPath, nullptr, SLGP_RAWPATH)))
            kind = usys.CompareStringOrdinal(target, -1, wideExe, -1, TRUE) == CSTR_EQUAL
                       ? LinkKind::kOurs
                       : LinkKind::kForeign;
        if (items)
            usys.ILFree(items);
    }
    if (persist)
        persist->Release();
    if (link)
        link->Release();
    if (stream)
        stream->Release();
    return kind;
}

// Deletes the link open as file through the handle, clearing a read-only attribute first where
// that is what refuses it; it goes when the handle is closed. One that cannot be deleted so is
// left and reported (as shown, its name in path): a deletion by name, at once or at the next
// start, would follow whatever the user has put at the name by then.
void DeleteThrough(HANDLE file, const char *shown, Outcome *outcome)
{
    FILE_DISPOSITION_INFO gone = {TRUE};
    FILE_BASIC_INFO plain = {};
    plain.FileAttributes = FILE_ATTRIBUTE_NORMAL;
    if (usys.SetFileInformationByHandle(file, FileDispositionInfo, &gone, sizeof gone) ||
        (usys.GetLastError() == ERROR_ACCESS_DENIED &&
         usys.SetFileInformationByHandle(file, FileBasicInfo, &plain, sizeof plain) &&
         usys.SetFileInformationByHandle(file, FileDispositionInfo, &gone, sizeof gone)))
        LogLine({"Deleted ", shown});
    else
        AddItem(&outcome->left, shown);
}

}  // namespace

void RemoveShortcuts(const char *mainExe, Outcome *outcome)
{
    Ole32 ole;
    bool loaded = LoadOle32(usys, &ole);
    bool initialised = loaded && SUCCEEDED(ole.coInitialize(nullptr));
    // The user's links, and every user's, which a silent installation makes.
    // Where the shell has no folder for every user, it has no link there.
    auto remove = [&](const WCHAR *path) {
        // Opened as itself (a link at the name is not followed), sharing only reading: nobody
        // may change, rename or delete it while it is read and deleted.
        HANDLE file = usys.CreateFileW(path, GENERIC_READ | DELETE | FILE_WRITE_ATTRIBUTES,
                                       FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                       FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
        char shown[kCbPath];
        NarrowForDisplay(usys, path, shown, sizeof shown);
        if (file == INVALID_HANDLE_VALUE) {
            DWORD error = usys.GetLastError();
            DWORD attributes = usys.GetFileAttributesW(path);
            bool folder = attributes != INVALID_FILE_ATTRIBUTES &&
                          (attributes & FILE_ATTRIBUTE_DIRECTORY);
            if (!IsAbsence(error) && !folder)  // a folder of that name is no link of ours
                AddItem(&outcome->left, shown);
            return;
        }
        LinkKind kind = initialised ? ReadLink(ole, file, mainExe) : LinkKind::kUnknown;
        if (kind == LinkKind::kOurs)
            DeleteThrough(file, shown, outcome);
        else if (kind == LinkKind::kUnknown)
            AddItem(&outcome->left, shown);
        usys.CloseHandle(file);
    };
    ForEachShortcutPath(usys, nullptr, false, remove, [&](int csidl) {
        AddItem(&outcome->left, csidl == CSIDL_STARTMENU ? "the Quillarix shortcut in the Start menu"
                                                         : "the Quillarix shortcut on the desktop");
    });
    if (outcome->records == HKEY_LOCAL_MACHINE)  // one user's installation made none there
        ForEachShortcutPath(usys, nullptr, true, remove, [](int) {});
    if (initialised)
        ole.coUninitialize();
    if (loaded)
        usys.FreeLibrary(ole.module);
}

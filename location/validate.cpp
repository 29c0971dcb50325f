// Location validation (the rules in their fixed order, the first refusal decides the message),
// taking the folder (location.h), and whether its drive has room: asked when Install is pressed,
// before anything is written, so that a full disk is met in the dialog, not halfway through.
#include "location/location.h"
#include "location/rules.h"

#include "base/errors.h"
#include "base/heldfolder.h"
#include "base/levels.h"
#include "base/pathtext.h"
#include "base/product.h"
#include "install/report.h"
#include "install/syscalls.h"
#include "base/widetext.h"
#include "base/workfolder.h"

#include <cstring>

namespace {

// Full control for SYSTEM and Administrators, read and execute for Users,
// inherited by what is made inside and nothing inherited from above: what
// Program Files gives the folders made in it. Owned by Administrators.
constexpr char kInstallFolderSddl[] =
    "O:BAD:PAI(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)";
// One user's installation: theirs (they own what they make; a user cannot make a folder owned by
// Administrators), full control for them, SYSTEM and Administrators, nobody else.
constexpr char kUserInstallFolderSddl[] = "D:PAI(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;FA;;;OW)";

const char *InstallFolderSddl(Scope scope)
{
    return scope == Scope::kThisUser ? kUserInstallFolderSddl : kInstallFolderSddl;
}

constexpr char kLinkText[] = "The folder is a link to another place (a junction or symbolic "
                             "link), or lies inside one.  Choose another folder.";
constexpr char kCannotCreateText[] = "Could not create the specified folder.";
constexpr char kOpenFolderText[] =
    "Users other than administrators can change this folder, and so what is installed in it.  "
    "Choose another folder, or an empty one.";

bool Refuse(Talk how, const char *text, const char *code)
{
    ReportError(how, text, code);
    return false;
}

// Refuses for a level above the install folder that others may change in the given way.
bool RefuseLevel(Talk how, const char *level, OpenTo way)
{
    char text[2 * kCbPath] = "The folder ";
    AppendText(text, sizeof text, level);
    AppendText(text, sizeof text, ", which holds the install folder, is not protected: ");
    AppendText(text, sizeof text, OpenToText(way));
    AppendText(text, sizeof text, ".  Choose another folder.");
    return Refuse(how, text, errcode::kFolderOpenToUsers);
}

// True when the folder, or an existing level above it, is a reparse point (a junction or a symbolic
// link): the files would land where it points. Levels that do not exist yet are no links. Only the
// first answer: the folder taken is checked again through the handle that holds it.
bool PassesThroughLink(const char *directory)
{
    char level[kCbPath];
    CopyText(level, sizeof level, directory);
    // Each level below the root in turn: "C:\Apps", then "C:\Apps\Quillarix".
    char *separator = FindSeparator(level);
    while (separator && separator[1] != '\0') {
        char *next = FindSeparator(separator + 1);
        if (next)
            *next = '\0';
        DWORD attributes = sys.GetFileAttributesA(level);
        if (next)
            *next = '\\';
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT))
            return true;
        separator = next;
    }
    return false;
}

// Replaces folder by its canonical form: "." and ".." resolved, trailing dots and blanks of the
// last level dropped (GetFullPathNameW), so that the rules, and the question whether it lies within
// Program Files, see the folder that the system will use. False where it cannot be told or fit.
bool CanonicalForm(char *folder)
{
    WCHAR wide[kCbPath], full[kCbPath];
    if (sys.MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, folder, -1, wide, kCbPath) == 0)
        return false;
    DWORD cch = sys.GetFullPathNameW(wide, kCbPath, full, nullptr);
    char canonical[kCbPath];
    if (cch == 0 || cch >= kCbPath || AnsiFromWide(sys, full, canonical, kCbPath) != Conversion::kExact)
        return false;
    return CopyText(folder, kCbPath, canonical);
}

bool IsEmptyFolder(const char *directory)
{
    char pattern[kCbPath];
    WIN32_FIND_DATAA found;
    if (!JoinPath(pattern, sizeof pattern, directory, "*"))
        return false;
    HANDLE search = sys.FindFirstFileA(pattern, &found);
    if (search == INVALID_HANDLE_VALUE)
        return sys.GetLastError() == ERROR_FILE_NOT_FOUND;
    bool empty = true;
    do {
        const char *name = found.cFileName;
        empty = std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0;
    } while (empty && sys.FindNextFileA(search, &found));
    sys.FindClose(search);
    return empty;
}

// Replaces the empty folder at directory, which users other than administrators may change, by one
// made now with an install folder's protection, and holds the new one in *held (null when refused).
// Giving the old folder a new owner and DACL would not do: a handle that a user opened on it before
// keeps the rights it was granted, such as changing its DACL again or its attributes (an empty
// folder can be made a junction, and every file written by name would then land where it points),
// and those rights take part in no sharing check. So the old folder is removed, which fails while a
// handle holds it without sharing deletion and leaves it delete-pending while one shares it (the
// name then cannot be made again), and the name must be made anew by this run: a folder someone
// made there meanwhile is refused.
bool ReplaceOpenFolder(const char *directory, Scope scope, HANDLE *held)
{
    sys.CloseHandle(*held);
    *held = nullptr;
    DWORD error = 0;
    if (!sys.RemoveDirectoryA(directory) ||
        !CreateFolderWithSddl(sys, directory, InstallFolderSddl(scope), &error) ||
        HoldFolder(sys, directory, held, &error) != FolderHold::kHeld)
        return false;
    if (FolderHeldOpenTo(sys, *held) == OpenTo::kNobody)
        return true;
    sys.CloseHandle(*held);
    *held = nullptr;
    return false;
}

// Creates every level of directory that does not exist, from the first missing one down. Under
// Program Files each inherits that folder's protection; elsewhere (below a drive's root, where
// every user may change what is made) each is given the same protection explicitly. A level that
// exists already, or appeared meanwhile, is judged once the folder is held, like any other. False
// where a level cannot be made.
bool CreateMissingLevels(const char *directory, const char *programFiles, Scope scope)
{
    const char *first = FindSeparator(directory);
    const char *separator = first ? FindSeparator(first + 1) : nullptr;
    for (;;) {
        char level[kCbPath];
        std::size_t cch = separator ? static_cast<std::size_t>(separator - directory)
                                    : std::strlen(directory);
        std::memcpy(level, directory, cch);
        level[cch] = '\0';
        DWORD error = ERROR_SUCCESS;
        if (sys.GetFileAttributesA(level) == INVALID_FILE_ATTRIBUTES &&
            !(IsWithinFolderText(sys, level, programFiles)
                  ? sys.CreateDirectoryA(level, nullptr) != FALSE ||
                        sys.GetLastError() == ERROR_ALREADY_EXISTS
                  : CreateFolderWithSddl(sys, level, InstallFolderSddl(scope), &error) ||
                        error == ERROR_ALREADY_EXISTS))
            return false;
        if (!separator)
            return true;
        separator = FindSeparator(separator + 1);
    }
}

}  // namespace

bool ValidateLocation(char *folder, Talk how)
{
    if (!HasDriveForm(folder))
        return Refuse(how, "Invalid drive specification", errcode::kInvalidDrive);

    char root[kCbPath];
    if (PathRoot(root, sizeof root, folder) && sys.GetDriveTypeA(root) == DRIVE_REMOVABLE)
        return Refuse(how, "You can't install Quillarix to a removable disk.",
                      errcode::kRemovableDrive);

    if (!CanonicalForm(folder))
        return Refuse(how, "Folder name too long", errcode::kFolderTooLong);
    TrimTrailingBackslashes(folder);
    if (!FolderLengthFits(PathUnits(folder)))
        return Refuse(how, "Folder name too long", errcode::kFolderTooLong);

    if (HasWildcard(folder))
        return Refuse(how, "Invalid folder", errcode::kInvalidFolder);

    char directory[kCbPath];
    DirectoryPath(directory, sizeof directory, folder);  // fits: the length rule holds
    if (PassesThroughLink(directory))
        return Refuse(how, kLinkText, errcode::kFolderIsLink);
    DWORD attributes = sys.GetFileAttributesA(directory);
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        DWORD error = sys.GetLastError();
        // A missing folder is created when it is taken; attributes that
        // cannot be read give no ground to accept one that exists.
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
            return true;
        return Refuse(how, "Invalid folder", errcode::kInvalidFolder);
    }
    // A file of that name: no folder can be created there.
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY))
        return Refuse(how, kCannotCreateText, errcode::kCannotCreateFolder);
    if (attributes & FILE_ATTRIBUTE_READONLY)
        return Refuse(how, "The folder is read only.", errcode::kFolderReadOnly);
    if (attributes & (FILE_ATTRIBUTE_TEMPORARY | FILE_ATTRIBUTE_OFFLINE))
        return Refuse(how, "Invalid folder", errcode::kInvalidFolder);
    return true;
}

bool TakeLocation(const char *folder, const char *programFiles, Scope scope, HANDLE *held,
                  Talk how)
{
    *held = nullptr;
    char directory[kCbPath];
    DirectoryPath(directory, sizeof directory, folder);
    // The levels that exist are looked at first, so that nothing is made below one that others
    // may rename; the verdict that counts comes once the folder is held.
    char level[kCbPath];
    OpenTo way = LevelsAboveOpenTo(sys, folder, level, true);
    if (way != OpenTo::kNobody)
        return RefuseLevel(how, level, way);
    DWORD error = ERROR_SUCCESS;
    if (!CreateMissingLevels(directory, programFiles, scope))
        return Refuse(how, kCannotCreateText, errcode::kCannotCreateFolder);
    switch (HoldFolder(sys, directory, held, &error)) {
    case FolderHold::kHeld:
        break;
    case FolderHold::kLink:
        return Refuse(how, kLinkText, errcode::kFolderIsLink);
    case FolderHold::kFailed:
        if (error == ERROR_DIRECTORY)
            return Refuse(how, "The install location is not a folder.", errcode::kNotAFolder);
        return Refuse(how, "Invalid folder", errcode::kInvalidFolder);
    }
    // Held, no level above can be renamed: each is judged by who may rename or replace it, from
    // the drive's root down, then the folder itself. Even a folder just made is judged: a user who
    // may rename the level above could have put one of their own in its place.
    way = LevelsAboveOpenTo(sys, folder, level);
    if (way != OpenTo::kNobody) {
        sys.CloseHandle(*held);
        *held = nullptr;
        return RefuseLevel(how, level, way);
    }
    if (FolderHeldOpenTo(sys, *held) != OpenTo::kNobody &&
        !(IsEmptyFolder(directory) && ReplaceOpenFolder(directory, scope, held))) {
        if (*held)
            sys.CloseHandle(*held);
        *held = nullptr;
        return Refuse(how, kOpenFolderText, errcode::kFolderOpenToUsers);
    }
    return true;
}

bool HasRoomToInstall(const char *folder, ULONGLONG cbNeeded, Talk talk)
{
    // The folder exists (validation made it); a trailing backslash lets a
    // drive root ("C:") be asked too.
    char asked[kCbPath];
    ULARGE_INTEGER cbFree, cbTotal;
    if (!JoinPath(asked, sizeof asked, folder, "") ||
        !sys.GetDiskFreeSpaceExA(asked, &cbFree, &cbTotal, nullptr))
        return true;  // no answer is no ground to refuse; a failed write says so later
    if (cbFree.QuadPart >= cbNeeded)
        return true;
    constexpr ULONGLONG kKilobyte = 1024;
    char text[kCbPath] = "There is not enough free space on this drive to install " QLX_PRODUCT
                         ".  Needed: ";
    AppendDecimal(text, sizeof text, (cbNeeded + kKilobyte - 1) / kKilobyte, true);
    AppendText(text, sizeof text, " KB.  Free: ");
    AppendDecimal(text, sizeof text, cbFree.QuadPart / kKilobyte, true);
    AppendText(text, sizeof text, " KB.");
    ReportError(talk, text, errcode::kNotEnoughSpace);
    return false;
}

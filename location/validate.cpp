// Location validation: the rules in their fixed order, the first refusal
// decides the message. An accepted folder exists afterwards.
#include "location/location.h"
#include "location/rules.h"

#include "base/errors.h"
#include "base/pathtext.h"
#include "base/report.h"
#include "base/state.h"
#include "base/syscalls.h"
#include "base/workfolder.h"

#include <cstring>

// Full control for SYSTEM and Administrators, read and execute for Users,
// inherited by what is made inside and nothing inherited from above: what
// Program Files gives the folders made in it.
static constexpr char kInstallFolderSddl[] =
    "D:PAI(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)";

// True when the folder, or an existing level above it, is a reparse point
// (a junction or a symbolic link): the files would land where it points.
// Levels that do not exist yet are no links.
static bool PassesThroughLink(const char *directory)
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

static bool Refuse(bool report, const char *text, const char *code)
{
    if (report)
        ReportError(text, code);
    return false;
}

bool ValidateLocation(char *folder, bool report)
{
    if (!HasDriveForm(folder))
        return Refuse(report, "Invalid drive specification", errcode::kInvalidDrive);

    char root[kCbPath];
    if (PathRoot(root, sizeof root, folder) && sys.GetDriveTypeA(root) == DRIVE_REMOVABLE)
        return Refuse(report, "You can't install Quillarix to a removable disk.",
                      errcode::kRemovableDrive);

    TrimTrailingBackslashes(folder);
    if (!FolderLengthFits(std::strlen(folder)))
        return Refuse(report, "Folder name too long", errcode::kFolderTooLong);

    if (HasWildcard(folder))
        return Refuse(report, "Invalid folder", errcode::kInvalidFolder);

    char directory[kCbPath];
    DirectoryPath(directory, sizeof directory, folder);  // fits: the length rule holds
    if (PassesThroughLink(directory))
        return Refuse(report,
                      "The folder is a link to another place (a junction or symbolic link), "
                      "or lies inside one.  Choose another folder.",
                      errcode::kFolderIsLink);
    if (sys.SetCurrentDirectoryA(directory)) {
        DWORD attributes = sys.GetFileAttributesA(directory);
        // Attributes that cannot be read give no ground to accept the folder.
        if (attributes == INVALID_FILE_ATTRIBUTES)
            return Refuse(report, "Invalid folder", errcode::kInvalidFolder);
        if (!(attributes & FILE_ATTRIBUTE_DIRECTORY))
            return Refuse(report, "The install location is not a folder.", errcode::kNotAFolder);
        if (attributes & FILE_ATTRIBUTE_READONLY)
            return Refuse(report, "The folder is read only.", errcode::kFolderReadOnly);
        if (attributes & (FILE_ATTRIBUTE_TEMPORARY | FILE_ATTRIBUTE_OFFLINE))
            return Refuse(report, "Invalid folder", errcode::kInvalidFolder);
        return true;
    }
    // Under Program Files the new folder inherits that folder's protection;
    // elsewhere (below a drive's root, where every user may change what is
    // created) it is given the same protection explicitly.
    DWORD error;
    if (IsWithinFolder(directory, g_setup.programFilesFolder)
            ? sys.CreateDirectoryA(directory, nullptr) != FALSE
            : CreateFolderWithSddl(sys, directory, kInstallFolderSddl, &error))
        return true;
    return Refuse(report, "Could not create the specified folder.", errcode::kCannotCreateFolder);
}

// Location validation: the rules in their fixed order, the first refusal
// decides the message. An accepted folder exists afterwards.
#include "location/location.h"
#include "location/rules.h"

#include "base/errors.h"
#include "base/pathtext.h"
#include "base/report.h"
#include "base/syscalls.h"

#include <cstring>

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

    char directory[kCbPath];
    DirectoryPath(directory, sizeof directory, folder);  // fits: the length rule holds
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
    if (sys.CreateDirectoryA(directory, nullptr))
        return true;
    return Refuse(report, "Could not create the specified folder.", errcode::kCannotCreateFolder);
}

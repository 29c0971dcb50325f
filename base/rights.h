// Who may change a folder, read from the text of its security descriptor (its owner and DACL as
// the system writes them in SDDL), free of the system: built natively, tested and fuzzed there.
// Trusted are Administrators, SYSTEM, TrustedInstaller and the account running the program (the
// runner, a SID as text); every other account is "others". Deny entries are not weighed: an
// allow entry alone makes a folder open, which refuses more, never less.
#pragma once

// How others may change a folder, in the order the rules report it.
enum class OpenTo {
    kNobody,
    kOwner,        // another account owns it, and an owner may always change its DACL
    kWriting,      // others may add, write or append in it
    kDeleting,     // others may delete or rename it (DELETE)
    kPermissions,  // others may change its DACL (WRITE_DAC)
    kOwnership,    // others may make themselves its owner (WRITE_OWNER)
    kEmptying,     // others may delete or rename what it holds (FILE_DELETE_CHILD)
    kUnreadable,   // who may change it cannot be read (the caller's verdict, never the text's)
};

// The folder a program installs into or works in: anything others may change in it counts,
// and so do the entries that only what is made inside inherits (the files written there get
// them), but for those of CREATOR OWNER, CREATOR GROUP and OWNER RIGHTS, which stand for the
// program's own account. No DACL at all, and text that cannot be read, count as open to all.
OpenTo FolderOpenTo(const char *sddl, const char *runner);

// A folder that holds the install folder at some depth, the drive's root included. Adding files
// and subfolders is allowed (every user may make a folder in C:\), but nothing that renames or
// replaces what lies below: DELETE, WRITE_DAC, WRITE_OWNER on it, FILE_DELETE_CHILD on what it
// holds. Entries only inherited by what is made inside do not apply to the folder itself.
OpenTo LevelOpenTo(const char *sddl, const char *runner);

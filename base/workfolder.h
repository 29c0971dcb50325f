// The run's private working folder, and the system folders a run works in (the temp folder it lies
// in, the Windows folder). Both programs run with administrator rights, often as SYSTEM,
// whose temp folder every user may create files in; a file there that the program closes and then
// reopens, starts or writes through by name can be swapped by any user in between. So everything
// temporary goes into a folder made fresh for the run: a random name, made by a call that fails
// when the name exists, and a protected DACL that lets in Administrators and SYSTEM only.
#pragma once
#include "base/runmode.h"
#include "base/sharedcalls.h"

#include <cstddef>

inline constexpr char kWorkFolderPrefix[] = "qlx-";

// The temp folder, where the private folder goes, into folder (kCbPath bytes), with its trailing
// backslash: where systemTemp is set, GetTempPath2W where the system has it (looked up, since older
// systems and Wine lack it; under SYSTEM it gives a folder only SYSTEM can use); else GetTempPathW,
// the user's %TEMP%. False, folder empty, when there is none, too long, or the code page lacks it.
bool FindTempFolderText(const SharedCalls &calls, bool systemTemp, char *folder);

// The temp folder as FindTempFolderText finds it; where it finds none (before Windows 10 1903 the
// programs' code page is the system's, and a profile's name may lie beyond it), the Windows
// folder's temp folder, with its trailing backslash, and *fellBack set: LogTempFallback tells it.
// False, folder empty, when there is neither.
bool FindTempFolderOrWindows(const SharedCalls &calls, bool systemTemp, char *folder,
                             bool *fellBack);

// The Windows folder as the system names it (the setup places the uninstaller there; the
// uninstaller recognises its own file there) into folder (kCbPath bytes), without a trailing
// backslash. False, with folder empty, when the system cannot tell or the name does not fit.
bool ReadWindowsFolder(const SharedCalls &calls, char *folder);

// The Windows folder's temp folder (%WINDIR%\Temp) into folder (kCbPath bytes): users may add
// files and folders there but neither rename nor delete those of others. False, folder empty,
// where the Windows folder cannot be told or the name does not fit.
bool ReadWindowsTempFolder(const SharedCalls &calls, char *folder);

// Creates the folder path with the security descriptor sddl, failing when
// the name exists (CreateDirectoryA never opens an existing folder). False
// with *error the system error of the failing call.
bool CreateFolderWithSddl(const SharedCalls &calls, const char *path, const char *sddl,
                          DWORD *error);

// Appends 16 hex digits from the system's cryptographic generator to name (cbName bytes). False,
// leaving name unchanged, when the generator fails or they do not fit.
bool AppendRandomHex(const SharedCalls &calls, char *name, std::size_t cbName);

// Creates the run's working folder in base (a folder, with or without its trailing backslash) into
// folder (kCbPath bytes): "qlx-" and random hex digits (AppendRandomHex), another while the name
// drawn exists. It is held from the moment it is made, in *held (HoldFolder, with DELETE: no link,
// its final path the one made, and neither it nor a level above can be renamed while held; in the
// user's own temp folder, which an unelevated program of the same user may empty, a folder that
// is not held can be renamed away despite its DACL and one of theirs put at its name), and judged
// through that handle: nobody but the trusted accounts may change it. False, with folder empty,
// nothing held and *error set, when none could be made so; the caller ends it with
// RemoveWorkFolder once the run is done.
// For one user's installation the folder is that user's too (a user cannot make a folder owned by
// Administrators): owned by them, and open to them, SYSTEM and Administrators only.
bool CreateWorkFolder(const SharedCalls &calls, Scope scope, const char *base, char *folder,
                      HANDLE *held, DWORD *error);

// Removes the working folder, which its users have emptied, through the handle that holds it,
// and lets it go; nothing for an empty path. What cannot be removed stays, out of every user's
// reach.
void RemoveWorkFolder(const SharedCalls &calls, char *folder, HANDLE held);

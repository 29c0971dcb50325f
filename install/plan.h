// The installation plan: what one run of the setup has decided, from the command line and what it
// found on the machine. The setup builds it at start and hands it down, const where a step only
// reads it; nothing else keeps any of it.
#pragma once
#include "base/pathtext.h"
#include "base/runmode.h"
#include "install/syscalls.h"
#include "base/win.h"

struct InstallPlan {
    char installFolder[kCbPath];
    char mainExePath[kCbPath];      // install folder joined with the main executable's name
    char windowsFolder[kCbPath];    // no trailing backslash; empty when unknown
    char tempFolder[kCbPath];       // keeps the system's trailing backslash
    char workFolder[kCbPath];       // the run's private folder in it; empty when none
    HANDLE heldWorkFolder;          // that folder, held from its making to the run's end
    char programFilesFolder[kCbPath];
    bool existingInstall;           // the proposed folder already holds the main executable
    RunMode mode;                   // how the run talks, and for whom it installs
    HWND backdrop;                  // owner of the dialogs and boxes; may be null
    HWND progress;                  // the progress dialog while files are written; may be null
};

// The module that holds the templates, the icon and the payload: the program's own image, which the
// system tells (the module the process was started from), so no plan carries it.
inline HINSTANCE ProgramModule()
{
    return sys.GetModuleHandleA(nullptr);
}

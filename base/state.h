// Process-wide state of the setup, declared once. Set during start-up and the
// location dialogs, read everywhere else.
#pragma once
#include "base/pathtext.h"
#include "base/win.h"

struct SetupState {
    char installFolder[kCbPath];
    char mainExePath[kCbPath];      // install folder joined with the main executable's name
    char windowsFolder[kCbPath];    // no trailing backslash; empty when unknown
    char tempFolder[kCbPath];       // keeps the system's trailing backslash
    char workFolder[kCbPath];       // the run's private folder in it; empty when none
    char programFilesFolder[kCbPath];
    bool existingInstall;           // the proposed folder already holds the main executable
    bool silent;                    // no window of any kind: errors go to the log only
    HINSTANCE instance;             // module holding templates, icon and payload
    HWND backdrop;                  // may be null
};

extern SetupState g_setup;

// Empties the whole state; the sequence starts from here.
void ResetSetupState(HINSTANCE instance);

// Who runs the program, and starting it again with administrator rights. A program that acts for
// every user needs them; one that acts for its user alone must not ask for them. Both programs run
// as invoked (their manifests say asInvoker), so the first copy asks the system for an elevated
// one where the run needs it and waits for it: the prompt is Windows' own (over the shoulder, the
// elevated copy may be another account, with another profile), and the elevated copy judges
// everything again from its own command line, taking nothing from the first one.
#pragma once
#include "base/sharedcalls.h"

// What the process's token says. Where it cannot be read, the program goes on as it did before it
// could run unelevated: as an administrator, for every user, and what it may not do fails and is
// reported where it is done.
struct Standing {
    bool elevated;       // a full administrator token (or UAC off and an administrator)
    bool administrator;  // elevated, or a member of Administrators whose token is filtered
    bool system;         // the SYSTEM account (a deployment tool's)
};
Standing ReadStanding(const SharedCalls &calls);

// Whether the desktop's shell runs as this program's account. Not so for a copy that Windows
// elevated over the shoulder: it runs as the administrator who gave their name and password, on
// the desktop of the person who asked. True where it cannot be told (no shell, say).
bool ShellIsOurs(const SharedCalls &calls);

// Starts this program's own file (its final path, links resolved) again through the shell with
// "runas", with the arguments of its command line as RelaunchArguments gives them (restSwitch
// staying last), shows nothing of its own, waits for that copy and returns its exit code: 1602
// where the prompt was declined, 1603 where it could not be started.
int RunElevatedCopy(const SharedCalls &calls, const char *restSwitch);

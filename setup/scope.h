// For whom the setup installs: settled before anything else, from the command line, the
// installation already there, the person's rights and, for a person without administrator
// rights, their answer; and where every user's installation needs rights the run has not got,
// done by an elevated copy of the setup.
#pragma once
#include "base/cmdline.h"
#include "base/sharedcalls.h"

// The frame's settle step for the setup (ProgramFrame::settle): -1 to go on with the scope in
// args, else the exit code (the elevated copy's, or a refusal's).
int SettleSetupScope(const SharedCalls &calls, CommandLine *args);

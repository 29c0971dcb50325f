// Files that another program holds for a moment: a virus scanner opens each file as soon as it is
// written, an indexer or a backup reads it, and for a few milliseconds a rename over it, its
// deletion or a fresh open of its name fails with a sharing violation, a lock violation or access
// denied. Such a failure is tried again a bounded number of times with a growing pause before it
// counts, as databases that live with this do.
#pragma once
#include "base/logfile.h"
#include "base/pathtext.h"
#include "base/sharedcalls.h"

// The pauses grow by this much each time: 25, 50, ... 300 ms, about 2 s in all.
inline constexpr DWORD kHeldPauseStepMs = 25;
inline constexpr int kHeldRetries = 12;

// Whether error is how Windows refuses a file that another program holds.
inline bool IsTransientHold(DWORD error)
{
    return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION ||
           error == ERROR_ACCESS_DENIED;
}

// Calls attempt() (true on success, else the error in GetLastError) until it succeeds, fails in
// another way, or has been retried kHeldRetries times; the log tells how often it was retried, for
// name. Returns attempt's last result; *error is 0 on success, else the last failure's error.
template <typename Attempt>
bool RetryWhileHeld(const SharedCalls &calls, const char *name, DWORD *error, Attempt attempt)
{
    int retries = 0;
    bool done = attempt();
    *error = done ? 0 : calls.GetLastError();
    while (!done && IsTransientHold(*error) && retries < kHeldRetries) {
        calls.Sleep(kHeldPauseStepMs * static_cast<DWORD>(++retries));
        done = attempt();
        *error = done ? 0 : calls.GetLastError();
    }
    if (retries != 0)
        LogLine({name, done ? ": held by another program, done after " : ": still refused after ",
                 DecimalText(static_cast<unsigned>(retries)).text, " retries"});
    return done;
}

// What a run is, decided once from its command line and handed down in its plan: how it talks to
// the person at the machine, and for whom it installs. Whatever depends on either asks these.
#pragma once

// How a run, or one of its steps, tells the person what happens.
enum class Talk : unsigned char {
    kWindows,  // an interactive run: windows, message boxes and questions, and the log
    kLog,      // a silent run (/S): no window of any kind, no question; the log says it all
    kNothing,  // says nothing: its caller decides what to tell (a first look at a record)
};

// For whom an installation is: every user of the machine (its folder under Program Files, its
// records under HKEY_LOCAL_MACHINE, administrator rights needed), or only the person running it
// (its folder in their profile, their own records, no administrator needed).
enum class Scope : unsigned char { kAllUsers, kThisUser };

struct RunMode {
    Talk talk;
    Scope scope;
    bool closeApplications;  // unattended, a running Quillarix is asked to close rather than stop
    // The desktop is another account's: elevated over the shoulder, the run is the administrator's
    // who gave their password, while the person at the machine is someone else.
    bool onAnotherDesktop = false;
};

// Whether the run acts for the whole machine: its records under HKEY_LOCAL_MACHINE, its lock in the
// Windows folder, its files only for administrators to change, restarts that finish its work.
constexpr bool ForTheMachine(const RunMode &mode)
{
    return mode.scope == Scope::kAllUsers;
}

// Whether the run shows windows and asks questions.
constexpr bool ShowsWindows(const RunMode &mode)
{
    return mode.talk == Talk::kWindows;
}

// A silent run writes a log even when not told where (into the temp folder).
constexpr bool WritesDefaultLog(const RunMode &mode)
{
    return mode.talk == Talk::kLog;
}

// Where the folder of an earlier installation is read, and where the shortcuts go. An all-users
// installation that a person watches proposes the folder their own settings recorded (they see
// it, and may change it) and gives them the shortcuts; an unattended one, run under an account
// that is not the users', trusts only the record an administrator made (App Paths, machine-wide)
// and gives the shortcuts to every user, as does one on another account's desktop.
constexpr bool TrustsOnlyTheMachineRecord(const RunMode &mode)
{
    return mode.scope == Scope::kAllUsers && mode.talk != Talk::kWindows;
}
constexpr bool ShortcutsForEveryUser(const RunMode &mode)
{
    return mode.scope == Scope::kAllUsers && (mode.talk != Talk::kWindows || mode.onAnotherDesktop);
}

// What a run is, decided once from its command line and handed down in its plan: how it talks to
// the person at the machine, and for whom it installs. Whatever depends on either asks these.
#pragma once

// How a run, or one of its steps, tells the person what happens.
enum class Talk : unsigned char {
    kWindows,  // an interactive run: windows, message boxes and questions, and the log
    kLog,      // a silent run (/S): no window of any kind, no question; the log says it all
    kNothing,  // says nothing: its caller decides what to tell (a first look at a record)
};

// For whom an installation is: today every user of the machine.
enum class Scope : unsigned char { kAllUsers };

struct RunMode {
    Talk talk;
    Scope scope;
    bool closeApplications;  // unattended, a running Quillarix is asked to close rather than stop
};

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
// and gives the shortcuts to every user.
constexpr bool TrustsOnlyTheMachineRecord(const RunMode &mode)
{
    return mode.scope == Scope::kAllUsers && mode.talk != Talk::kWindows;
}
constexpr bool ShortcutsForEveryUser(const RunMode &mode)
{
    return mode.scope == Scope::kAllUsers && mode.talk != Talk::kWindows;
}

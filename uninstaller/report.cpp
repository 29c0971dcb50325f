// The removal's last word: one message that says what was removed, what
// goes when Windows restarts, or what is left and what to do about it; and
// the exit code that says the same to whoever started the uninstaller.
#include "uninstaller/removal.h"

#include "base/logfile.h"
#include "base/pathtext.h"
#include "base/product.h"
#include "base/widetext.h"
#include "uninstaller/ucalls.h"

#include <cstring>

int Tell(Talk talk, const char *text, UINT type)
{
    // A question and its answer are logged as asked; unattended, none is asked and yes is taken.
    if ((type & MB_TYPEMASK) != MB_YESNO)
        LogLine({text});
    return talk != Talk::kWindows ? IDYES : ShowLoggedBox(usys, nullptr, text, kProductName, type);
}

// Room kept at the end of a list for "..." and the closing words.
static constexpr std::size_t kCbClosing = 256;

void StartList(ItemList *list, const char *heading)
{
    CopyText(list->text, sizeof list->text, heading);
    list->count = 0;
}

void AddItem(ItemList *list, const char *item)
{
    // A list too long for the box ends with "..." after what fitted.
    ++list->count;
    std::size_t cbUsable = sizeof list->text - kCbClosing;
    char line[kCbPath + 2] = "\r\n";
    AppendText(line, sizeof line, item);
    if (!AppendText(list->text, cbUsable, line) && !std::strstr(list->text, "\r\n..."))
        AppendText(list->text, sizeof list->text, "\r\n...");
}

UninstallResult Report(Talk talk, const Outcome &outcome)
{
    if (outcome.left.count != 0) {
        char text[sizeof outcome.left.text];
        CopyText(text, sizeof text, outcome.left.text);
        AppendText(text, sizeof text,
                   "\r\n\r\nQuillarix stays in the list of installed programs.  When these items "
                   "are no longer in use, remove it again to finish.");
        Tell(talk, text, MB_OK | MB_ICONEXCLAMATION);
        return kPartlyRemoved;
    }
    if (outcome.scheduled.count != 0) {
        Tell(talk, outcome.scheduled.text, MB_OK | MB_ICONINFORMATION);
        return kRemovedAtRestart;
    }
    Tell(talk, "Quillarix has been removed from your computer.", MB_OK | MB_ICONINFORMATION);
    return kRemoved;
}

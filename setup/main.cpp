// Process entry. The setup asks the system for its command line, has no static constructors and
// registers nothing to run at exit, so it needs none of the C runtime's start-up code: it is linked
// without it (which keeps the executable small) and enters here directly.
#include "setup/sequence.h"
#include "install/syscalls.h"
#include "base/widetext.h"

extern "C" void WINAPI SetupEntry()
{
    BindSystemLibraries();  // before anything can load a library from elsewhere
    static char line[8192];
    InstallPlan plan;
    sys.ExitProcess(static_cast<UINT>(RunSetup(CommandLineText(sys, line, sizeof line), &plan)));
}

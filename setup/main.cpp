// Process entry. The setup reads no command line, has no static
// constructors and registers nothing to run at exit, so it needs none of the
// C runtime's start-up code: it is linked without it (which keeps the
// executable small) and enters here directly. Exit code: always 0.
#include "setup/sequence.h"
#include "base/syscalls.h"

extern "C" void WINAPI SetupEntry()
{
    BindSystemLibraries();  // before anything can load a library from elsewhere
    sys.ExitProcess(static_cast<UINT>(RunSetup(sys.GetModuleHandleA(nullptr))));
}

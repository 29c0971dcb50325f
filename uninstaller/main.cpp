// qlxuins1: the Quillarix uninstaller that the setup places in the Windows
// folder and registers in the system's list of installed programs. Its exit
// code says how the removal went, in the numbers deployment tools know.
#include "uninstaller/uninstall.h"

#include "base/widetext.h"
#include "uninstaller/ucalls.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    BindUninstallLibraries();  // before anything can load a library from elsewhere
    static char line[8192];
    return RunUninstaller(CommandLineText(usys, line, sizeof line));
}

// Windows test runner.
#include "install/syscalls.h"
#include "uninstaller/ucalls.h"

#include <gtest/gtest.h>

int main(int argc, char **argv)
{
    BindSystemLibraries();  // as the setup does at its start
    BindUninstallLibraries();  // and the uninstaller at its
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

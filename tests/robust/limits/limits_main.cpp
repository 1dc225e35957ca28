// Every heap block of these tests ends at a guard page, so that a write
// past any buffer of the library faults where it happens.
#include <gtest/gtest.h>

#include "alloc_hooks.h"
#include "limits_support.h"
#include "install/log_folder.h"

int main(int argc, char** argv)
{
    tn::UseInstallLogFolder();
    tnrobust::SetGuardPages(tnrobust::kGuardPagesFrom);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

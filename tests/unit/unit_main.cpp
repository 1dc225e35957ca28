#include <gtest/gtest.h>

#include "install/log_folder.h"

// The unit tests log where the installation's programs do.
int main(int argc, char** argv)
{
    tn::UseInstallLogFolder();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

// Unit tests share the process-wide key table, filled once as at start-up.
#include <gtest/gtest.h>

#include "board/key_table.h"

int main(int argc, char** argv) {
    init_key_table();
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

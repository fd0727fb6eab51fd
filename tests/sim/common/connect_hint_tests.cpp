// The printed command is pasted into a shell as it stands.
#include "sim/common/ConnectHint.h"

#include <gtest/gtest.h>

TEST(ConnectHint, QuotesThePathOnlyWhenTheShellNeedsIt)
{
    EXPECT_EQ(sim::connectCommand("carscope", 1, "/dev/pts/5"), "carscope --port 1=/dev/pts/5");
    EXPECT_EQ(sim::connectCommand("iobench", 3, "/tmp/my bench"), "iobench --port '3=/tmp/my bench'");
    EXPECT_EQ(sim::connectCommand("iobench", 3, "/tmp/it's"), "iobench --port '3=/tmp/it'\\''s'");
}

#pragma once
// ASSERT_TRUE(succeeded(control.setPortOpen(true))) shows the error text when it fails.
#include "serial/CommError.h"

#include <gtest/gtest.h>

inline ::testing::AssertionResult succeeded(const serial::CommError& error)
{
    if (!error)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "error " << error.number << ": " << error.text;
}

#include "device/ImitationDevice.h"

#include <gtest/gtest.h>

TEST(ImitationDevice, Placeholder) {}

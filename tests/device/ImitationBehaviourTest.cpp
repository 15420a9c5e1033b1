#include "device/ImitationBehaviour.h"

#include <gtest/gtest.h>

TEST(ImitationBehaviour, Placeholder) {}

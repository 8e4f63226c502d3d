#include <gtest/gtest.h>

#include "about_dialog.h"

TEST(AboutDialog, HasItsCaption) { EXPECT_EQ(AboutDialog().windowTitle(), "About Cobblestack4"); }

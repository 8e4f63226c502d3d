#include "about_dialog.h"

#include <gtest/gtest.h>

TEST(AboutDialog, HasItsCaption) { EXPECT_EQ(AboutDialog().windowTitle(), "About Cobblestack4"); }

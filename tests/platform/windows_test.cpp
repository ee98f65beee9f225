#include <gtest/gtest.h>

#include "platform/gdi.h"
#include "platform/user.h"
#include "support/headless.h"

TEST(Windows, Smoke) {
    HeadlessScreen screen;
    EXPECT_EQ(MessageBox(nullptr, u"Hello", nullptr, MB_OK), IDOK);
    ASSERT_EQ(screen.messageBoxes.size(), 1u);
    EXPECT_EQ(screen.messageBoxes[0].caption, u"Error");
}

// A program without a version resource: the default application name is empty and the version
// reader's message box comes once per call.
#include <gtest/gtest.h>

#include "gui/Application.h"
#include "update/OrbAutoUpdate.h"
#include "TestSupport.h"

#include <string>
#include <vector>

TEST(AutoUpdateWithoutVersion, DefaultApplicationNameIsEmptyAfterOneMessage) {
    support::TBoxRecorder messages;
    EXPECT_EQ(GetDefaultApplicationName(), "");
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].Text.rfind("GetFileVersionInfoSize error #:", 0), 0u);
    EXPECT_EQ(GetDefaultApplicationName(), "");
    EXPECT_EQ(messages.size(), 2u);
}

TEST(AutoUpdateWithoutVersion, RegistersAnEmptyApplicationName) {
    support::TBoxRecorder messages;
    TProgramSettings settings;
    RegisterAutoUpdateSettings(settings);
    EXPECT_EQ(messages.size(), 1u);
    ASSERT_EQ(settings.Count(), 18);
    EXPECT_EQ(settings.GetItem(1).KeyName(), "AutoUpdateApplication");
    EXPECT_EQ(settings.GetItem(1).DefaultValue().Kind(), TVarKind::vkString);
    EXPECT_EQ(settings.GetItem(1).DefaultValue().AsString(), "");
}

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

// A program without a version resource: the default application name is empty and the version
// reader's message box comes once per call.
#include <gtest/gtest.h>

#include "gui/Application.h"
#include "update/OrbAutoUpdate.h"

#include <string>
#include <vector>

namespace {

class CapturedMessages {
public:
    CapturedMessages() {
        Application().SetMessageBoxFunction(
            [this](const std::string& text, const std::string&, UINT) {
                Texts.push_back(text);
                return IDOK;
            });
    }
    ~CapturedMessages() { Application().SetMessageBoxFunction(nullptr); }
    std::vector<std::string> Texts;
};

} // namespace

TEST(AutoUpdateWithoutVersion, DefaultApplicationNameIsEmptyAfterOneMessage) {
    CapturedMessages messages;
    EXPECT_EQ(GetDefaultApplicationName(), "");
    ASSERT_EQ(messages.Texts.size(), 1u);
    EXPECT_EQ(messages.Texts[0].rfind("GetFileVersionInfoSize error #:", 0), 0u);
    EXPECT_EQ(GetDefaultApplicationName(), "");
    EXPECT_EQ(messages.Texts.size(), 2u);
}

TEST(AutoUpdateWithoutVersion, RegistersAnEmptyApplicationName) {
    CapturedMessages messages;
    TProgramSettings settings;
    RegisterAutoUpdateSettings(settings);
    EXPECT_EQ(messages.Texts.size(), 1u);
    ASSERT_EQ(settings.Count(), 18);
    EXPECT_EQ(settings.GetItem(1).KeyName(), "AutoUpdateApplication");
    EXPECT_EQ(settings.GetItem(1).DefaultValue().Kind(), TVarKind::vkString);
    EXPECT_EQ(settings.GetItem(1).DefaultValue().AsString(), "");
}

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

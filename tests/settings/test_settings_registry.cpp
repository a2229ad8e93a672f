// The registry store over the real registry; a refused key through the open seam.
#include <gtest/gtest.h>

#include "base/Registry.h"
#include "base/ScratchPlaces.h"
#include "settings/OrbProgramSettings.h"
#include "settings/SettingsKeys.h"
#include "TestSupport.h"

namespace {

LONG RefuseAll(HKEY, const char*, bool, REGSAM, HKEY*) {
    return ERROR_ACCESS_DENIED;
}

class TRefuseScope {
public:
    TRefuseScope() : FPrevious(TRegistry::SetOpenKeyFunc(RefuseAll)) {}
    ~TRefuseScope() { TRegistry::SetOpenKeyFunc(FPrevious); }

private:
    TRegistry::TOpenKeyFunc FPrevious;
};

class RegistryStore : public ::testing::Test {
protected:
    void SetUp() override {
        Settings.SetSettingsKey(Place.Path());
        RegisterSystemKeys(Settings);
    }
    bool KeyExists(HKEY root, const std::string& path) {
        HKEY key = nullptr;
        if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
            return false;
        }
        RegCloseKey(key);
        return true;
    }

    scratch::TTestKey Place;
    TProgramSettings Settings;
};

} // namespace

TEST_F(RegistryStore, SavesEveryValueByKindAndLoadsItBack) {
    Settings.Add("Secret", vtPassword, "");
    Settings.Add("Rate", vtFloat, 0.0);
    Settings.Add("Money", vtCurrency, 0);
    Settings.Add("Stamp", vtDateTime, 0);
    Settings.Add("Expand", vtString, "");
    Settings.LoadDefaults();
    Settings.Load();
    Settings.SetValue("Secret", " p\"w ");
    Settings.SetValue("Rate", 1.0 / 3.0);
    Settings.SetValue("Money", Variant::FromCurrency(-123456789));
    Settings.SetValue("Stamp", Variant::FromDateTime(45123.123456789));
    Settings.SetValue("Warning", 30.0);
    Settings.Save();

    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey(Place.Path(), false));
    EXPECT_EQ(reg.ReadString("Secret"), EncryptString(" p\"w ", "M4QUILT"));
    EXPECT_EQ(reg.ReadInteger("Warning"), 30);
    EXPECT_EQ(reg.ReadInteger("Enabled"), 1);
    EXPECT_EQ(reg.ReadCurrency("Money"), -123456789);
    reg.WriteExpandString("Expand", "%PATH%");

    TProgramSettings again;
    again.SetSettingsKey("\\" + Place.Path()); // a leading backslash is dropped
    RegisterSystemKeys(again);
    again.Add("Secret", vtPassword, "");
    again.Add("Rate", vtFloat, 0.0);
    again.Add("Money", vtCurrency, 0);
    again.Add("Stamp", vtDateTime, 0);
    again.Add("Expand", vtString, "");
    again.Load();
    EXPECT_EQ(again.GetValue("Secret"), Variant(" p\"w "));
    EXPECT_EQ(again.GetValue("Rate"), Variant(1.0 / 3.0));
    EXPECT_EQ(again.GetValue("Money"), Variant::FromCurrency(-123456789));
    EXPECT_EQ(again.GetValue("Stamp"), Variant::FromDateTime(45123.123456789));
    EXPECT_EQ(again.GetValue("Warning"), Variant(30));
    EXPECT_EQ(again.GetValue("Enabled"), Variant(true));
    EXPECT_EQ(again.GetValue("Expand"), Variant("%PATH%"));
}

TEST_F(RegistryStore, MissingValuesTakeTheDefault) {
    Settings.SetSettingsKey(Place.Path() + "\\New");
    Settings.Load();
    EXPECT_EQ(Settings.GetValue("Hour"), Variant(20));
    EXPECT_EQ(Settings.GetValue("AutoUpdateURL"),
              Variant("http://updates.example.com/autoupdate.ini"));
    // The load created the key, empty.
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, Place.Path() + "\\New"));
}

TEST_F(RegistryStore, WrongKindFailsTheLoadAtItsItem) {
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey(Place.Path(), false));
    reg.WriteBool("AutoUpdateEnabled", false);
    reg.WriteString("AutoUpdateHTTPPort", "80");
    reg.WriteString("Hour", "7");
    Settings.SetValue("AutoUpdateEnabled", "old");
    Settings.SetValue("AutoUpdateHTTPPort", "old");
    Settings.SetValue("Hour", "old");
    EXPECT_EQ(support::MessageOf<ERegistryException>([&] { Settings.Load(); }),
              "Invalid data type for 'AutoUpdateHTTPPort'");
    EXPECT_EQ(Settings.GetValue("AutoUpdateEnabled"), Variant(false));
    EXPECT_EQ(Settings.GetValue("AutoUpdateHTTPPort"), Variant("old"));
    EXPECT_EQ(Settings.GetValue("Hour"), Variant("old"));
}

TEST_F(RegistryStore, EmptySettingsKeyUsesTheRootItself) {
    HKEY root = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, Place.Path().c_str(), 0, KEY_ALL_ACCESS, &root),
              ERROR_SUCCESS);
    Settings.SetRootKey(root);
    Settings.SetSettingsKey("");
    Settings.Load();
    Settings.SetValue("Hour", 3);
    Settings.Save();
    RegCloseKey(root);
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey(Place.Path(), false));
    EXPECT_EQ(reg.ReadInteger("Hour"), 3);
}

TEST_F(RegistryStore, StoredDefaultsLiveUnderTheUsersDefaultKey) {
    TRegistry users;
    users.SetRootKey(HKEY_USERS);
    ASSERT_TRUE(users.OpenKey(".Default\\" + Place.Path(), true));
    users.WriteInteger("Hour", 5);
    users.WriteString("AutoUpdateHTTPPassword", EncryptString("pw", "M4QUILT"));
    users.CloseKey();
    TRegistry values;
    ASSERT_TRUE(values.OpenKey(Place.Path(), false));
    values.WriteInteger("Minute", 7);

    Settings.LoadDefaults();
    EXPECT_EQ(Settings.GetSetting("Hour").DefaultValue(), Variant(5));
    EXPECT_EQ(Settings.GetSetting("AutoUpdateHTTPPassword").DefaultValue(), Variant("pw"));
    // An item without a stored default gets its default as value already.
    EXPECT_TRUE(Settings.GetValue("Hour").IsEmpty());
    EXPECT_EQ(Settings.GetValue("Minute"), Variant(0));
    Settings.Load();
    EXPECT_EQ(Settings.GetValue("Hour"), Variant(5));
    EXPECT_EQ(Settings.GetValue("Minute"), Variant(7));
    EXPECT_EQ(Settings.GetValue("AutoUpdateHTTPPassword"), Variant("pw"));
    Settings.Save();
    // Nothing is written under HKEY_USERS.
    ASSERT_TRUE(users.OpenKey(".Default\\" + Place.Path(), false));
    EXPECT_FALSE(users.ValueExists("Minute"));

    // A leading backslash joins the path without another one.
    TProgramSettings s;
    s.SetSettingsKey("\\" + Place.Path());
    s.Add("Hour", vtInteger, 1);
    s.LoadDefaults();
    EXPECT_EQ(s.GetSetting("Hour").DefaultValue(), Variant(5));
}

TEST_F(RegistryStore, EmptySettingsKeyDefaultsComeFromDotDefault) {
    const std::string name = "SundownTest" + scratch::UniqueName();
    TRegistry users;
    users.SetRootKey(HKEY_USERS);
    ASSERT_TRUE(users.OpenKey(".Default", false));
    users.WriteInteger(name, 42);
    TProgramSettings s;
    s.Add(name, vtInteger, 1);
    s.LoadDefaults();
    users.DeleteValue(name);
    EXPECT_EQ(s.GetSetting(name).DefaultValue(), Variant(42));
}

TEST_F(RegistryStore, RefusedKeysReadAndWriteNothing) {
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey(Place.Path(), false));
    reg.WriteInteger("Hour", 9);
    {
        TRefuseScope refuse;
        Settings.LoadDefaults();
        Settings.Load();
        EXPECT_TRUE(Settings.GetValue("Hour").IsEmpty());
        EXPECT_EQ(Settings.GetSetting("Hour").DefaultValue(), Variant(20));
        Settings.SetValue("Hour", 11);
        EXPECT_NO_THROW(Settings.Save());
    }
    EXPECT_EQ(reg.ReadInteger("Hour"), 9);
    EXPECT_FALSE(reg.ValueExists("Minute"));
}

TEST_F(RegistryStore, SaveFailsAtAValueThatDoesNotConvert) {
    Settings.Load();
    Settings.SetValue("Hour", "twenty");
    EXPECT_THROW(Settings.Save(), EVariantTypeCastError);
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey(Place.Path(), false));
    EXPECT_TRUE(reg.ValueExists("Enabled"));
    EXPECT_FALSE(reg.ValueExists("Hour"));
    EXPECT_FALSE(reg.ValueExists("Minute"));
}

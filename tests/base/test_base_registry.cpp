// The registry accessor over the real registry, and its open seam.
#include <gtest/gtest.h>

#include <vector>

#include "base/Registry.h"
#include "base/ScratchPlaces.h"
#include "TestSupport.h"

namespace {

template <typename F> std::string RegistryMessage(F f) {
    return support::MessageOf<ERegistryException>(f);
}

void SetRaw(const std::string& path, const char* name, DWORD type, const void* data, DWORD size) {
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_ALL_ACCESS, &key),
              ERROR_SUCCESS);
    RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size);
    RegCloseKey(key);
}

LONG RefuseAll(HKEY, const char*, bool, REGSAM, HKEY*) {
    return ERROR_ACCESS_DENIED;
}

// Opens the key with read rights only, as a key that refuses full access would be used.
LONG OpenReadOnly(HKEY root, const char* path, bool, REGSAM, HKEY* result) {
    return RegOpenKeyExA(root, path, 0, KEY_READ, result);
}

// Records the access each open asks for, and opens with it.
std::vector<REGSAM>& AskedAccess() {
    static std::vector<REGSAM> asked;
    return asked;
}
LONG RecordAccess(HKEY root, const char* path, bool, REGSAM access, HKEY* result) {
    AskedAccess().push_back(access);
    return RegOpenKeyExA(root, path, 0, access, result);
}

class TOpenKeyFuncScope {
public:
    explicit TOpenKeyFuncScope(TRegistry::TOpenKeyFunc f)
        : FPrevious(TRegistry::SetOpenKeyFunc(f)) {}
    ~TOpenKeyFuncScope() { TRegistry::SetOpenKeyFunc(FPrevious); }

private:
    TRegistry::TOpenKeyFunc FPrevious;
};

} // namespace

TEST(Registry, OpensCreatesAndCloses) {
    scratch::TTestKey place;
    TRegistry reg;
    EXPECT_EQ(reg.Access(), static_cast<REGSAM>(KEY_ALL_ACCESS));
    EXPECT_EQ(reg.RootKey(), HKEY_CURRENT_USER);
    EXPECT_FALSE(reg.OpenKey(place.Path() + "\\Sub", false));
    EXPECT_EQ(reg.CurrentKey(), nullptr);
    ASSERT_TRUE(reg.OpenKey("\\" + place.Path() + "\\Sub", true));
    EXPECT_NE(reg.CurrentKey(), nullptr);
    reg.WriteString("Name", "v");
    reg.CloseKey();
    EXPECT_EQ(reg.CurrentKey(), nullptr);
    EXPECT_FALSE(reg.ValueExists("Name"));
    ASSERT_TRUE(reg.OpenKey(place.Path() + "\\Sub", false));
    EXPECT_TRUE(reg.ValueExists("Name"));
    EXPECT_FALSE(reg.ValueExists("Other"));
    EXPECT_TRUE(reg.DeleteValue("Name"));
    EXPECT_FALSE(reg.ValueExists("Name"));
    EXPECT_FALSE(reg.DeleteValue("Name"));

    // An empty path opens the root itself.
    HKEY root = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, place.Path().c_str(), 0, KEY_ALL_ACCESS, &root),
              ERROR_SUCCESS);
    reg.SetRootKey(root);
    EXPECT_EQ(reg.CurrentKey(), nullptr);
    ASSERT_TRUE(reg.OpenKey("", true));
    reg.WriteInteger("Direct", 5);
    reg.CloseKey();
    RegCloseKey(root);
    TRegistry check;
    ASSERT_TRUE(check.OpenKey(place.Path(), false));
    EXPECT_EQ(check.ReadInteger("Direct"), 5);
}

TEST(Registry, TypedValuesRoundTrip) {
    scratch::TTestKey place;
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey(place.Path(), true));
    reg.WriteString("S", "text with\r\nline break");
    reg.WriteString("Empty", "");
    reg.WriteInteger("I", INT32_MIN);
    reg.WriteBool("B", true);
    reg.WriteFloat("F", 1.0 / 3.0);
    reg.WriteCurrency("C", -123456789012345LL);
    reg.WriteDateTime("D", 45000.75);
    reg.WriteExpandString("X", "%TEMP%\\x");
    EXPECT_EQ(reg.ReadString("S"), "text with\r\nline break");
    EXPECT_EQ(reg.ReadString("Empty"), "");
    EXPECT_EQ(reg.ReadString("Missing"), "");
    EXPECT_EQ(reg.ReadInteger("I"), INT32_MIN);
    EXPECT_TRUE(reg.ReadBool("B"));
    EXPECT_EQ(reg.ReadFloat("F"), 1.0 / 3.0);
    EXPECT_EQ(reg.ReadCurrency("C"), -123456789012345LL);
    EXPECT_EQ(reg.ReadDateTime("D"), 45000.75);
    EXPECT_EQ(reg.ReadDate("D"), 45000.75);
    EXPECT_EQ(reg.ReadTime("D"), 45000.75);
    EXPECT_EQ(reg.ReadString("X"), "%TEMP%\\x"); // not expanded

    // Stored kinds: DWORD and 8-byte binaries, little-endian.
    HKEY key = reg.CurrentKey();
    DWORD type = 0, size = 0;
    RegQueryValueExA(key, "I", nullptr, &type, nullptr, &size);
    EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
    RegQueryValueExA(key, "C", nullptr, &type, nullptr, &size);
    EXPECT_EQ(type, static_cast<DWORD>(REG_BINARY));
    EXPECT_EQ(size, 8u);
    unsigned char bytes[8];
    size = 8;
    reg.WriteCurrency("One", 1);
    RegQueryValueExA(key, "One", nullptr, &type, bytes, &size);
    EXPECT_EQ(bytes[0], 1);
    EXPECT_EQ(bytes[7], 0);
}

TEST(Registry, WrongKindsAndSizesRaise) {
    scratch::TTestKey place;
    SetRaw(place.Path(), "Text", REG_SZ, "22", 3);
    SetRaw(place.Path(), "LongText", REG_SZ, "a longer text", 14);
    const DWORD dword = 2;
    SetRaw(place.Path(), "Dword", REG_DWORD, &dword, 4);
    const unsigned char four[4] = {1, 2, 3, 4};
    SetRaw(place.Path(), "Four", REG_BINARY, four, 4);
    const unsigned char nine[9] = {};
    SetRaw(place.Path(), "Nine", REG_BINARY, nine, 9);
    const unsigned char two[2] = {1, 0};
    SetRaw(place.Path(), "ShortDword", REG_DWORD, two, 2);

    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey(place.Path(), false));
    EXPECT_EQ(RegistryMessage([&] { reg.ReadInteger("Text"); }), "Invalid data type for 'Text'");
    EXPECT_EQ(RegistryMessage([&] { reg.ReadInteger("LongText"); }),
              "Failed to get data for 'LongText'");
    EXPECT_EQ(RegistryMessage([&] { reg.ReadInteger("Missing"); }),
              "Failed to get data for 'Missing'");
    EXPECT_EQ(RegistryMessage([&] { reg.ReadInteger("ShortDword"); }),
              "Invalid data type for 'ShortDword'");
    EXPECT_EQ(RegistryMessage([&] { reg.ReadString("Dword"); }), "Invalid data type for 'Dword'");
    EXPECT_EQ(RegistryMessage([&] { reg.ReadFloat("Dword"); }), "Invalid data type for 'Dword'");
    EXPECT_EQ(RegistryMessage([&] { reg.ReadFloat("Four"); }), "Invalid data type for 'Four'");
    EXPECT_EQ(RegistryMessage([&] { reg.ReadCurrency("Nine"); }), "Failed to get data for 'Nine'");
    EXPECT_EQ(RegistryMessage([&] { reg.ReadBool("Text"); }), "Invalid data type for 'Text'");
    EXPECT_TRUE(reg.ReadBool("Dword"));
}

TEST(Registry, RefusedKeysAndWrites) {
    scratch::TTestKey place;
    {
        TOpenKeyFuncScope refuse(RefuseAll);
        TRegistry reg;
        EXPECT_FALSE(reg.OpenKey(place.Path(), true));
        EXPECT_EQ(RegistryMessage([&] { reg.WriteInteger("X", 1); }), "Failed to set data for 'X'");
    }
    {
        TOpenKeyFuncScope readOnly(OpenReadOnly);
        TRegistry reg;
        ASSERT_TRUE(reg.OpenKey(place.Path(), true));
        EXPECT_EQ(RegistryMessage([&] { reg.WriteString("X", "v"); }),
                  "Failed to set data for 'X'");
        EXPECT_FALSE(reg.ValueExists("X"));
    }
    // The real calls are back.
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey(place.Path(), true));
    reg.WriteString("X", "v");
    EXPECT_TRUE(reg.ValueExists("X"));
}

TEST(Registry, AReadOnlyOpenAsksForReadAccessInTheObjectsView) {
    scratch::TTestKey place;
    {
        TRegistry writer;
        ASSERT_TRUE(writer.OpenKey(place.Path(), true));
        writer.WriteString("Name", "v");
    }
    const struct {
        REGSAM Access;
        REGSAM Asked;
    } cases[] = {
        {KEY_ALL_ACCESS, KEY_READ},
        {KEY_WRITE, KEY_READ},
        {KEY_ALL_ACCESS | KEY_WOW64_32KEY, KEY_READ | KEY_WOW64_32KEY},
        {KEY_READ | KEY_WOW64_64KEY, KEY_READ | KEY_WOW64_64KEY},
    };
    for (const auto& c : cases) {
        AskedAccess().clear();
        TOpenKeyFuncScope record(RecordAccess);
        TRegistry reg(c.Access);
        ASSERT_TRUE(reg.OpenKeyReadOnly("\\" + place.Path())) << c.Access;
        EXPECT_EQ(AskedAccess(), std::vector<REGSAM>{c.Asked}) << c.Access;
        EXPECT_EQ(reg.Access(), c.Access) << "the object's own access stays";
        EXPECT_EQ(reg.ReadString("Name"), "v");
        EXPECT_EQ(RegistryMessage([&] { reg.WriteString("Name", "w"); }),
                  "Failed to set data for 'Name'");
        EXPECT_FALSE(reg.OpenKeyReadOnly(place.Path() + "\\Missing"));
        EXPECT_EQ(reg.CurrentKey(), nullptr);
    }
}

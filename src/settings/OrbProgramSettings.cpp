#include "settings/OrbProgramSettings.h"

#include <exception>

#include "base/ApplicationHooks.h"
#include "base/IniFile.h"
#include "base/IniFileUpdate.h"
#include "base/ListError.h"
#include "base/Registry.h"

namespace {

constexpr const char* DefaultEncryptKey = "M4QUILT";
constexpr const char* SettingsSection = "Settings";
constexpr const char* DefaultsSection = ".Defaults";

char UpperAscii(char C) {
    return C >= 'a' && C <= 'z' ? static_cast<char>(C - 'a' + 'A') : C;
}

bool SameKeyName(const std::string& A, const std::string& B) {
    if (A.size() != B.size()) {
        return false;
    }
    for (size_t i = 0; i < A.size(); ++i) {
        if (UpperAscii(A[i]) != UpperAscii(B[i])) {
            return false;
        }
    }
    return true;
}

std::string ChangeFileExt(const std::string& Path, const std::string& Ext) {
    const size_t slash = Path.find_last_of("\\/:");
    const size_t dot = Path.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) {
        return Path + Ext;
    }
    return Path.substr(0, dot) + Ext;
}

// A line break or NUL cannot stand in an INI line; each run of them becomes one blank, so the
// rest of the text and every other line of the file stay intact.
std::string SingleLine(const std::string& Text) {
    std::string out;
    out.reserve(Text.size());
    bool inBreak = false;
    for (char c : Text) {
        if (c == '\r' || c == '\n' || c == '\0') {
            if (!inBreak) {
                out += ' ';
            }
            inBreak = true;
        } else {
            out += c;
            inBreak = false;
        }
    }
    return out;
}

// An item's value read from the open registry key by its type.
Variant ReadRegistryValue(const TRegistry& Reg, const TSettingItem& Item, const std::string& Key) {
    const std::string& name = Item.KeyName();
    switch (Item.ValueType()) {
    case vtPassword:
        return EncryptString(Reg.ReadString(name), Key);
    case vtInteger:
        return Reg.ReadInteger(name);
    case vtBoolean:
        return Reg.ReadBool(name);
    case vtFloat:
        return Reg.ReadFloat(name);
    case vtCurrency:
        return Variant::FromCurrency(Reg.ReadCurrency(name));
    case vtDate:
    case vtTime:
    case vtDateTime:
        return Variant::FromDateTime(Reg.ReadDateTime(name));
    default:
        return Reg.ReadString(name);
    }
}

void WriteRegistryValue(TRegistry& Reg, const TSettingItem& Item, const std::string& Key) {
    const std::string& name = Item.KeyName();
    const Variant& v = Item.Value();
    switch (Item.ValueType()) {
    case vtPassword:
        Reg.WriteString(name, EncryptString(v.AsString(), Key));
        break;
    case vtInteger:
        Reg.WriteInteger(name, v.AsInteger());
        break;
    case vtBoolean:
        Reg.WriteBool(name, v.AsBoolean());
        break;
    case vtFloat:
        Reg.WriteFloat(name, v.AsDouble());
        break;
    case vtCurrency:
        Reg.WriteCurrency(name, v.AsCurrency());
        break;
    case vtDate:
    case vtTime:
    case vtDateTime:
        Reg.WriteDateTime(name, v.AsDateTime());
        break;
    default:
        Reg.WriteString(name, v.AsString());
        break;
    }
}

// An item's entry of Section read by its type; Fallback (converted to the type first) stands in
// for a missing entry or text that does not convert.
Variant ReadIniValue(const TIniFile& Ini, const std::string& Section, const TSettingItem& Item,
                     const Variant& Fallback, const std::string& Key) {
    const std::string& name = Item.KeyName();
    switch (Item.ValueType()) {
    case vtPassword: {
        const std::string plain = Fallback.AsString();
        if (!Ini.ValueExists(Section, name)) {
            return plain;
        }
        return EncryptString(Ini.ReadString(Section, name, ""), Key);
    }
    case vtInteger:
        return Ini.ReadInteger(Section, name, Fallback.AsInteger());
    case vtBoolean:
        return Ini.ReadBool(Section, name, Fallback.AsBoolean());
    case vtFloat:
    case vtCurrency:
        return Ini.ReadFloat(Section, name, Fallback.AsDouble());
    case vtDate:
        return Variant::FromDateTime(Ini.ReadDate(Section, name, Fallback.AsDateTime()));
    case vtTime:
        return Variant::FromDateTime(Ini.ReadTime(Section, name, Fallback.AsDateTime()));
    case vtDateTime:
        return Variant::FromDateTime(Ini.ReadDateTime(Section, name, Fallback.AsDateTime()));
    default:
        return Ini.ReadString(Section, name, Fallback.AsString());
    }
}

void WriteIniValue(TIniFile& Ini, const TSettingItem& Item, const std::string& Key) {
    const std::string& name = Item.KeyName();
    const Variant& v = Item.Value();
    switch (Item.ValueType()) {
    case vtPassword:
        Ini.WriteString(SettingsSection, name, EncryptString(SingleLine(v.AsString()), Key));
        break;
    case vtInteger:
        Ini.WriteInteger(SettingsSection, name, v.AsInteger());
        break;
    case vtBoolean:
        Ini.WriteBool(SettingsSection, name, v.AsBoolean());
        break;
    case vtFloat:
    case vtCurrency:
        Ini.WriteFloat(SettingsSection, name, v.AsDouble());
        break;
    case vtDate:
        Ini.WriteDate(SettingsSection, name, v.AsDateTime());
        break;
    case vtTime:
        Ini.WriteTime(SettingsSection, name, v.AsDateTime());
        break;
    case vtDateTime:
        Ini.WriteDateTime(SettingsSection, name, v.AsDateTime());
        break;
    default:
        Ini.WriteString(SettingsSection, name, SingleLine(v.AsString()));
        break;
    }
}

} // namespace

std::string EncryptString(const std::string& Value, const std::string& Key) {
    if (Value.empty() || Key.empty()) {
        return {};
    }
    std::string result(Value.size(), '\0');
    for (size_t i = 0; i < Value.size(); ++i) {
        const unsigned c = static_cast<unsigned char>(Value[i]);
        const unsigned k = static_cast<unsigned char>(Key[i % Key.size()]);
        unsigned r = c;
        if (c >= 128) {
            r = c ^ (k & 127);
        } else if (c >= 64) {
            r = c ^ (k & 63);
        } else if (c >= 32) {
            r = c ^ (k & 31);
        }
        result[i] = static_cast<char>(r);
    }
    return result;
}

TProgramSettings::TProgramSettings()
    : FEncryptKey(DefaultEncryptKey), FINIFileName(ChangeFileExt(ExecutableName(), ".ini")) {}

TSettingItem& TProgramSettings::Add(const std::string& KeyName, TValueType ValueType,
                                    const Variant& DefaultValue) {
    auto item = std::make_unique<TSettingItem>(*this);
    item->SetKeyName(KeyName);
    item->SetValueType(ValueType);
    item->SetDefaultValue(DefaultValue);
    FItems.push_back(std::move(item));
    return *FItems.back();
}

int TProgramSettings::IndexOf(const std::string& KeyName) const {
    for (size_t i = 0; i < FItems.size(); ++i) {
        if (SameKeyName(FItems[i]->KeyName(), KeyName)) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

TSettingItem& TProgramSettings::GetSetting(const std::string& KeyName) {
    const int index = IndexOf(KeyName);
    if (index < 0) {
        throw EProgramSettingError(Format("Invalid Key Name (%s)", KeyName.c_str()));
    }
    return *FItems[static_cast<size_t>(index)];
}

Variant TProgramSettings::GetValue(const std::string& KeyName) {
    return GetSetting(KeyName).Value();
}

void TProgramSettings::SetValue(const std::string& KeyName, const Variant& Value) {
    GetSetting(KeyName).SetValue(Value);
}

TSettingItem& TProgramSettings::GetItem(int Index) {
    if (Index < 0 || Index >= Count()) {
        throw EListError::IndexOutOfBounds(Index);
    }
    return *FItems[static_cast<size_t>(Index)];
}

void TProgramSettings::ApplyDefaultKey() {
    if (FEncryptKey.empty()) {
        FEncryptKey = DefaultEncryptKey;
    }
}

void TProgramSettings::LoadDefaults() {
    ApplyDefaultKey();
    if (FSettingsStore == ssRegistry) {
        LoadDefaultsFromRegistry();
    } else if (FSettingsStore == ssINIFile) {
        LoadDefaultsFromIni();
    }
}

void TProgramSettings::Load() {
    ApplyDefaultKey();
    if (FSettingsStore == ssRegistry) {
        LoadFromRegistry();
    } else if (FSettingsStore == ssINIFile) {
        LoadFromIni();
    }
}

void TProgramSettings::Save() {
    ApplyDefaultKey();
    if (FSettingsStore == ssRegistry) {
        SaveToRegistry();
    } else if (FSettingsStore == ssINIFile) {
        SaveToIni();
    }
}

void TProgramSettings::LoadDefaultsFromRegistry() {
    TRegistry reg;
    reg.SetRootKey(HKEY_USERS);
    const std::string path = !FSettingsKey.empty() && FSettingsKey[0] == '\\'
                                 ? ".Default" + FSettingsKey
                                 : ".Default\\" + FSettingsKey;
    if (!reg.OpenKey(path, true)) {
        return;
    }
    for (auto& item : FItems) {
        if (reg.ValueExists(item->KeyName())) {
            item->SetDefaultValue(ReadRegistryValue(reg, *item, FEncryptKey));
        } else {
            item->SetValue(item->DefaultValue());
        }
    }
}

void TProgramSettings::LoadDefaultsFromIni() {
    const TIniFile ini(FINIFileName);
    for (auto& item : FItems) {
        item->SetDefaultValue(
            ReadIniValue(ini, DefaultsSection, *item, item->DefaultValue(), FEncryptKey));
    }
}

void TProgramSettings::LoadFromRegistry() {
    TRegistry reg;
    reg.SetRootKey(FRootKey);
    if (!reg.OpenKey(FSettingsKey, true)) {
        return;
    }
    for (auto& item : FItems) {
        if (reg.ValueExists(item->KeyName())) {
            item->SetValue(ReadRegistryValue(reg, *item, FEncryptKey));
        } else {
            item->SetValue(item->DefaultValue());
        }
    }
}

void TProgramSettings::LoadFromIni() {
    // A copy left by a save that was cut off goes at the start.
    RemoveIniFileCopy(FINIFileName);
    const TIniFile ini(FINIFileName);
    for (auto& item : FItems) {
        item->SetValue(
            ReadIniValue(ini, SettingsSection, *item, item->DefaultValue(), FEncryptKey));
    }
}

void TProgramSettings::SaveToRegistry() {
    TRegistry reg;
    reg.SetRootKey(FRootKey);
    if (!reg.OpenKey(FSettingsKey, true)) {
        return;
    }
    for (const auto& item : FItems) {
        WriteRegistryValue(reg, *item, FEncryptKey);
    }
}

void TProgramSettings::SaveToIni() {
    TIniFileUpdate update(FINIFileName);
    // An item that cannot be written ends the save there; the items before it still reach the
    // file, which changes as a whole.
    std::exception_ptr failure;
    try {
        for (const auto& item : FItems) {
            WriteIniValue(update.Ini(), *item, FEncryptKey);
        }
    } catch (...) {
        failure = std::current_exception();
    }
    if (!failure) {
        update.Commit();
        return;
    }
    try {
        update.Commit();
    } catch (const EIniFileException&) {
        // The item's own failure is the one to report.
    }
    std::rethrow_exception(failure);
}

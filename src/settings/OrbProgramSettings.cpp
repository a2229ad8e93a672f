#include "settings/OrbProgramSettings.h"

#include "gui/Application.h"
#include "base/IniFile.h"
#include "base/ListError.h"
#include "base/Registry.h"

namespace {

constexpr const char* DefaultEncryptKey = "M4QUILT";
constexpr const char* SettingsSection = "Settings";
constexpr const char* DefaultsSection = ".Defaults";

char UpperAscii(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

bool SameKeyName(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (size_t i = 0; i < a.size(); ++i) {
        if (UpperAscii(a[i]) != UpperAscii(b[i])) {
            return false;
        }
    }
    return true;
}

std::string ChangeFileExt(const std::string& path, const std::string& ext) {
    const size_t slash = path.find_last_of("\\/:");
    const size_t dot = path.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) {
        return path + ext;
    }
    return path.substr(0, dot) + ext;
}

// A line break or NUL cannot stand in an INI line; each run of them becomes one blank, so the
// rest of the text and every other line of the file stay intact.
std::string SingleLine(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    bool inBreak = false;
    for (char c : text) {
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
Variant ReadRegistryValue(const TRegistry& reg, const TSettingItem& item, const std::string& key) {
    const std::string& name = item.KeyName();
    switch (item.ValueType()) {
    case vtPassword:
        return EncryptString(reg.ReadString(name), key);
    case vtInteger:
        return reg.ReadInteger(name);
    case vtBoolean:
        return reg.ReadBool(name);
    case vtFloat:
        return reg.ReadFloat(name);
    case vtCurrency:
        return Variant::FromCurrency(reg.ReadCurrency(name));
    case vtDate:
    case vtTime:
    case vtDateTime:
        return Variant::FromDateTime(reg.ReadDateTime(name));
    default:
        return reg.ReadString(name);
    }
}

void WriteRegistryValue(TRegistry& reg, const TSettingItem& item, const std::string& key) {
    const std::string& name = item.KeyName();
    const Variant& v = item.Value();
    switch (item.ValueType()) {
    case vtPassword:
        reg.WriteString(name, EncryptString(v.AsString(), key));
        break;
    case vtInteger:
        reg.WriteInteger(name, v.AsInteger());
        break;
    case vtBoolean:
        reg.WriteBool(name, v.AsBoolean());
        break;
    case vtFloat:
        reg.WriteFloat(name, v.AsDouble());
        break;
    case vtCurrency:
        reg.WriteCurrency(name, v.AsCurrency());
        break;
    case vtDate:
    case vtTime:
    case vtDateTime:
        reg.WriteDateTime(name, v.AsDateTime());
        break;
    default:
        reg.WriteString(name, v.AsString());
        break;
    }
}

// An item's entry of Section read by its type; Fallback (converted to the type first) stands in
// for a missing entry or text that does not convert.
Variant ReadIniValue(const TIniFile& ini, const std::string& section, const TSettingItem& item,
                     const Variant& fallback, const std::string& key) {
    const std::string& name = item.KeyName();
    switch (item.ValueType()) {
    case vtPassword: {
        const std::string plain = fallback.AsString();
        if (!ini.ValueExists(section, name)) {
            return plain;
        }
        return EncryptString(ini.ReadString(section, name, ""), key);
    }
    case vtInteger:
        return ini.ReadInteger(section, name, fallback.AsInteger());
    case vtBoolean:
        return ini.ReadBool(section, name, fallback.AsBoolean());
    case vtFloat:
    case vtCurrency:
        return ini.ReadFloat(section, name, fallback.AsDouble());
    case vtDate:
        return Variant::FromDateTime(ini.ReadDate(section, name, fallback.AsDateTime()));
    case vtTime:
        return Variant::FromDateTime(ini.ReadTime(section, name, fallback.AsDateTime()));
    case vtDateTime:
        return Variant::FromDateTime(ini.ReadDateTime(section, name, fallback.AsDateTime()));
    default:
        return ini.ReadString(section, name, fallback.AsString());
    }
}

void WriteIniValue(TIniFile& ini, const TSettingItem& item, const std::string& key) {
    const std::string& name = item.KeyName();
    const Variant& v = item.Value();
    switch (item.ValueType()) {
    case vtPassword:
        ini.WriteString(SettingsSection, name, EncryptString(SingleLine(v.AsString()), key));
        break;
    case vtInteger:
        ini.WriteInteger(SettingsSection, name, v.AsInteger());
        break;
    case vtBoolean:
        ini.WriteBool(SettingsSection, name, v.AsBoolean());
        break;
    case vtFloat:
    case vtCurrency:
        ini.WriteFloat(SettingsSection, name, v.AsDouble());
        break;
    case vtDate:
        ini.WriteDate(SettingsSection, name, v.AsDateTime());
        break;
    case vtTime:
        ini.WriteTime(SettingsSection, name, v.AsDateTime());
        break;
    case vtDateTime:
        ini.WriteDateTime(SettingsSection, name, v.AsDateTime());
        break;
    default:
        ini.WriteString(SettingsSection, name, SingleLine(v.AsString()));
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
    : FEncryptKey(DefaultEncryptKey), FINIFileName(ChangeFileExt(Application().ExeName(), ".ini")) {
}

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
    TIniFile ini(FINIFileName);
    for (const auto& item : FItems) {
        WriteIniValue(ini, *item, FEncryptKey);
    }
}

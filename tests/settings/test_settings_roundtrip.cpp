// Save then load returns every value, over many generated values of every type, in both stores.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "base/Convert.h"
#include "base/DateTime.h"
#include "base/ScratchPlaces.h"
#include "settings/OrbProgramSettings.h"

namespace {

struct TCase {
    std::string Name;
    TValueType Type;
    Variant Value;
};

std::string RandomText(scratch::TRandom& r, bool singleLine) {
    std::string text;
    const int length = static_cast<int>(r.Range(0, 40));
    static const char edges[] = " \t\"'";
    for (int i = 0; i < length; ++i) {
        char c = static_cast<char>(r.Range(1, 255));
        if (singleLine && (c == '\r' || c == '\n')) {
            c = '_';
        }
        text += c;
    }
    // Often begin or end with blanks and quotes.
    if (r.Range(0, 2) == 0) {
        text.insert(text.begin(), edges[r.Range(0, 3)]);
    }
    if (r.Range(0, 2) == 0) {
        text += edges[r.Range(0, 3)];
    }
    return text;
}

double RandomDouble(scratch::TRandom& r) {
    for (;;) {
        const uint64_t bits = r.Next();
        double x = 0;
        memcpy(&x, &bits, sizeof x);
        if (std::isfinite(x) && (x == 0 || std::fabs(x) > 1e-300)) {
            return x;
        }
    }
}

TDateTime RandomDateTime(scratch::TRandom& r) {
    TDateTime date = 0, time = 0;
    const int year = static_cast<int>(r.Range(1, 9999));
    const int month = static_cast<int>(r.Range(1, 12));
    TryEncodeDate(year, month, static_cast<int>(r.Range(1, DaysInMonth(year, month))), date);
    TryEncodeTime(static_cast<int>(r.Range(0, 23)), static_cast<int>(r.Range(0, 59)),
                  static_cast<int>(r.Range(0, 59)), static_cast<int>(r.Range(0, 999)), time);
    return date >= 0 ? date + time : date - time;
}

std::vector<TCase> MakeCases(uint64_t seed, int perType, bool iniStore) {
    scratch::TRandom r(seed);
    std::vector<TCase> cases;
    for (int i = 0; i < perType; ++i) {
        const std::string n = std::to_string(i);
        cases.push_back({"S" + n, vtString, RandomText(r, iniStore)});
        cases.push_back({"U" + n, vtUnknown, RandomText(r, iniStore)});
        cases.push_back({"P" + n, vtPassword, RandomText(r, iniStore)});
        cases.push_back({"I" + n, vtInteger, static_cast<int32_t>(r.Next())});
        cases.push_back({"B" + n, vtBoolean, r.Range(0, 1) == 1});
        cases.push_back({"F" + n, vtFloat, RandomDouble(r)});
        cases.push_back({"C" + n, vtCurrency,
                         Variant::FromCurrency(r.Range(-99999999999999LL, 99999999999999LL))});
        cases.push_back({"D" + n, vtDate, Variant::FromDateTime(RandomDateTime(r))});
        cases.push_back({"T" + n, vtTime, Variant::FromDateTime(RandomDateTime(r))});
        cases.push_back({"DT" + n, vtDateTime, Variant::FromDateTime(RandomDateTime(r))});
    }
    return cases;
}

void Register(TProgramSettings& s, const std::vector<TCase>& cases, bool withValues) {
    for (const TCase& c : cases) {
        // Defaults of the right kind that differ from every generated value.
        Variant fallback;
        switch (c.Type) {
        case vtInteger:
        case vtBoolean:
            fallback = c.Type == vtInteger ? Variant(0) : Variant(false);
            break;
        case vtFloat:
        case vtCurrency:
            fallback = 0.0;
            break;
        case vtDate:
        case vtTime:
        case vtDateTime:
            fallback = Variant::FromDateTime(0);
            break;
        default:
            fallback = "fallback";
        }
        TSettingItem& item = s.Add(c.Name, c.Type, fallback);
        if (withValues) {
            item.SetValue(c.Value);
        }
    }
}

// The date and time parts of a value, the time to the second.
void Parts(TDateTime v, int& date, int& seconds) {
    int y, mo, d, h, mi, s, ms;
    ASSERT_TRUE(TryDecodeDateTime(v, y, mo, d, h, mi, s, ms));
    date = y * 10000 + mo * 100 + d;
    seconds = h * 3600 + mi * 60 + s;
}

void ExpectIniRoundTrip(const TCase& c, const Variant& back) {
    SCOPED_TRACE(c.Name);
    switch (c.Type) {
    case vtFloat:
        EXPECT_EQ(back.Kind(), TVarKind::vkDouble);
        EXPECT_EQ(FloatToStr(back.AsDouble()), FloatToStr(c.Value.AsDouble()));
        break;
    case vtCurrency:
        EXPECT_EQ(back.Kind(), TVarKind::vkDouble);
        EXPECT_EQ(back.AsCurrency(), c.Value.AsCurrency());
        break;
    case vtDate:
    case vtTime:
    case vtDateTime: {
        EXPECT_EQ(back.Kind(), TVarKind::vkDate);
        int d1 = 0, s1 = 0, d2 = 0, s2 = 0;
        Parts(c.Value.AsDateTime(), d1, s1);
        Parts(back.AsDateTime(), d2, s2);
        if (c.Type != vtTime) {
            EXPECT_EQ(d2, d1);
        }
        if (c.Type != vtDate) {
            EXPECT_EQ(s2, s1);
        }
        break;
    }
    default:
        EXPECT_EQ(back, c.Value) << "[" << c.Value.AsString() << "] came back as ["
                                 << back.AsString() << "]";
    }
}

} // namespace

TEST(RoundTrip, IniStoreReturnsEveryGeneratedValue) {
    scratch::TTempFolder dir;
    const auto cases = MakeCases(424242, 60, true);
    {
        TProgramSettings s;
        s.SetSettingsStore(ssINIFile);
        s.SetINIFileName(dir.File("settings.ini"));
        Register(s, cases, true);
        s.Save();
    }
    TProgramSettings s;
    s.SetSettingsStore(ssINIFile);
    s.SetINIFileName(dir.File("settings.ini"));
    Register(s, cases, false);
    s.LoadDefaults();
    s.Load();
    for (const TCase& c : cases) {
        ExpectIniRoundTrip(c, s.GetValue(c.Name));
    }
}

TEST(RoundTrip, RegistryStoreReturnsEveryGeneratedValueExactly) {
    scratch::TTestKey place;
    const auto cases = MakeCases(171717, 60, false);
    {
        TProgramSettings s;
        s.SetSettingsKey(place.Path());
        Register(s, cases, true);
        s.Save();
    }
    TProgramSettings s;
    s.SetSettingsKey(place.Path());
    Register(s, cases, false);
    s.Load();
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        const Variant back = s.GetValue(c.Name);
        switch (c.Type) {
        case vtFloat:
            EXPECT_EQ(back.AsDouble(), c.Value.AsDouble());
            break;
        default:
            EXPECT_EQ(back, c.Value);
        }
    }
}

// The variant: kinds kept as given, conversions on demand.
#include <gtest/gtest.h>

#include <cmath>

#include "base/Convert.h"
#include "base/Variant.h"
#include "TestSupport.h"

namespace {

template <typename F> std::string CastMessage(F f) {
    return support::MessageOf<EVariantTypeCastError>(f);
}

} // namespace

TEST(Variant, KeepsTheKindItWasGiven) {
    EXPECT_EQ(Variant().Kind(), TVarKind::vkEmpty);
    EXPECT_TRUE(Variant().IsEmpty());
    EXPECT_TRUE(Variant::Null().IsNull());
    EXPECT_EQ(Variant(true).Kind(), TVarKind::vkBoolean);
    EXPECT_EQ(Variant(short{3}).Kind(), TVarKind::vkInteger);
    EXPECT_EQ(Variant(3u).Kind(), TVarKind::vkInteger);
    EXPECT_EQ(Variant(int64_t{1} << 40).AsInt64(), int64_t{1} << 40);
    EXPECT_EQ(Variant(2.5).Kind(), TVarKind::vkDouble);
    EXPECT_EQ(Variant("x").Kind(), TVarKind::vkString);
    EXPECT_EQ(Variant::FromCurrency(12345).Kind(), TVarKind::vkCurrency);
    EXPECT_EQ(Variant::FromDateTime(1.5).Kind(), TVarKind::vkDate);

    Variant a("text");
    Variant b = a;
    b = Variant(30.0);
    EXPECT_EQ(a, Variant("text"));
    EXPECT_EQ(b, Variant(30.0));
    EXPECT_FALSE(Variant(30.0) == Variant(30));
    EXPECT_FALSE(Variant(1) == Variant(true));
    EXPECT_EQ(Variant(), Variant());
}

TEST(Variant, UnassignedConvertsToEmptyValues) {
    const Variant v;
    EXPECT_EQ(v.AsString(), "");
    EXPECT_EQ(v.AsInteger(), 0);
    EXPECT_FALSE(v.AsBoolean());
    EXPECT_EQ(v.AsDouble(), 0.0);
    EXPECT_EQ(v.AsCurrency(), 0);
    EXPECT_EQ(v.AsDateTime(), 0.0);
}

TEST(Variant, NullAndNonConvertingValuesRaise) {
    EXPECT_EQ(CastMessage([] { Variant::Null().AsInteger(); }),
              "Could not convert variant of type (Null) into type (Integer)");
    EXPECT_EQ(CastMessage([] { Variant::Null().AsString(); }),
              "Could not convert variant of type (Null) into type (String)");
    EXPECT_EQ(CastMessage([] { Variant::Null().AsBoolean(); }),
              "Could not convert variant of type (Null) into type (Boolean)");
    EXPECT_EQ(CastMessage([] { Variant("abc").AsInteger(); }),
              "Could not convert variant of type (String) into type (Integer)");
    EXPECT_EQ(CastMessage([] { Variant("abc").AsDouble(); }),
              "Could not convert variant of type (String) into type (Double)");
    EXPECT_EQ(CastMessage([] { Variant("maybe").AsBoolean(); }),
              "Could not convert variant of type (String) into type (Boolean)");
    EXPECT_EQ(CastMessage([] { Variant("abc").AsDateTime(); }),
              "Could not convert variant of type (String) into type (Date)");
    EXPECT_EQ(CastMessage([] { Variant(int64_t{1} << 40).AsInteger(); }),
              "Could not convert variant of type (Int64) into type (Integer)");
    EXPECT_EQ(CastMessage([] { Variant(3e10).AsInteger(); }),
              "Could not convert variant of type (Double) into type (Integer)");
    EXPECT_EQ(CastMessage([] { Variant(1e300).AsCurrency(); }),
              "Could not convert variant of type (Double) into type (Currency)");
    EXPECT_NE(CastMessage([] { Variant(std::nan("")).AsInt64(); }), "no exception");
}

TEST(Variant, ConvertsBetweenKinds) {
    EXPECT_EQ(Variant(true).AsString(), "True");
    EXPECT_EQ(Variant(false).AsString(), "False");
    EXPECT_EQ(Variant(-42).AsString(), "-42");
    EXPECT_EQ(Variant(30.0).AsString(), "30");
    EXPECT_EQ(Variant(true).AsInteger(), 1);
    // Doubles round half to even.
    EXPECT_EQ(Variant(2.5).AsInteger(), 2);
    EXPECT_EQ(Variant(3.5).AsInteger(), 4);
    EXPECT_EQ(Variant(-2.5).AsInteger(), -2);
    EXPECT_EQ(Variant(30.0).AsInteger(), 30);
    EXPECT_EQ(Variant("22").AsInteger(), 22);
    EXPECT_EQ(Variant("0x16").AsInteger(), 22);
    EXPECT_EQ(Variant(std::string("1") + FormatSettings().DecimalSeparator + "5").AsInteger(), 2);
    EXPECT_TRUE(Variant("true").AsBoolean());
    EXPECT_FALSE(Variant("FALSE").AsBoolean());
    EXPECT_TRUE(Variant("-1").AsBoolean());
    EXPECT_FALSE(Variant("0").AsBoolean());
    EXPECT_TRUE(Variant(2).AsBoolean());
    EXPECT_FALSE(Variant(0.0).AsBoolean());
    EXPECT_EQ(Variant(7).AsDouble(), 7.0);
    EXPECT_EQ(Variant::FromCurrency(15000).AsDouble(), 1.5);
    EXPECT_EQ(Variant::FromCurrency(15000).AsInteger(), 2);
    EXPECT_EQ(Variant::FromCurrency(25000).AsInteger(), 2);
    EXPECT_EQ(Variant::FromCurrency(-15000).AsString(),
              std::string("-1") + FormatSettings().DecimalSeparator + "5");
    EXPECT_EQ(Variant::FromCurrency(20000).AsString(), "2");
    EXPECT_EQ(Variant(1.23456).AsCurrency(), 12346);
    EXPECT_EQ(Variant(3).AsCurrency(), 30000);
    EXPECT_EQ(Variant::FromDateTime(36526.5).AsDouble(), 36526.5);
    EXPECT_EQ(Variant::FromDateTime(36526.5).AsString(), DateTimeToStr(36526.5));
    EXPECT_EQ(Variant(DateTimeToStr(36526.5)).AsDateTime(), 36526.5);
    EXPECT_EQ(Variant(DateToStr(36526)).AsDateTime(), 36526);
}

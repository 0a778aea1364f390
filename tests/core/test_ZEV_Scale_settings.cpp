// The settings value of an axis: its rules, and copies that never carry a handler along.
#include "ZEV_Scale_settings.h"

#include <gtest/gtest.h>

TEST(ScaleSettings, LogarithmicIsCheckedOnlyOnceLoaded)
{
    struct Row {
        const char* Name;
        bool Loaded;
        double Lo, Hi;
        TFigType LabelType;
        bool Taken;
    };
    // clang-format off
    const std::vector<Row> rows = {
        {"loaded, through zero", true, -1, 10, ftNum, false},
        {"loaded, zero low end", true, 0, 10, ftNum, false},
        {"loaded, positive", true, 1, 10, ftNum, true},
        {"loaded, calendar", true, 1, 10, ftDateTime, false},
        {"loaded, at the limit", true, 1e-100, 1, ftNum, true},
        {"loaded, just below the limit", true, 1, 0.99e-100, ftNum, false},
        {"created at run time, through zero", false, -1, 10, ftNum, true},
    };
    // clang-format on
    for (const Row& r : rows) {
        SCOPED_TRACE(r.Name);
        TScaleSettings s;
        s.StoreRange(r.Lo, r.Hi);
        s.SetLabelType(r.LabelType);
        s.SetLogarithmic(true, r.Loaded);
        EXPECT_EQ(s.Logarithmic(), r.Taken);
        s.SetLogarithmic(false, r.Loaded);
        EXPECT_FALSE(s.Logarithmic());
    }
}

TEST(ScaleSettings, CopiesTakeTheDateFormatButNeverItsHandler)
{
    TScaleSettings owned;
    int ownerCalls = 0;
    owned.DateFormat()->OnChange = [&](TObject*) { ++ownerCalls; };

    TScaleSettings copy = owned; // a value passed along reports to nobody
    copy.DateFormat()->SetYearLength(ylYY);
    copy.SetCaption(QStringLiteral("volts"));
    EXPECT_EQ(ownerCalls, 0);
    EXPECT_FALSE(copy == owned);

    owned = copy; // takes the fields silently and keeps its own handler
    EXPECT_EQ(ownerCalls, 0);
    EXPECT_TRUE(owned == copy);
    EXPECT_EQ(owned.DateFormat()->YearLength(), ylYY);
    owned.DateFormat()->SetYearLength(ylNone);
    EXPECT_EQ(ownerCalls, 1);
    EXPECT_EQ(copy.DateFormat()->YearLength(), ylYY);

    TDTLabel foreign;
    foreign.SetDateOrder(doYYMMDD);
    owned.SetDateFormat(foreign);
    EXPECT_EQ(owned.DateFormat()->DateOrder(), doYYMMDD);
    owned.DateFormat()->SetDateOrder(doMMDDYY);
    EXPECT_EQ(ownerCalls, 2);
}

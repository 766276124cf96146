#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "text/TextNumbers.h"
#include "text/NumSpinModel.h"

using morvane::NumSpinModel;

namespace {

NumSpinModel SlantSpin() {
    NumSpinModel m;
    m.SetValueRange(-1.0, 1.0, 0.05);
    return m;
}

// One arrow click as the control does it: read the text, step, show.
std::string Click(const NumSpinModel& m, const std::string& text, int delta, bool wrap = false) {
    return m.DisplayText(m.ArrowValue(morvane::TextToDouble(text), delta, wrap));
}

}  // namespace

TEST(NumSpinModel, SlantRangeHasFortyPositionsWithZeroInTheMiddle) {
    const NumSpinModel m = SlantSpin();
    EXPECT_EQ(m.positionCount, 40);
    const struct {
        double value;
        int position;
    } cases[] = {{0.0, 20}, {-1.0, 0}, {1.0, 40}, {0.05, 21}, {-0.05, 19}, {0.5, 30},
                 {-5.0, 0}, {5.0, 40}, {0.0249, 20}, {0.0251, 21}, {std::nan(""), 0}};
    for (const auto& c : cases) EXPECT_EQ(m.PositionOf(c.value), c.position) << c.value;
}

TEST(NumSpinModel, PositionCountFollowsRangeAndStep) {
    const struct {
        double minimum, maximum, step;
        int count;
    } cases[] = {
        {0, 100, 1, 100}, {-1, 1, 0.05, 40}, {1, -1, 0.05, 40}, {0, 1, 0.3, 3},
        {0, 1e9, 1, 32767},                  // compressed
        {0, 1, 0, 32767},                    // a zero step gives an infinite quotient
        {0, 0, 0, 0},                        // undefined quotient
        {0, 1, -0.25, 4},
    };
    for (const auto& c : cases) {
        NumSpinModel m;
        m.SetValueRange(c.minimum, c.maximum, c.step);
        EXPECT_EQ(m.positionCount, c.count) << c.minimum << " " << c.maximum << " " << c.step;
    }
    NumSpinModel flat;
    flat.SetValueRange(2.0, 2.0, 1.0);
    EXPECT_FALSE(flat.PositionOf(2.0).has_value());
}

TEST(NumSpinModel, ArrowClicksClampAtTheEndTheyMoveToward) {
    const NumSpinModel m = SlantSpin();
    const struct {
        const char* text;
        int delta;
        bool wrap;
        const char* shown;
    } cases[] = {
        {"0.95", 1, false, "1"},   {"1", 1, false, "1"},       {"-0.95", -1, false, "-1"},
        {"-1", -1, false, "-1"},   {"0.15", -1, false, "0.1"}, {"0.1", -1, false, "0.05"},
        {"0.05", -1, false, "0"},  {"5", -1, false, "4.95"},   {"5", 1, false, "1"},
        {"5", 1, true, "-1"},      {"-5", -1, true, "1"},      {"-5", 1, false, "-4.95"},
        {"1", 1, true, "-1"},      {"abc", 1, false, "0.05"},  {"0.3xyz", -2, false, "0.2"},
        {"inf", -1, false, "-1"},  {"nan", 1, false, "1"},     {"-inf", 1, true, "-1"},
        {"0", 0, false, "0"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Click(m, c.text, c.delta, c.wrap), c.shown) << c.text << " " << c.delta << " " << c.wrap;
}

TEST(NumSpinModel, OvershootWithinToleranceIsNotClamped) {
    const NumSpinModel m = SlantSpin();
    const double v = m.ArrowValue(0.95 + 1e-11, 1, false);
    EXPECT_GT(v, 1.0);  // kept, not replaced by the maximum
    EXPECT_EQ(m.DisplayText(v), "1");
    EXPECT_EQ(m.ArrowValue(0.95 + 1e-8, 1, true), -1.0);  // beyond the tolerance it wraps
}

TEST(NumSpinModel, StepsRereadTheTextSoErrorDoesNotAccumulate) {
    const NumSpinModel m = SlantSpin();
    std::string text = "-1";
    for (int i = 1; i <= 40; ++i) {
        text = Click(m, text, 1);
        EXPECT_EQ(morvane::TextToDouble(text), std::round((-1.0 + i * 0.05) * 100) / 100) << text;
    }
    EXPECT_EQ(text, "1");
}

TEST(NumSpinModel, ValueToTextByDecimalPlacesAndTrimming) {
    const struct {
        int places;
        bool trim;
        double value;
        const char* text;
    } cases[] = {
        {-1, true, 0.05, "0.05"},      {-1, true, 100000000.0, "1e+08"}, {-1, false, 2.5, "2.5"},
        {3, true, 2.5, "2.5"},         {3, true, 2.0, "2"},              {0, true, 100.0, "100"},
        {3, true, 1.5e-7, "1.5e-07"},  {3, false, 2.5, "2.500"},         {3, false, 1.5e-7, "1.500e-07"},
        {2, true, 1e8, "1e+08"},       {1, true, 0.04, "0"},             {3, true, -0.0001, "-0"},
        {3, true, 10.0, "10"},         {-7, true, 0.25, "0.25"},         {2, true, 1e300, "1e+300"},
        {3, true, std::numeric_limits<double>::infinity(), "inf"},
    };
    for (const auto& c : cases) {
        NumSpinModel m;
        m.decimalPlaces = c.places;
        m.trimZeros = c.trim;
        EXPECT_EQ(m.ValueToText(c.value), c.text) << c.places << " " << c.trim << " " << c.value;
    }
    NumSpinModel huge;
    huge.decimalPlaces = 2000000000;  // capped, not a giant allocation
    EXPECT_LT(huge.ValueToText(1.0 / 3.0).size(), 400u);
}

TEST(NumSpinModel, CallerFormatIsUsedOnlyWhenItTakesExactlyOneDouble) {
    const struct {
        const char* format;
        bool safe;
        const char* shown;  // for the value 0.25
    } cases[] = {
        {"%.2f", true, "0.25"},     {"Slant %+.3f", true, "Slant +0.250"}, {"%.1f%%", true, "0.2%"},
        {"%8.3e", true, "2.500e-01"}, {"%lg", true, "0.25"},               {"%d", false, "0.25"},
        {"%s", false, "0.25"},      {"%f %f", false, "0.25"},             {"100%%", false, "0.25"},
        {"%n", false, "0.25"},      {"%Lf", false, "0.25"},               {"%*f", false, "0.25"},
        {"%1234f", false, "0.25"},  {"%", false, "0.25"},                 {"%.2", false, "0.25"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(NumSpinModel::IsSafeFormat(c.format), c.safe) << c.format;
        NumSpinModel m;
        m.formatText = c.format;
        EXPECT_EQ(m.DisplayText(0.25), c.shown) << c.format;
    }
}

TEST(NumSpinModel, FormatsWithAPointWhateverTheLocale) {
    // A desktop locale with a decimal comma must not change the text shown.
    if (std::setlocale(LC_NUMERIC, "de_DE.UTF-8") == nullptr) GTEST_SKIP() << "no de_DE locale installed";
    NumSpinModel m;
    m.decimalPlaces = 2;
    EXPECT_EQ(m.ValueToText(0.25), "0.25");
    m.formatText = "%.3f";
    EXPECT_EQ(m.DisplayText(0.5), "0.500");
    std::setlocale(LC_NUMERIC, "C");
}

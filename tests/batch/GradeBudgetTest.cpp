// The size budget's grade search against a made-up encoder whose copies grow
// with the grade: the answer a grade-by-grade search would give, with few
// encodes, and grade 0 kept when nothing fits.

#include "batch/GradeBudget.h"

#include <gtest/gtest.h>

#include <map>

using namespace vardolin::batch;

namespace {

// Copies of 100, 180, 250, ... bytes: growing, by unequal steps.
qint64 sizeAt(int grade)
{
    return 100 + 80 * grade - grade * grade;
}

TEST(GradeBudget, FindsTheHighestFittingLowerGradeWithFourEncodesAtMost)
{
    for (int chosen = 0; chosen <= 11; ++chosen) {
        for (qint64 budget = 50; budget <= sizeAt(10) + 10; budget += 7) {
            std::map<int, int> encodes;
            const auto result = highestGradeWithin(budget, chosen, [&](int grade) {
                ++encodes[grade];
                return sizeAt(grade);
            });
            ASSERT_TRUE(result);
            int expected = -1;
            for (int grade = 0; grade < std::min(chosen, highestDistinctGrade); ++grade)
                if (sizeAt(grade) <= budget)
                    expected = grade;
            SCOPED_TRACE(testing::Message() << "chosen " << chosen << ", budget " << budget);
            EXPECT_EQ(result->fits, expected >= 0);
            EXPECT_EQ(result->grade, std::max(expected, 0));
            EXPECT_LE(encodes.size(), 4u);
            EXPECT_EQ(encodes.count(result->grade), 1u) << "the grade kept was encoded once";
            for (const auto& [grade, count] : encodes) {
                EXPECT_EQ(count, 1);
                EXPECT_LT(grade, std::max(std::min(chosen, highestDistinctGrade), 1));
            }
        }
    }
}

TEST(GradeBudget, AFailedEncodeEndsTheSearch)
{
    EXPECT_FALSE(highestGradeWithin(1000, 7, [](int grade) { return grade == 3 ? -1 : sizeAt(grade); }));
    EXPECT_FALSE(highestGradeWithin(10, 0, [](int) { return qint64(-1); }));
}

} // namespace

#include "FakeSurroundings.h"
#include "frame/StandardProc530.h"

#include <gtest/gtest.h>

using namespace vardolin::frame;
using namespace vardolin::frame::testing;

TEST(DebugStamp, CountsWithinASecondAndRestartsInTheNext)
{
    FakeClock clock;
    FakeEnvironment environment;
    StandardProc proc(clock, environment);
    EXPECT_EQ(proc.s_DebugStamp(0), "2023-05-10-14:30:22.000000");
    EXPECT_EQ(proc.s_DebugStamp(0), "2023-05-10-14:30:22.000001");
    EXPECT_EQ(proc.s_DebugStamp(1), "2023-05-10-14:30:22.000002");
    clock.advance(1000);
    EXPECT_EQ(proc.s_DebugStamp(0), "2023-05-10-14:30:23.000000");
    EXPECT_EQ(proc.s_DebugStamp(0).size(), 26);
}

TEST(DateRecord, FillsPartsAndWrapsTheSmallCounter)
{
    FakeClock clock(QDateTime(QDate(2023, 12, 25), QTime(14, 5, 9)));
    FakeEnvironment environment;
    StandardProc proc(clock, environment);
    DateRecord record;
    proc.s_DateRecord(record);
    EXPECT_EQ(record.stamp16, "2023122514050900");
    EXPECT_EQ(record.stamp17, "20231225140509000");
    EXPECT_EQ(record.stamp20, "20231225140509000000");
    EXPECT_EQ(record.year, 2023);
    EXPECT_EQ(record.month, 12);
    EXPECT_EQ(record.day, 25);
    EXPECT_EQ(record.hour, 14);
    EXPECT_EQ(record.minute, 5);
    EXPECT_EQ(record.second, 9);
    for (int i = 0; i < 100; ++i) {
        proc.s_DateRecord(record);
    }
    EXPECT_EQ(record.count100, 0); // 100 wrapped back to 0
    EXPECT_EQ(record.count1000, 100);
    EXPECT_EQ(record.stamp17, "20231225140509100");
    clock.advance(1000);
    proc.s_DateRecord(record);
    EXPECT_EQ(record.count1000000, 0);
}

TEST(UniqueStamp, EveryFormat)
{
    FakeClock clock;
    FakeEnvironment environment;
    StandardProc proc(clock, environment);
    EXPECT_EQ(proc.s_UniqueStamp("F15"), "230510-14302200");
    EXPECT_EQ(proc.s_UniqueStamp("f15"), "230510-14302201");
    EXPECT_EQ(proc.s_UniqueStamp("F"), "20230510-14302202");
    // 10 May, 14 o'clock: month 5, day A, hour E.
    EXPECT_EQ(proc.s_UniqueStamp(""), "20235AE3022003");
    EXPECT_EQ(proc.s_UniqueStamp("anything"), "20235AE3022004");
    EXPECT_EQ(proc.s_UniqueStamp("TS"), "2023-05-10-14:30:22.000000");
    EXPECT_EQ(proc.s_UniqueStamp("TS"), "2023-05-10-14:30:22.000001");

    FakeClock christmas(QDateTime(QDate(2023, 12, 25), QTime(14, 5, 9)));
    StandardProc other(christmas, environment);
    EXPECT_EQ(other.s_UniqueStamp("12"), "23CPE0509000");
    EXPECT_EQ(other.s_UniqueStamp("12"), "23CPE0509001");

    FakeClock lastDay(QDateTime(QDate(2024, 1, 31), QTime(0, 0, 0)));
    StandardProc third(lastDay, environment);
    EXPECT_EQ(third.s_UniqueStamp("12"), "241V00000000");
}

// The numbers and times of the project file.
#include "projectfiletesting.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <climits>
#include <gtest/gtest.h>
#include <string>

TEST(ProjectFileNumbers, DecimalPrefix)
{
    const struct
    {
        const char* text;
        int32_t value;
    } cases[] = {
        {"", 0},
        {"abc", 0},
        {"12abc", 12},
        {"  -7x", -7},
        {"+5", 5},
        {"-", 0},
        {"2147483647", INT_MAX},
        {"2147483648", INT_MAX},
        {"-2147483648", INT_MIN},
        {"-2147483649", INT_MIN},
        {"4294967296", INT_MAX},
        {"00000000000000000000000000012", 12},
        {"1 2", 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(CProjectFile::ParseDecimal(c.text), c.value);
    }
    int32_t values[3] = {9, 9, 9};
    EXPECT_EQ(CProjectFile::ParseDecimalList("1,-2,x", values, 3), 2);
    EXPECT_EQ(values[0], 1);
    EXPECT_EQ(values[1], -2);
    EXPECT_EQ(values[2], 9);
    uint32_t u[2] = {7, 7};
    EXPECT_EQ(CProjectFile::ParseUnsignedList("-1,99999999999999999999", u, 2), 2);
    EXPECT_EQ(u[0], 0xFFFFFFFFu);
    EXPECT_EQ(u[1], 0xFFFFFFFFu);
}

TEST(ProjectFileTimes, ParseAndFormat)
{
    QDateTime t;
    ASSERT_TRUE(CProjectFile::ParseDateTime("2001/10/05 9:03:27", t));
    EXPECT_EQ(t, QDateTime(QDate(2001, 10, 5), QTime(9, 3, 27), Qt::LocalTime));
    EXPECT_EQ(CProjectFile::FormatDateTime(t), "2001/10/05 9:03:27");
    ASSERT_TRUE(CProjectFile::ParseDateTime(" 2001-10-05 09:03 ", t));
    EXPECT_EQ(t, QDateTime(QDate(2001, 10, 5), QTime(9, 3), Qt::LocalTime));
    ASSERT_TRUE(CProjectFile::ParseDateTime("2001/1/2", t));
    EXPECT_EQ(CProjectFile::FormatDateTime(t), "2001/01/02 0:00:00");
    for (const char* bad : {"", "x", "2001/13/01", "2001/02/30", "2001/10/05 25:00:00",
                            "2001/10/05 9", "2001/10/05 9:03:27 pm", "20011/1/1", "0/1/1"}) {
        SCOPED_TRACE(bad);
        QDateTime u;
        EXPECT_FALSE(CProjectFile::ParseDateTime(bad, u));
        EXPECT_FALSE(u.isValid());
    }
    EXPECT_EQ(CProjectFile::FormatDateTime(QDateTime()), "");
    EXPECT_EQ(CProjectFile::FormatFileTime(-1), "");
    EXPECT_EQ(CProjectFile::FormatFileTime(localSeconds(2001, 9, 30, 18, 22, 10)),
              "2001/09/30 18:22:10");
}

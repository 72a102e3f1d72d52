#include "cli/clisupport.h"
#include "model/cellctrlinfo.h"
#include "model/cellinfolist.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

TEST(CliSupport, Rows)
{
    const struct
    {
        const char* text;
        std::vector<int> rows; // empty: refused
    } cases[] = {
        {"3", {3}},
        {"2,5", {2, 5}},
        {"4-7", {4, 5, 6, 7}},
        {"1,3-5", {1, 3, 4, 5}},
        {"5,1,3-4,4", {1, 3, 4, 5}},
        {"10", {10}},
        {"", {}},
        {"0", {}},
        {"11", {}},
        {"-1", {}},
        {"3-", {}},
        {"-3", {}},
        {"5-3", {}},
        {"1,,2", {}},
        {"1,", {}},
        {"a", {}},
        {"1.5", {}},
        {"99999999999", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        std::vector<int> rows;
        std::string error;
        const bool ok = CliParseRows(c.text, 10, rows, error);
        EXPECT_EQ(ok, !c.rows.empty());
        if (ok)
            EXPECT_EQ(rows, c.rows);
        else
            EXPECT_FALSE(error.empty());
    }
    std::vector<int> rows;
    std::string error;
    EXPECT_FALSE(CliParseRows("1", 0, rows, error));
}

TEST(CliSupport, NumbersAndColours)
{
    int v = 7;
    EXPECT_TRUE(CliParseInt("2", 0, 2, v));
    EXPECT_EQ(v, 2);
    EXPECT_TRUE(CliParseInt("-1", -1, 2, v));
    EXPECT_EQ(v, -1);
    for (const char* bad : {"", "3", "1x", "+", " 1", "12345678901"})
        EXPECT_FALSE(CliParseInt(bad, 0, 2, v)) << bad;

    const struct
    {
        const char* text;
        bool ok;
        uint32_t color;
    } colours[] = {
        {"0", true, 0x000000},       {"9", true, 0x0000FF},
        {"15", true, 0xFFFFFF},      {"ff0000", true, 0x0000FF},
        {"#0000FF", true, 0xFF0000}, {"c0c0c0", true, 0xC0C0C0},
        {"008080", true, 0x808000},  {"16", false, 0},
        {"123456", false, 0},        {"red", false, 0},
        {"fff", false, 0},           {"", false, 0},
    };
    for (const auto& c : colours) {
        SCOPED_TRACE(c.text);
        uint32_t color = 0xDEAD;
        std::string error;
        EXPECT_EQ(CliParseColor(c.text, color, error), c.ok);
        if (c.ok)
            EXPECT_EQ(color, c.color);
    }
}

TEST(CliSupport, RowsSkipDeletedCells)
{
    CCellInfoList cells;
    for (int i = 0; i < 5; ++i) {
        auto cell = std::make_unique<CCellCtrlInfo>();
        if (i == 1 || i == 2)
            cell->StateFlags = CCellInfo::StateDeleted;
        cells.Append(std::move(cell));
    }
    EXPECT_EQ(CliCellIndexOfRow(cells, 1), 0);
    EXPECT_EQ(CliCellIndexOfRow(cells, 2), 3);
    EXPECT_EQ(CliCellIndexOfRow(cells, 3), 4);
    EXPECT_EQ(CliCellIndexOfRow(cells, 4), -1);
    EXPECT_EQ(CliCellIndexOfRow(cells, 0), -1);
}

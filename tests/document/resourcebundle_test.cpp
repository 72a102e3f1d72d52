#include "document/resourcebundle.h"

#include <gtest/gtest.h>

TEST(ResourceBundle, FillsInsertsAndKeepsUnknownPercents)
{
    EXPECT_EQ(CResourceBundle::FillInserts("a %1 b %2 c %3 %", "X", "Y"), "a X b Y c %3 %");
    EXPECT_EQ(CResourceBundle::FillInserts("%2%1", "", "Z"), "Z");
}

TEST(ResourceBundle, LoadsNumberedTextsAndBitmaps)
{
    ASSERT_TRUE(CResourceBundle::IsLoaded());
    EXPECT_FALSE(CResourceBundle::Text(7106).empty());
    EXPECT_TRUE(CResourceBundle::Text(1).empty());
    EXPECT_FALSE(CResourceBundle::Bitmap(143).isNull());
}

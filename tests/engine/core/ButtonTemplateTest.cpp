#include "engine/core/ButtonTemplate.h"

#include <gtest/gtest.h>

TEST(ButtonTemplateTest, RecordsSharingANameDifferInLabelAndKey)
{
    EXPECT_EQ(ButtonTemplateRegistration::GetAll().size(), 14u);
    std::vector<ButtonTemplate> okay = ButtonTemplateRegistration::Find("OkayButton");
    ASSERT_EQ(okay.size(), 2u);
    EXPECT_STREQ(okay[0].label, "Okay");
    EXPECT_EQ(okay[0].key, 111);
    EXPECT_STREQ(okay[1].label, "Yes");
    EXPECT_EQ(okay[1].key, 121);
    EXPECT_STREQ(ButtonTemplateRegistration::Find("CancelButton")[0].fontSizeKey, "ButtonFontSizeBigger");
    EXPECT_TRUE(ButtonTemplateRegistration::Find("Nothing").empty());
}

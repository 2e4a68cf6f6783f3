#include "app/tray_menu.h"

#include <gtest/gtest.h>

namespace {

TEST(TrayMenu, ItemsInDisplayOrder) {
    std::vector<unsigned> ids;
    for (const auto& item : TrayMenuItems(100)) ids.push_back(item.id);
    EXPECT_EQ(ids, (std::vector<unsigned>{1, 2, 3, 6, 7, 8, 9, 0, 10, 11, 12, 4, 5}));
    EXPECT_EQ(TrayMenuItems(100).back().text, L"退出 Lumenfold / Quit Lumenfold");
}

TEST(TrayMenu, ExactlyTheCurrentSizeIsChecked) {
    auto checked = [](int32_t scale) {
        std::vector<unsigned> ids;
        for (const auto& item : TrayMenuItems(scale))
            if (item.checked) ids.push_back(item.id);
        return ids;
    };
    EXPECT_EQ(checked(100), std::vector<unsigned>{10});
    EXPECT_EQ(checked(125), std::vector<unsigned>{11});
    EXPECT_EQ(checked(150), std::vector<unsigned>{12});
    EXPECT_TRUE(checked(110).empty()) << "a size loaded from the file between the steps";
}

TEST(TrayMenu, ShapeIdsAreNotShapeValues) {
    EXPECT_EQ(ShapeForMenuId(2), SkylightShape::Rounded);
    EXPECT_EQ(ShapeForMenuId(3), SkylightShape::Elliptical);
    EXPECT_EQ(ShapeForMenuId(6), SkylightShape::Rectangle);
    EXPECT_EQ(ShapeForMenuId(7), SkylightShape::Circle);
    EXPECT_EQ(ShapeForMenuId(8), SkylightShape::HorizontalStrip);
    EXPECT_EQ(ShapeForMenuId(9), SkylightShape::VerticalStrip);
    for (unsigned id : {0u, 1u, 4u, 5u, 10u, 13u}) EXPECT_FALSE(ShapeForMenuId(id)) << id;
}

TEST(TrayMenu, SizeCommands) {
    EXPECT_EQ(TextScaleForMenuId(10), 100);
    EXPECT_EQ(TextScaleForMenuId(11), 125);
    EXPECT_EQ(TextScaleForMenuId(12), 150);
    EXPECT_FALSE(TextScaleForMenuId(9));
    EXPECT_FALSE(TextScaleForMenuId(13));
}

}  // namespace

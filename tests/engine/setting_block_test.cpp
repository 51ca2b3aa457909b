#include "engine/SettingBlock.h"

#include <gtest/gtest.h>

namespace {

TEST(SettingBlock, ChildrenAreKeptAndNamedByTheirPath) {
    auto root = std::make_shared<SettingBlock>();
    auto leaf = root->sub("preferences")->sub("application")->sub("dialpadExpanded");
    EXPECT_EQ(leaf, root->sub("preferences")->sub("application")->sub("dialpadExpanded"));
    EXPECT_EQ(leaf->path(), "preferences/application/dialpadExpanded");
    EXPECT_FALSE(leaf->boolSetting()) << "an unset leaf reads as NO";
    EXPECT_EQ(root->existingSub("nothing"), nullptr);
}

TEST(SettingBlock, PendingWritesAreCommittedOrRolledBackByBranch) {
    auto root = std::make_shared<SettingBlock>();
    auto app = root->sub("preferences")->sub("application");
    auto expanded = app->sub("dialpadExpanded");
    auto action = app->sub("defaultCallAction");

    expanded->setBoolSetting(true, true);
    action->setLongSetting(2);
    EXPECT_EQ(action->longSetting(), 2) << "reads see a pending write";
    EXPECT_TRUE(root->hasPendingChanges());

    root->rollback();
    EXPECT_EQ(action->longSetting(), 0);
    EXPECT_TRUE(expanded->boolSetting()) << "a committed write survives a rollback";

    action->setLongSetting(1);
    expanded->setBoolSetting(false);
    app->commit();
    root->rollback();
    EXPECT_EQ(action->longSetting(), 1);
    EXPECT_FALSE(expanded->boolSetting());
    EXPECT_FALSE(root->hasPendingChanges());
}

TEST(SettingBlock, AChildOutlivingItsTreeStaysUsable) {
    std::shared_ptr<SettingBlock> leaf;
    {
        auto root = std::make_shared<SettingBlock>();
        leaf = root->sub("preferences")->sub("privacy");
    }
    leaf->setStringSetting("x", true);
    EXPECT_EQ(leaf->stringSetting(), "x");
    EXPECT_EQ(leaf->path(), "privacy");
}

} // namespace

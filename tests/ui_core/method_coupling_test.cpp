#include "ui_core/command_dispatch.h"
#include "ui_core/method_coupling.h"

#include <gtest/gtest.h>
#include <optional>

namespace filarion::ui_core {
namespace {
using engine::RenameMethod;

// The window's tests enter every field through the real controls; this is the chain's rule on its own.
TEST(MethodCoupling, FocusGoesToFirstFieldOnlyWhenSelectionChangesSoChainEndsAfterOneStep) {
    MethodCoupling coupling;
    EXPECT_EQ(coupling.method(), RenameMethod::Replace);
    EXPECT_EQ(coupling.enterField(MethodField::ReplaceT), std::nullopt);
    EXPECT_EQ(coupling.enterField(MethodField::Position), std::nullopt);
    EXPECT_EQ(coupling.method(), RenameMethod::Insert);
    EXPECT_EQ(coupling.enterField(MethodField::ReplaceT), MethodField::ReplaceS);
    EXPECT_EQ(coupling.enterField(MethodField::ReplaceS), std::nullopt);
    EXPECT_EQ(coupling.selectOption(RenameMethod::Replace), std::nullopt);
    EXPECT_EQ(coupling.selectOption(RenameMethod::Fill), MethodField::Fill);
    EXPECT_EQ(coupling.selectOption(RenameMethod::Fill), std::nullopt);
    EXPECT_EQ(coupling.selectOption(RenameMethod::Insert), std::nullopt);
    EXPECT_EQ(coupling.method(), RenameMethod::Insert);
    EXPECT_EQ(coupling.selectOption(RenameMethod::Replace), MethodField::ReplaceS);
    EXPECT_EQ(coupling.selectOption(RenameMethod::Prefix), MethodField::Prefix);
}

struct CaptionCase {
    const char16_t* caption;
    Command command;
};

class CaptionTable : public ::testing::TestWithParam<CaptionCase> {};

TEST_P(CaptionTable, DispatchesByCaptionIgnoringCase) {
    EXPECT_EQ(commandForCaption(QStringView(GetParam().caption)), GetParam().command);
}

INSTANTIATE_TEST_SUITE_P(Table, CaptionTable,
                         ::testing::Values(CaptionCase{u"确认改名&N", Command::Rename},
                                           CaptionCase{u"确认改名&n", Command::Rename},
                                           CaptionCase{u"生成清单&C", Command::List},
                                           CaptionCase{u"生成清单&c", Command::List},
                                           CaptionCase{u"确认改名", Command::None},
                                           CaptionCase{u"退出&X", Command::None}, CaptionCase{u"", Command::None}));

} // namespace
} // namespace filarion::ui_core

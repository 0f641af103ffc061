#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>

#include "base/PictureBox.h"
#include "support/uifixture.h"

using namespace ui_testing;

namespace {

using LayoutTest = PageTest;

// At the layout's width the controls sit where the layout puts them; a wider page moves the
// pictures and the chooser on the right with its right edge and gives the status line the room.
TEST_F(LayoutTest, ControlsSitWhereTheyBelongAndTheDockingFollowsTheSize) {
    CTabMain& page = MakePage(twitter_api::TIMELINE);
    page.show();
    for (const int extra : {0, 228}) {
        const QSize size(372 + extra, extra == 0 ? 480 : 300);
        page.resize(size);
        const std::pair<QWidget*, QRect> placed[] = {
            {page.lblStatus, {128, 2, 64 + extra, 20}},
            {page.pictRefresh, {12, 2, 24, 24}},
            {page.pictReaded, {40, 2, 24, 24}},
            {page.pictReply, {68, 2, 24, 24}},
            {page.pictFavorite, {96, 2, 24, 24}},
            {page.pictPost, {202 + extra, 2, 24, 24}},
            {page.pictSetting, {230 + extra, 2, 24, 24}},
            {page.pictRetweet, {258 + extra, 2, 24, 24}},
            {page.comboBox1, {200 + extra, 2, 152, 22}},
        };
        for (const auto& [control, bounds] : placed) {
            EXPECT_EQ(control->geometry(), bounds) << control->objectName().toStdString();
        }
        EXPECT_EQ(page.panelMain->geometry(), QRect(0, 0, size.width(), 28));
        EXPECT_EQ(page.txtTimeLine->geometry(), QRect(0, 28, size.width(), size.height() - 28));
    }
    EXPECT_EQ(page.lblStatus->parentWidget(), &page);
    EXPECT_EQ(page.pictRefresh->parentWidget(), page.panelMain);
}

TEST_F(LayoutTest, NamesAndColoursAreThoseOfThePage) {
    CTabMain& page = MakePage(twitter_api::MENTIONS);
    EXPECT_EQ(page.windowTitle(), "Mentions");
    for (const char* name :
         {"lblStatus", "panelMain", "pictRefresh", "pictReaded", "pictPost", "pictSetting",
          "pictFavorite", "pictReply", "comboBox1", "txtTimeLine"}) {
        EXPECT_NE(page.findChild<QWidget*>(name), nullptr) << name;
    }
    EXPECT_EQ(page.palette().color(QPalette::Window), QColor(20, 20, 20));
    EXPECT_EQ(page.panelMain->palette().color(QPalette::Window), QColor(20, 20, 20));
    EXPECT_EQ(page.lblStatus->palette().color(QPalette::WindowText), QColor(255, 255, 255));
    EXPECT_EQ(page.lblStatus->alignment(), Qt::AlignCenter);
    EXPECT_EQ(page.txtTimeLine->palette().color(QPalette::Base), QColor(34, 34, 34));
    EXPECT_EQ(page.txtTimeLine->palette().color(QPalette::Text), QColor(221, 221, 221));
    EXPECT_TRUE(page.txtTimeLine->isReadOnly());
    EXPECT_EQ(page.txtTimeLine->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
}

TEST_F(LayoutTest, AKindOutsideTheFiveIsAProgrammingError) {
    EXPECT_THROW(CTabMain(context, static_cast<twitter_api::ETabType>(5)), AssertionError);
}

}  // namespace

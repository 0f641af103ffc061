#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTest>

#include "textview/TimelineView.h"
#include "twitter_api/conversions/text.h"

namespace {

class TimelineViewTest : public ::testing::Test {
  protected:
    TimelineViewTest() { view.resize(400, 300); }

    void Show() {
        view.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    }

    // Clicks the middle of the character at position.
    void ClickAt(int32_t position) {
        view.Select(position, 1);
        const QRect start = view.cursorRect(view.textCursor());
        view.Select(position + 1, 0);
        const QRect end = view.cursorRect(view.textCursor());
        const QPoint middle((start.left() + end.left()) / 2, start.center().y());
        QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, middle);
        // Whatever a focus change left queued runs before the next click.
        QCoreApplication::processEvents();
    }

    TimelineView view;
};

TEST_F(TimelineViewTest, PositionsCountCodePointsAndOneForALineBreak) {
    view.Append("a\U0001F600b\r\n");
    view.Append("\U0001F600\U0001F600c\n");
    EXPECT_EQ(view.Text(), "a\U0001F600b\r\n\U0001F600\U0001F600c\r\n");
    EXPECT_EQ(view.TextLength(), 8);
    EXPECT_EQ(twitter_api::GetTextLength(view.Text()), view.TextLength());

    view.Select(5, 2);  // the second emoji of the second line and the "c"
    EXPECT_EQ(view.SelectionStart(), 5);
    EXPECT_EQ(view.SelectionLength(), 2);
    EXPECT_EQ(view.textCursor().selectedText(), QString::fromUtf8("\U0001F600c"));

    view.Select(100, 0);
    EXPECT_EQ(view.SelectionStart(), 8) << "clamped to the end";
}

TEST_F(TimelineViewTest, ClearEmptiesTheBoxAndItsPositions) {
    view.Append("\U0001F600 http://a.example/\n");
    view.Clear();
    EXPECT_EQ(view.Text(), "");
    EXPECT_EQ(view.TextLength(), 0);
    view.Append("xy");
    view.Select(1, 1);
    EXPECT_EQ(view.textCursor().selectedText(), "y");
}

TEST_F(TimelineViewTest, EditsWhileHiddenReachTheViewWhenShown) {
    Show();
    view.hide();
    view.Append("one\n");
    view.Select(1, 2);
    EXPECT_EQ(view.SelectionStart(), 1);
    EXPECT_FALSE(view.textCursor().hasSelection()) << "the view gets the selection when shown";
    view.show();
    EXPECT_EQ(view.textCursor().selectedText(), "ne");
}

TEST(TimelineViewPageTest, TextAppendedWhileNotOnScreenGoesInWhenShown) {
    QWidget page;  // a page behind another tab: its box is shown but not on screen
    auto* box = new TimelineView(&page);
    box->hide();
    box->Append("ab\n");
    box->Select(0, 1);
    box->SetSelectionColor(Qt::red);
    box->show();
    EXPECT_EQ(box->TextLength(), 3);
    EXPECT_EQ(box->SelectionStart(), 0);
    EXPECT_EQ(box->SelectionLength(), 1);
    EXPECT_TRUE(box->document()->isEmpty()) << "nothing built yet";

    page.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&page));
    EXPECT_EQ(box->document()->toPlainText(), "ab\n");
    EXPECT_EQ(box->textCursor().selectedText(), "a");
    EXPECT_EQ(box->CharFormatAt(0).foreground().color(), QColor(Qt::red));
}

TEST_F(TimelineViewTest, AFormatOverTextInTheDocumentAndTextStillWaitingCoversBoth) {
    Show();
    view.Append("ab");
    view.hide();
    view.Append("cd");
    view.Select(1, 2);
    view.SetSelectionColor(Qt::green);
    view.show();
    const auto colorAt = [&](int32_t position) {
        return view.CharFormatAt(position).foreground().color();
    };
    EXPECT_NE(colorAt(0), QColor(Qt::green));
    EXPECT_EQ(colorAt(1), QColor(Qt::green));
    EXPECT_EQ(colorAt(2), QColor(Qt::green));
    EXPECT_NE(colorAt(3), QColor(Qt::green));
}

struct LinkCase {
    const char* text;
    int32_t clickAt;
    const char* link;  // nullptr: no link there
};

TEST_F(TimelineViewTest, LinksInTheTextAreClickable) {
    const LinkCase cases[] = {
        {"see http://a.example/x?y=1 now", 6, "http://a.example/x?y=1"},
        {"see http://a.example/x?y=1 now", 26, nullptr},
        {"https://b.example/.", 0, "https://b.example/"},
        {"(www.c.example/p)", 3, "www.c.example/p"},
        {"\U0001F600 http://d.example/\u3067\u3059", 5, "http://d.example/"},
        {"\U0001F600 http://d.example/\u3067\u3059", 19, nullptr},
        {"nohttp://e.example/", 4, nullptr},
        {"http:// alone", 2, nullptr},
    };
    Show();
    for (const LinkCase& c : cases) {
        SCOPED_TRACE(c.text);
        view.Clear();
        view.Append(c.text);
        QSignalSpy clicked(&view, &TimelineView::LinkClicked);
        ClickAt(c.clickAt);
        if (c.link == nullptr) {
            EXPECT_EQ(clicked.count(), 0);
        } else {
            ASSERT_EQ(clicked.count(), 1);
            EXPECT_EQ(clicked.at(0).at(0).toString(), QString::fromUtf8(c.link));
        }
    }
}

TEST_F(TimelineViewTest, TheSelectionStaysVisibleWithoutTheFocus) {
    const QPalette colours = view.palette();
    EXPECT_EQ(colours.color(QPalette::Inactive, QPalette::Highlight),
              colours.color(QPalette::Active, QPalette::Highlight));
}

}  // namespace

// The timeline box keeps its formats beside the text and gives them to blocks as they are laid
// out. What it paints is compared pixel for pixel with a stock text box whose document holds the
// same formats, so a block laid out late, after a scroll or before a restyle shows a fault here.
#include <gtest/gtest.h>

#include <QAbstractTextDocumentLayout>
#include <QImage>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <functional>
#include <string>
#include <vector>

#include "textview/TimelineView.h"
#include "twitter_api/conversions/text.h"

namespace {

// A format set on the first occurrence of needle (and on the extra bytes after it).
struct Styling {
    std::string needle;
    QTextCharFormat format;
    int extra = 0;
};

QTextCharFormat Foreground(const QColor& color) {
    QTextCharFormat format;
    format.setForeground(color);
    return format;
}

QTextCharFormat Small() {
    QTextCharFormat format;
    QFont font;
    font.setPointSize(7);
    format.setFont(font, QTextCharFormat::FontPropertiesSpecifiedOnly);
    return format;
}

QTextCharFormat BoldLarge() {
    QTextCharFormat format;
    QFont font;
    font.setPointSize(14);
    font.setBold(true);
    format.setFont(font, QTextCharFormat::FontPropertiesSpecifiedOnly);
    format.setBackground(QColor(0, 0, 160));
    return format;
}

// Forty entries, each with an astral character before its styled parts and a small last line
// whose line break is styled too, so that the empty line at the end takes its height from it.
std::string LongText() {
    std::string text;
    for (int i = 0; i < 40; ++i) {
        const std::string n = std::to_string(i);
        text += "\U0001F600 name" + n + " some words that wrap over the box's width, entry " + n +
                "\nsmall line " + n + " \u2605\n";
    }
    return text;
}

// Where the needle starts, in code points (the box's positions) and in UTF-16 units (the stock
// box's), worked out apart from the box's own translation.
struct Place {
    int32_t position;
    int units;
    int32_t length;
    int unitLength;
};

Place Find(const std::string& text, const Styling& styling) {
    const size_t at = text.find(styling.needle);
    EXPECT_NE(at, std::string::npos) << styling.needle;
    const std::string before = text.substr(0, at);
    const std::string styled = text.substr(at, styling.needle.size()) +
                               text.substr(at + styling.needle.size(), styling.extra);
    return {twitter_api::GetTextLength(before), static_cast<int>(QString::fromUtf8(before).size()),
            twitter_api::GetTextLength(styled), static_cast<int>(QString::fromUtf8(styled).size())};
}

void Style(TimelineView& view, const Place& place, const QTextCharFormat& format) {
    view.Select(place.position, place.length);
    if (format.hasProperty(QTextFormat::ForegroundBrush)) {
        view.SetSelectionColor(format.foreground().color());
    }
    if (format.hasProperty(QTextFormat::BackgroundBrush)) {
        view.SetSelectionBackColor(format.background().color());
    }
    if (format.hasProperty(QTextFormat::FontPointSize)) {
        view.SetSelectionFont(format.font());
    }
}

class StylingTest : public ::testing::Test {
  protected:
    StylingTest() {
        for (QPlainTextEdit* box : {static_cast<QPlainTextEdit*>(&view), &stock}) {
            box->resize(300, 260);
            box->setFocusPolicy(Qt::NoFocus);  // no blinking caret in the pictures
        }
        stock.setReadOnly(true);
        stock.setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        stock.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    }

    // The text into both boxes, styled as given; the box's caret at the start like the stock one.
    void Fill(const std::string& text, const std::vector<Styling>& stylings) {
        view.Append(text);
        QTextCursor cursor(stock.document());
        cursor.insertText(QString::fromUtf8(text));
        for (const Styling& styling : stylings) {
            AddStyle(text, styling);
        }
        view.Select(0, 0);
        stock.setTextCursor(QTextCursor(stock.document()));
    }

    // Styles through the selection, which the stock box therefore gets too: selecting scrolls to
    // the selection and lays out what it passes.
    void AddStyle(const std::string& text, const Styling& styling) {
        const Place place = Find(text, styling);
        Style(view, place, styling.format);
        QTextCursor range(stock.document());
        range.setPosition(place.units);
        range.setPosition(place.units + place.unitLength, QTextCursor::KeepAnchor);
        stock.setTextCursor(range);
        range.mergeCharFormat(styling.format);
    }

    void Show() {
        for (QPlainTextEdit* box : {static_cast<QPlainTextEdit*>(&view), &stock}) {
            box->show();
            ASSERT_TRUE(QTest::qWaitForWindowExposed(box));
        }
    }

    void ScrollTo(int place) {
        for (QPlainTextEdit* box : {static_cast<QPlainTextEdit*>(&view), &stock}) {
            QScrollBar* bar = box->verticalScrollBar();
            bar->setValue(place < 0 ? bar->maximum() : place);
        }
    }

    // A block not laid out yet counts one line toward the scroll bar, so the lines above a place
    // depend on what was laid out before; laying out every block makes them the same in both.
    void LayOutAll() {
        for (QPlainTextEdit* box : {static_cast<QPlainTextEdit*>(&view), &stock}) {
            QTextDocument* document = box->document();
            for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
                document->documentLayout()->blockBoundingRect(block);
            }
        }
    }

    // The end at several heights of the boxes: how many lines fit above the empty last line
    // depends on that line's height.
    void ExpectSameEndAtSeveralHeights() {
        for (int height = 200; height <= 260; height += 4) {
            SCOPED_TRACE(height);
            for (QPlainTextEdit* box : {static_cast<QPlainTextEdit*>(&view), &stock}) {
                box->resize(300, height);
            }
            QCoreApplication::processEvents();
            ScrollTo(-1);
            ExpectSamePicture("at the end");
        }
    }

    void ExpectSamePicture(const char* when) {
        SCOPED_TRACE(when);
        EXPECT_EQ(view.verticalScrollBar()->maximum(), stock.verticalScrollBar()->maximum());
        const QImage shown = view.viewport()->grab().toImage();
        const QImage expected = stock.viewport()->grab().toImage();
        ASSERT_EQ(shown.size(), expected.size());

        EXPECT_TRUE(shown == expected) << "the box paints otherwise than a document holding the "
                                          "same formats";
    }

    TimelineView view;
    QPlainTextEdit stock;
};

const std::vector<Styling> kEntryStyles = {
    {"name3 ", BoldLarge()},
    {"small line 3", Small(), 4},  // with " \u2605"
    {"3 \u2605", Foreground(QColor(255, 215, 0))},
    {"name39", Foreground(QColor(246, 140, 31))},
    {"small line 39", Small(), 5},  // the last line and its line break
    {"wrap over", Foreground(Qt::green)},
};

TEST_F(StylingTest, BlocksLaidOutFirstAfterAScrollHaveTheirFormats) {
    const std::string text = LongText();
    Fill(text, kEntryStyles);
    Show();
    ExpectSamePicture("at the top");
    ScrollTo(-1);
    ExpectSamePicture("at the end, laid out only now");
    ScrollTo(0);
    ExpectSamePicture("back at the top");
    ExpectSameEndAtSeveralHeights();
}

struct RestyleCase {
    const char* what;
    Styling styling;
    int scrollTo;  // -1: the end
};

TEST_F(StylingTest, ARestyleOfTextAlreadyPaintedShows) {
    const RestyleCase cases[] = {
        {"a colour on screen", {"entry 1\n", Foreground(Qt::red)}, 0},
        {"a font that changes the line's height", {"name1 ", BoldLarge()}, 0},
        {"a colour over a colour set before", {"name3", Foreground(Qt::cyan)}, 0},
        {"a colour after the astral characters of many lines", {"name38", Foreground(Qt::red)}, -1},
        {"the small font on text of normal size", {"some words", Small()}, -1},
    };
    const std::string text = LongText();
    Fill(text, kEntryStyles);
    Show();
    for (const RestyleCase& c : cases) {
        SCOPED_TRACE(c.what);
        ScrollTo(c.scrollTo);
        ExpectSamePicture("before");
        AddStyle(text, c.styling);
        QCoreApplication::processEvents();
        ExpectSamePicture("after");
    }
}

TEST_F(StylingTest, TextAppendedWhileHiddenIsStyledWhenShownAgain) {
    const std::string text = LongText();
    Fill(text, kEntryStyles);
    Show();
    ScrollTo(-1);
    view.hide();
    const std::string more = "\U0001F600 late entry \u2605\nlast small line\n";
    view.Append(more);
    QTextCursor end(stock.document());
    end.movePosition(QTextCursor::End);
    end.insertText(QString::fromUtf8(more), QTextCharFormat());
    const std::string all = text + more;
    AddStyle(all, {"late entry", BoldLarge()});
    AddStyle(all, {"last small line", Small(), 1});
    view.show();
    LayOutAll();
    ScrollTo(-1);
    ExpectSamePicture("the appended text at the end");
    ExpectSameEndAtSeveralHeights();
}

TEST_F(StylingTest, TextAddedToALineOnScreenGetsItsFormats) {
    Fill("first line\nsecond ", {{"first", Foreground(Qt::red)}});
    Show();
    ExpectSamePicture("before");
    // The link's underline is set as the text goes in, on a line that was laid out without it.
    view.Append("see http://a.example/x");
    QTextCursor end(stock.document());
    end.movePosition(QTextCursor::End);
    end.insertText(QStringLiteral("see "), QTextCharFormat());
    QTextCharFormat underline;
    underline.setFontUnderline(true);
    end.insertText(QStringLiteral("http://a.example/x"), underline);
    QCoreApplication::processEvents();
    ExpectSamePicture("after");
}

// Calls then for each event of the type the object receives.
class EventWatch : public QObject {
  public:
    EventWatch(QObject& watched, QEvent::Type type, std::function<void()> then)
        : mType(type), mThen(std::move(then)) {
        watched.installEventFilter(this);
    }

  protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == mType) {
            mThen();
        }
        return false;
    }

  private:
    QEvent::Type mType;
    std::function<void()> mThen;
};

}  // namespace

// A box filled while its page is off screen and built there ahead of its first showing (as the
// pages not on screen are after the window's first paint) paints what a box built as it is first
// shown paints.
TEST(PreparedView, PaintsAsABoxBuiltWhenFirstShown) {
    const std::string text = LongText();
    QWidget preparedPage;
    QWidget shownPage;
    TimelineView* prepared = new TimelineView(&preparedPage);
    TimelineView* shown = new TimelineView(&shownPage);
    for (TimelineView* view : {prepared, shown}) {
        view->parentWidget()->resize(300, 260);
        view->resize(300, 260);
        view->setFocusPolicy(Qt::NoFocus);
        view->hide();
        view->Append(text);
        Style(*view, Find(text, {"name7", BoldLarge()}), BoldLarge());
        Style(*view, Find(text, {"small line 39", Small(), 3}), Small());
        view->show();  // the page is still off screen
    }
    prepared->Prepare();
    EXPECT_GT(prepared->document()->blockCount(), 40);
    for (QWidget* page : {&preparedPage, &shownPage}) {
        page->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(page));
    }
    EXPECT_EQ(prepared->grab().toImage(), shown->grab().toImage());
    EXPECT_EQ(prepared->Text(), shown->Text());
}

// Text longer than the box needs the scroll bar. Room is made for it before any line is laid
// out; made after, it would narrow the box and every line laid out would be laid out again.
TEST(FirstShow, MakesRoomForTheScrollBarBeforeLayingOutLines) {
    QWidget page;
    page.resize(300, 260);
    auto* view = new TimelineView(&page);
    view->resize(300, 260);
    view->hide();  // filled as a page is at start-up: the text goes in when it is first shown
    view->Append(LongText());
    view->show();
    bool resizedAfterLayout = false;
    EventWatch resizes(*view->viewport(), QEvent::Resize, [&] {
        for (QTextBlock block = view->document()->begin(); block.isValid(); block = block.next()) {
            resizedAfterLayout =
                resizedAfterLayout || (block.length() > 1 && block.layout()->lineCount() > 0);
        }
    });
    page.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&page));
    QCoreApplication::processEvents();
    EXPECT_TRUE(view->verticalScrollBar()->isVisible());
    EXPECT_FALSE(resizedAfterLayout);
}

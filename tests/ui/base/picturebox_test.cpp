#include <gtest/gtest.h>

#include <QEnterEvent>
#include <QTest>

#include "base/PictureBox.h"
#include "common/errors.h"

namespace {

QIcon Solid(Qt::GlobalColor color) {
    QPixmap pixmap(16, 16);
    pixmap.fill(color);
    return QIcon(pixmap);
}

QColor Shown(const PictureBox& box) {
    return box.pixmap().toImage().pixelColor(8, 8);
}

class PictureBoxTest : public ::testing::Test {
  protected:
    PictureBoxTest() {
        box.resize(24, 24);
        box.SetImages(Solid(Qt::red), Solid(Qt::green));
    }
    void Enter() {
        QEnterEvent enter(QPointF(1, 1), QPointF(1, 1), QPointF(1, 1));
        QCoreApplication::sendEvent(&box, &enter);
    }
    void Leave() {
        QEvent leave(QEvent::Leave);
        QCoreApplication::sendEvent(&box, &leave);
    }
    PictureBox box;
};

TEST_F(PictureBoxTest, HoverShowsTheHoverImageAndLeavingTheNormalOne) {
    EXPECT_EQ(Shown(box), QColor(Qt::red));
    Enter();
    EXPECT_EQ(Shown(box), QColor(Qt::green));
    Leave();
    EXPECT_EQ(Shown(box), QColor(Qt::red));
}

TEST_F(PictureBoxTest, ADisabledBoxKeepsTheImageItWasGiven) {
    box.setEnabled(false);
    box.ShowImage(Solid(Qt::blue));
    Enter();
    EXPECT_EQ(Shown(box), QColor(Qt::blue));
    Leave();
    EXPECT_EQ(Shown(box), QColor(Qt::blue));
    box.setEnabled(true);
    box.ShowNormalImage();
    EXPECT_EQ(Shown(box), QColor(Qt::red));
}

TEST_F(PictureBoxTest, AClickIsAPressAndReleaseInside) {
    int clicks = 0;
    QObject::connect(&box, &PictureBox::clicked, [&] { ++clicks; });
    QTest::mouseClick(&box, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(clicks, 1);
    QTest::mousePress(&box, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseRelease(&box, Qt::LeftButton, {}, QPoint(40, 40));
    EXPECT_EQ(clicks, 1) << "released outside";
    QTest::mouseClick(&box, Qt::RightButton, {}, QPoint(5, 5));
    EXPECT_EQ(clicks, 1);
}

TEST(LoadIconFileTest, AMissingFileIsAnErrorNamingIt) {
    try {
        LoadIconFile("dat/no_such_icon.ico");
        FAIL() << "no error";
    } catch (const Exception& error) {
        EXPECT_NE(std::string(error.what()).find("dat/no_such_icon.ico"), std::string::npos);
    }
}

}  // namespace

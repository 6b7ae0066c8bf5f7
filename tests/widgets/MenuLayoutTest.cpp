// The start and information windows as their forms define them: every
// control where its form puts it and reachable by a click there, its text,
// font, flags and what a screen reader says of it, the tab order, and the
// rounded buttons' shapes.

#include <gtest/gtest.h>

#include <map>

#include <QAccessible>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QXmlStreamReader>

#include "GeometryPrinters.h"
#include "MenuTestSupport.h"
#include "menu/frmInfo.h"
#include "windows/RoundedShape.h"

namespace {

using menu_test::MenuFixture;

struct ControlCase {
    const char* name;
    const char* text;
    int pixels;
    bool bold;
    const char* accessibleName = nullptr;  // checked where given
};

const ControlCase kSplashControls[] = {
    {"cmdStart", "Start", 13, true},
    {"cmdInfo", "Info", 13, true},
    {"cmdExit", "Exit", 13, true},
    {"lblNumber_0", " 1", 13, true},
    {"lblNumber_1", " 2", 13, true},
    {"lblNumber_2", " 3", 13, true},
    {"lblNumber_3", " 4", 13, true},
    {"lblNumber_4", " 5", 13, true},
    {"txtHighScoreName_0", nullptr, 11, false, "Name, row 1"},
    {"txtHighScoreName_1", nullptr, 11, false, "Name, row 2"},
    {"txtHighScoreName_2", nullptr, 11, false, "Name, row 3"},
    {"txtHighScoreName_3", nullptr, 11, false, "Name, row 4"},
    {"txtHighScoreName_4", nullptr, 11, false, "Name, row 5"},
    {"txtHighScore_0", nullptr, 11, false, "Score, row 1"},
    {"txtHighScore_1", nullptr, 11, false, "Score, row 2"},
    {"txtHighScore_2", nullptr, 11, false, "Score, row 3"},
    {"txtHighScore_3", nullptr, 11, false, "Score, row 4"},
    {"txtHighScore_4", nullptr, 11, false, "Score, row 5"},
    {"lblVersion", "1.5.8", 11, false},  // the version shown, written out: a release changes it here too
};

QString TextOf(const QWidget* w) {
    if (const auto* b = qobject_cast<const QPushButton*>(w)) return b->text();
    if (const auto* l = qobject_cast<const QLabel*>(w)) return l->text();
    if (const auto* e = qobject_cast<const QLineEdit*>(w)) return e->text();
    return {};
}

// The rectangles a form file gives its window and its controls, by
// objectName: the one place the layout is written down.
std::map<QString, QRect> FormGeometry(const char* form) {
    std::map<QString, QRect> rects;
    QFile file(QStringLiteral(TILEBASH_SOURCE_DIR "/menu/") + QString::fromLatin1(form));
    if (!file.open(QIODevice::ReadOnly)) return rects;
    QXmlStreamReader xml(&file);
    QStringList widgets;
    bool inGeometry = false;
    std::map<QString, int> values;
    while (!xml.atEnd()) {
        xml.readNext();
        const auto tag = xml.name();
        if (xml.isStartElement()) {
            if (tag == u"widget") {
                widgets << xml.attributes().value(QLatin1String("name")).toString();
            } else if (tag == u"property") {
                inGeometry = xml.attributes().value(QLatin1String("name")) == u"geometry";
            } else if (inGeometry && tag != u"rect") {
                const QString key = tag.toString();
                values[key] = xml.readElementText().toInt();
            }
        } else if (xml.isEndElement()) {
            if (tag == u"widget") widgets.removeLast();
            if (tag == u"property") inGeometry = false;
            if (tag == u"rect" && inGeometry && !widgets.isEmpty()) {
                rects[widgets.last()] = QRect(values["x"], values["y"], values["width"], values["height"]);
            }
        }
    }
    EXPECT_FALSE(xml.hasError()) << form << ": " << xml.errorString().toStdString();
    return rects;
}

// Every control the form places: built where the form says, inside the
// window, and the one a click on its middle reaches.
void ExpectControlsWhereTheFormPutsThem(const QWidget& window, const char* form) {
    const std::map<QString, QRect> rects = FormGeometry(form);
    ASSERT_TRUE(rects.count(window.objectName())) << form;
    EXPECT_EQ(window.size(), rects.at(window.objectName()).size()) << form;
    ASSERT_GT(rects.size(), 1u) << form;
    for (const auto& [name, rect] : rects) {
        if (name == window.objectName()) continue;
        const auto* w = window.findChild<QWidget*>(name);
        ASSERT_NE(w, nullptr) << name.toStdString();
        EXPECT_EQ(w->geometry(), rect) << name.toStdString();
        EXPECT_TRUE(window.rect().contains(w->geometry())) << name.toStdString() << " leaves the window";
        // Labels that only carry words for screen readers let clicks through to the picture.
        if (w->testAttribute(Qt::WA_TransparentForMouseEvents)) continue;
        EXPECT_EQ(window.childAt(w->geometry().center()), w)
            << "a click on the middle of " << name.toStdString();
    }
}

void ExpectControl(const QWidget& window, const ControlCase& c) {
    const auto* w = window.findChild<QWidget*>(QString::fromLatin1(c.name));
    ASSERT_NE(w, nullptr) << c.name;
    const_cast<QWidget*>(w)->ensurePolished();
    if (c.text != nullptr) {
        EXPECT_EQ(TextOf(w), QString::fromLatin1(c.text)) << c.name;
    }
    EXPECT_EQ(w->font().family(), QStringLiteral("Liberation Sans")) << c.name;
    EXPECT_EQ(w->font().pixelSize(), c.pixels) << c.name;
    EXPECT_EQ(w->font().bold(), c.bold) << c.name;
    // The text fits its box.
    const QFontMetrics metrics(w->font());
    EXPECT_LE(metrics.horizontalAdvance(TextOf(w)), w->width()) << c.name;
    // What a screen reader is told: the boxes' names, what each button does.
    QAccessibleInterface* reader = QAccessible::queryAccessibleInterface(const_cast<QWidget*>(w));
    ASSERT_NE(reader, nullptr) << c.name;
    if (c.accessibleName != nullptr) {
        EXPECT_EQ(reader->text(QAccessible::Name), QString::fromLatin1(c.accessibleName)) << c.name;
    }
    if (qobject_cast<const QPushButton*>(w) != nullptr) {
        EXPECT_EQ(reader->text(QAccessible::Name), TextOf(w)) << c.name;
        EXPECT_FALSE(reader->text(QAccessible::Description).isEmpty()) << c.name;
    }
}

// Titled with the program's name, and announced by a screen reader as a
// window of that name, not as an unnamed area.
void ExpectTitledWindow(QWidget& window) {
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Tilebash"));
    QAccessibleInterface* reader = QAccessible::queryAccessibleInterface(&window);
    ASSERT_NE(reader, nullptr);
    EXPECT_EQ(reader->role(), QAccessible::Window);
    EXPECT_EQ(reader->text(QAccessible::Name), QStringLiteral("Tilebash"));
}

TEST(MenuLayout, StartWindowControlsSitWhereDefined) {
    MenuFixture menu;
    frmSplash& splash = menu.CreateShown();
    ExpectControlsWhereTheFormPutsThem(splash, "frmSplash.ui");
    EXPECT_EQ(splash.minimumSize(), splash.maximumSize());
    ExpectTitledWindow(splash);
    EXPECT_TRUE(splash.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_FALSE(splash.windowIcon().isNull());
    for (const ControlCase& c : kSplashControls) {
        ExpectControl(splash, c);
    }
}

TEST(MenuLayout, TableBoxesAreLockedAndOnlyNameBoxesAreLimitedToTenCharacters) {
    MenuFixture menu;
    frmSplash& splash = menu.Create();
    for (int k = 0; k < 5; ++k) {
        EXPECT_TRUE(menu_test::NameBox(splash, k)->isReadOnly());
        EXPECT_TRUE(menu_test::ScoreBox(splash, k)->isReadOnly());
        EXPECT_EQ(menu_test::NameBox(splash, k)->maxLength(), 10);
        EXPECT_GT(menu_test::ScoreBox(splash, k)->maxLength(), 4096);
        EXPECT_EQ(menu_test::NumberLabel(splash, k)->focusPolicy(), Qt::NoFocus);
    }
}

TEST(MenuLayout, StartWindowDrawsWhiteOnNavyBoxesAndGreyButtonFaces) {
    MenuFixture menu;
    frmSplash& splash = menu.CreateShown();
    const QImage shot = splash.grab().toImage();
    // Right end of a name box, past its text.
    EXPECT_EQ(QColor(shot.pixel(64 + 92, 192 + 3)), QColor(0, 0, 128));
    // Left end of the Start button's face, inside its rounded shape.
    EXPECT_EQ(QColor(shot.pixel(24 + 8, 128 + 20)), QColor(192, 192, 192));
    // Its cut-away corner shows the window behind it.
    EXPECT_NE(QColor(shot.pixel(24 + 1, 128 + 1)), QColor(192, 192, 192));
}

TEST(MenuLayout, TabKeyVisitsControlsInTheDefinedOrder) {
    MenuFixture menu;
    frmSplash& splash = menu.Create();
    const QStringList expected = {"cmdStart",
                                  "cmdExit",
                                  "txtHighScoreName_0",
                                  "txtHighScore_0",
                                  "txtHighScoreName_1",
                                  "txtHighScoreName_2",
                                  "txtHighScoreName_3",
                                  "txtHighScoreName_4",
                                  "txtHighScore_1",
                                  "txtHighScore_2",
                                  "txtHighScore_3",
                                  "txtHighScore_4",
                                  "cmdInfo"};
    QStringList order;
    QWidget* w = menu_test::Button(splash, "cmdStart");
    do {
        if (w->focusPolicy() & Qt::TabFocus) order << w->objectName();
        w = w->nextInFocusChain();
    } while (w != menu_test::Button(splash, "cmdStart") && order.size() < 40);
    EXPECT_EQ(order, expected);
}

TEST(MenuLayout, InformationWindowHasItsButtonInTheWindowFont) {
    MenuFixture menu;
    frmSplash& splash = menu.Create();
    splash.cmdInfo_Click();
    frmInfo* info = splash.InfoWindow();
    ASSERT_NE(info, nullptr);
    info->show();
    ExpectControlsWhereTheFormPutsThem(*info, "frmInfo.ui");
    ExpectTitledWindow(*info);
    EXPECT_TRUE(info->windowFlags() & Qt::FramelessWindowHint);
    ExpectControl(*info, {"cmdMainMenu", "Back to Main", 11, false});
}

struct ShapeCase {
    const char* button;
    QPoint inside[4];
    QPoint outside[6];
};

TEST(MenuLayout, RoundedButtonsLeaveTheirMarginsAndCornersOut) {
    MenuFixture menu;
    frmSplash& splash = menu.Create();
    splash.cmdInfo_Click();
    const ShapeCase cases[] = {
        {"cmdStart",
         {{5, 20}, {91, 20}, {48, 5}, {48, 35}},
         {{4, 20}, {92, 20}, {48, 4}, {48, 36}, {5, 5}, {91, 35}}},
        {"cmdExit",
         {{5, 20}, {91, 20}, {48, 5}, {48, 35}},
         {{4, 20}, {92, 20}, {48, 4}, {48, 36}, {5, 35}, {91, 5}}},
        {"cmdInfo",
         {{5, 20}, {75, 20}, {40, 5}, {40, 35}},
         {{4, 20}, {76, 20}, {40, 4}, {40, 36}, {6, 6}, {75, 35}}},
        {"cmdMainMenu",
         {{5, 20}, {107, 20}, {56, 8}, {56, 32}},
         {{4, 20}, {108, 20}, {56, 7}, {56, 33}, {5, 8}, {107, 32}}},
    };
    for (const ShapeCase& c : cases) {
        const QWidget* button = splash.findChild<QWidget*>(c.button);
        if (button == nullptr) button = splash.InfoWindow()->findChild<QWidget*>(c.button);
        ASSERT_NE(button, nullptr) << c.button;
        const QRegion mask = button->mask();
        for (const QPoint& p : c.inside)
            EXPECT_TRUE(mask.contains(p)) << c.button << " " << p.x() << "," << p.y();
        for (const QPoint& p : c.outside)
            EXPECT_FALSE(mask.contains(p)) << c.button << " " << p.x() << "," << p.y();
    }
}

TEST(MenuLayout, RoundRegionRowsAreSymmetricAndNarrowTowardsTheCorners) {
    const QRegion region = windows::RoundRectRegion(5, 5, 92, 36, 15, 15);
    EXPECT_EQ(region.boundingRect(), QRect(5, 5, 87, 31));
    int previousInset = 1000;
    for (int y = 5; y < 36; ++y) {
        int first = -1;
        int last = -1;
        for (int x = 0; x < 97; ++x) {
            if (region.contains(QPoint(x, y))) {
                if (first < 0) first = x;
                last = x;
            }
        }
        ASSERT_GE(first, 5) << y;
        EXPECT_EQ(first - 5, 91 - last) << "row " << y;                 // left-right mirror
        const QRegion mirrored = region & QRect(0, 5 + 35 - y, 97, 1);  // top-bottom mirror
        EXPECT_TRUE(mirrored.contains(QPoint(first, 5 + 35 - y))) << y;
        if (y <= 12) {
            EXPECT_LE(first - 5, previousInset) << y;
            previousInset = first - 5;
        } else if (y <= 28) {
            EXPECT_EQ(first, 5) << y;
        }
    }
}

TEST(MenuLayout, StartAndInfoNoLongerShareTheColumnWhereTheirBoxesMeet) {
    MenuFixture menu;
    frmSplash& splash = menu.CreateShown();
    for (int y = 133; y < 164; ++y) {
        EXPECT_EQ(splash.childAt(120, y), nullptr) << y;
    }
    EXPECT_EQ(splash.childAt(115, 148), menu_test::Button(splash, "cmdStart"));
    EXPECT_EQ(splash.childAt(116, 148), nullptr);
    EXPECT_EQ(splash.childAt(125, 148), menu_test::Button(splash, "cmdInfo"));
    EXPECT_EQ(splash.childAt(124, 148), nullptr);
}

TEST(MenuLayout, AClickOnACutAwayCornerDoesNothing) {
    MenuFixture menu;
    frmSplash& splash = menu.CreateShown();
    QSignalSpy infoClicks(menu_test::Button(splash, "cmdInfo"), &QPushButton::clicked);
    QSignalSpy exitClicks(menu_test::Button(splash, "cmdExit"), &QPushButton::clicked);
    QWindow* handle = splash.windowHandle();
    ASSERT_NE(handle, nullptr);
    QTest::mouseClick(handle, Qt::LeftButton, {}, QPoint(120 + 6, 128 + 6));    // Info's corner
    QTest::mouseClick(handle, Qt::LeftButton, {}, QPoint(120, 148));            // the shared column
    QTest::mouseClick(handle, Qt::LeftButton, {}, QPoint(200 + 91, 128 + 35));  // Exit's corner
    EXPECT_EQ(infoClicks.count(), 0);
    EXPECT_EQ(exitClicks.count(), 0);
    EXPECT_TRUE(splash.isVisible());
    EXPECT_EQ(splash.InfoWindow(), nullptr);

    QTest::mouseClick(handle, Qt::LeftButton, {}, QPoint(160, 148));  // Info's middle
    EXPECT_EQ(infoClicks.count(), 1);
    ASSERT_NE(splash.InfoWindow(), nullptr);
    EXPECT_TRUE(splash.InfoWindow()->isVisible());
    EXPECT_FALSE(splash.isVisible());
}

}  // namespace

// The skin engine's side of keyboard and screen reader use: what each object
// tells an assistive tool, what its actions do, the keys a focused object
// takes and the focus ring it draws.
#include "SkinnedWindow.h"
#include "components/skin/ISkinObject.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QAccessibleValueInterface>
#include <QApplication>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

using namespace korvex;
using korvex::test::PixelsOfColour;
using korvex::test::SkinnedWindow;

namespace {

QAccessibleInterface *accessibleOf(QWidget *widget)
{
    return QAccessible::queryAccessibleInterface(widget);
}

QString nameOf(const QVariant &reported)
{
    return reported.value<ISkinObject *>()->name();
}

} // namespace

TEST(SkinAccess, ObjectsTellTheirRoleAndNameAndButtonsArePressedByTheirAction)
{
    SkinnedWindow w;
    struct Expected
    {
        const char *object;
        QAccessible::Role role;
        const char *name;
    };
    // captions where the button has one, the tooltip's words where it shows an icon only
    const QList<Expected> expected = {
        {"addfile", QAccessible::Button, "Add"},         {"Set", QAccessible::Button, "Format"},
        {"hou", QAccessible::Button, "Step back"},       {"helpfile", QAccessible::Button, "Open the help"},
        {"Ok", QAccessible::Button, "OK"},               {"pb", QAccessible::Slider, "Play position: drag to seek"},
        {"timecaption", QAccessible::StaticText, "00:00:00"}, {"nm", QAccessible::StaticText, "No file selected"},
        {"totalCaption", QAccessible::StaticText, "Total"},   {"convertpb", QAccessible::StaticText, "Conversion progress"},
    };
    for (const Expected &object : expected) {
        QAccessibleInterface *face = accessibleOf(w.widgetOf(object.object));
        ASSERT_NE(face, nullptr) << object.object;
        EXPECT_EQ(face->role(), object.role) << object.object;
        EXPECT_EQ(face->text(QAccessible::Name), object.name) << object.object;
    }

    // a text reads what it shows once the program writes it
    w.form->findObject("nm")->textInterface()->setText("/music/song.wma");
    EXPECT_EQ(accessibleOf(w.widgetOf("nm"))->text(QAccessible::Name), "/music/song.wma");
    EXPECT_EQ(accessibleOf(w.widgetOf("nm"))->text(QAccessible::Description), QString());
    EXPECT_EQ(accessibleOf(w.widgetOf("timecaption"))->text(QAccessible::Description), "Play position");

    QSignalSpy clicks(w.skin, &TSkin::OnClick);
    QAccessibleActionInterface *actions = accessibleOf(w.widgetOf("Split"))->actionInterface();
    ASSERT_NE(actions, nullptr);
    EXPECT_TRUE(actions->actionNames().contains(QAccessibleActionInterface::pressAction()));
    actions->doAction(QAccessibleActionInterface::pressAction());
    // the command runs after the tool's call has returned
    EXPECT_EQ(clicks.count(), 0);
    ASSERT_TRUE(clicks.wait(5000));
    ASSERT_EQ(clicks.count(), 1);
    EXPECT_EQ(nameOf(clicks[0][0]), "Split");

    // texts and labels do not pretend to act
    QAccessibleActionInterface *textActions = accessibleOf(w.widgetOf("timecaption"))->actionInterface();
    EXPECT_TRUE(!textActions || !textActions->actionNames().contains(QAccessibleActionInterface::pressAction()));
}

TEST(SkinAccess, SliderValueIsItsPositionAndSettingItSeeksAsADrag)
{
    SkinnedWindow w;
    ISkinSlider *slider = w.form->findObject("pb")->sliderInterface();
    slider->setRangeEnd(1001);
    slider->setThumbSize(1);
    slider->setPosition(250);
    QAccessibleValueInterface *value = accessibleOf(w.widgetOf("pb"))->valueInterface();
    ASSERT_NE(value, nullptr);
    EXPECT_EQ(value->currentValue().toInt(), 250);
    EXPECT_EQ(value->minimumValue().toInt(), 0);
    EXPECT_EQ(value->maximumValue().toInt(), 1000);

    QSignalSpy downs(w.skin, &TSkin::OnMouseDown);
    QSignalSpy tracks(w.skin, &TSkin::OnScrollTrack);
    QSignalSpy ups(w.skin, &TSkin::OnMouseUp);
    value->setCurrentValue(5000);  // beyond the end: the largest position
    EXPECT_EQ(slider->position(), 1000);
    ASSERT_EQ(downs.count(), 1);
    ASSERT_EQ(tracks.count(), 1);
    ASSERT_EQ(ups.count(), 1);
    EXPECT_EQ(tracks[0][1].toInt(), 1000);
    EXPECT_EQ(nameOf(ups[0][0]), "pb");
}

TEST(SkinAccess, FocusedButtonTakesReturnEnterAndSpaceButNotTheirModifiedKeys)
{
    SkinnedWindow w;
    w.window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w.window));
    QWidget *begin = w.widgetOf("Begin");
    EXPECT_EQ(begin->focusPolicy(), Qt::TabFocus);
    begin->setFocus(Qt::TabFocusReason);
    ASSERT_TRUE(begin->hasFocus());
    QSignalSpy clicks(w.skin, &TSkin::OnClick);
    QTest::keyClick(begin, Qt::Key_Return);
    QTest::keyClick(begin, Qt::Key_Enter, Qt::KeypadModifier);
    QTest::keyClick(begin, Qt::Key_Space);
    EXPECT_EQ(clicks.count(), 3);
    QTest::keyClick(begin, Qt::Key_Return, Qt::ControlModifier);
    QTest::keyClick(begin, Qt::Key_B);
    QTest::keyClick(begin, Qt::Key_Return, Qt::NoModifier, -1);
    EXPECT_EQ(clicks.count(), 4);
    for (const QList<QVariant> &click : clicks)
        EXPECT_EQ(nameOf(click[0]), "Begin");
    // labels and texts never take the focus
    EXPECT_EQ(w.widgetOf("timecaption")->focusPolicy(), Qt::NoFocus);
}

TEST(SkinAccess, FocusedSliderMovesByArrowsPagesAndEndsReportingEachMoveAsADrag)
{
    SkinnedWindow w;
    w.window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w.window));
    ISkinSlider *slider = w.form->findObject("pb")->sliderInterface();
    slider->setRangeEnd(2001);
    slider->setThumbSize(1);
    QWidget *pb = w.widgetOf("pb");
    pb->setFocus(Qt::TabFocusReason);
    QSignalSpy downs(w.skin, &TSkin::OnMouseDown);
    QSignalSpy tracks(w.skin, &TSkin::OnScrollTrack);
    QSignalSpy ups(w.skin, &TSkin::OnMouseUp);

    QTest::keyClick(pb, Qt::Key_Right);
    EXPECT_EQ(slider->position(), 20);  // a hundredth of 2000
    QTest::keyClick(pb, Qt::Key_PageUp);
    EXPECT_EQ(slider->position(), 220);
    QTest::keyClick(pb, Qt::Key_Left);
    EXPECT_EQ(slider->position(), 200);
    QTest::keyClick(pb, Qt::Key_End);
    EXPECT_EQ(slider->position(), 2000);
    QTest::keyClick(pb, Qt::Key_Right);  // at the end it stays
    EXPECT_EQ(slider->position(), 2000);
    QTest::keyClick(pb, Qt::Key_PageDown);
    EXPECT_EQ(slider->position(), 1800);
    QTest::keyClick(pb, Qt::Key_Home);
    EXPECT_EQ(slider->position(), 0);
    QTest::keyClick(pb, Qt::Key_Down);  // at the start it stays
    EXPECT_EQ(slider->position(), 0);

    // every key is one drag: down and up around the moves it made
    EXPECT_EQ(downs.count(), 8);
    EXPECT_EQ(ups.count(), 8);
    QList<int> tracked;
    for (const QList<QVariant> &track : tracks)
        tracked.append(track[1].toInt());
    EXPECT_EQ(tracked, (QList<int>{20, 220, 200, 2000, 1800, 0}));
}

TEST(SkinAccess, OnlyTheFocusedObjectWearsTheFocusRing)
{
    SkinnedWindow w;
    w.window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w.window));
    const QColor ring(0xF5, 0x9E, 0x0B);  // the default skin's focus colour
    for (const char *name : {"Split", "hou", "pb", "file"}) {
        QWidget *object = w.widgetOf(name);
        const int before = PixelsOfColour(object->grab().toImage(), ring);
        object->setFocus(Qt::TabFocusReason);
        QApplication::processEvents();
        const int focused = PixelsOfColour(object->grab().toImage(), ring);
        // a ring around the whole object: at least its width and height over again
        EXPECT_GE(focused - before, object->width() + object->height()) << name;
        w.widgetOf("Ok")->setFocus(Qt::TabFocusReason);
        QApplication::processEvents();
        EXPECT_EQ(PixelsOfColour(object->grab().toImage(), ring), before) << name;
    }
}

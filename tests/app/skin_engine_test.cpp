#include "SkinnedWindow.h"
#include "components/KorvexError.h"
#include "components/skin/SkinDescription.h"
#include "components/skin/SkinForm.h"
#include "components/skin/TSkin.h"
#include "support/TempDir.h"

#include <QApplication>
#include <QEnterEvent>
#include <QFile>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

using namespace korvex;
using korvex::test::SkinnedWindow;

namespace {

const QString kSkinFile = QStringLiteral(KORVEX_BINARY_DIR "/mp3enc.dll");

// Every object the program addresses by name, with the interface it needs.
const QStringList kButtons = {"file", "Action", "Settings", "Help", "addfile", "Up", "Down", "Remove",
                              "Clear", "Set", "play", "stop", "hou", "qian", "Split", "Join",
                              "Begin", "End", "Ok", "Stop", "helpfile"};
const QStringList kTexts = {"timecaption", "tataltime", "nm", "pbpos", "convertpb"};

} // namespace

TEST(SkinEngine, DefaultSkinFileHasEveryNamedObjectWithItsInterfaces)
{
    SkinnedWindow w;
    ASSERT_TRUE(w.fileLoaded);
    EXPECT_EQ(w.skin->skinOrigin(), kSkinFile);
    EXPECT_EQ(w.skin->form(&w.window), w.form);
    EXPECT_EQ(w.skin->geometry(), w.window.rect());
    for (const QString &name : kButtons + kTexts + QStringList{"pb"}) {
        ISkinObject *object = w.form->findObject(name);
        ASSERT_NE(object, nullptr) << qPrintable(name);
        EXPECT_EQ(object->name(), name);
        ASSERT_NE(object->commonInterface(), nullptr);
        EXPECT_FALSE(object->commonInterface()->rect().isEmpty()) << qPrintable(name);
    }
    for (const QString &name : kTexts)
        EXPECT_NE(w.form->findObject(name)->textInterface(), nullptr) << qPrintable(name);
    EXPECT_NE(w.form->findObject("pb")->sliderInterface(), nullptr);
    EXPECT_EQ(w.form->findObject("pb")->textInterface(), nullptr);
    EXPECT_EQ(w.form->findObject("Split")->sliderInterface(), nullptr);
    // names are case-sensitive: "stop" and "Stop" are two objects
    EXPECT_NE(w.form->findObject("stop"), w.form->findObject("Stop"));
    EXPECT_EQ(w.form->findObject("STOP"), nullptr);
    EXPECT_EQ(w.form->findObject("convertpb")->commonInterface()->rect().width(), 335);
}

TEST(SkinEngine, ObjectsOfTheDefaultSkinDoNotOverlapEachOtherOrTheWindowControls)
{
    SkinnedWindow w;
    // the window's own controls: lv, lv_time (with the memo over both), cb_format
    const QList<QRect> controls = {QRect(120, 92, 341, 188), QRect(418, 59, 53, 26)};
    const QStringList names = w.form->objectNames();
    for (qsizetype i = 0; i < names.size(); ++i) {
        const QRect a = w.form->findObject(names[i])->commonInterface()->rect();
        EXPECT_TRUE(w.window.rect().contains(a)) << qPrintable(names[i]);
        for (const QRect &control : controls)
            EXPECT_FALSE(a.intersects(control)) << qPrintable(names[i]);
        for (qsizetype j = i + 1; j < names.size(); ++j) {
            // the waveform lies behind the slider by design
            if (names[i] == "wave" && names[j] == "pb")
                continue;
            const QRect b = w.form->findObject(names[j])->commonInterface()->rect();
            EXPECT_FALSE(a.intersects(b)) << qPrintable(names[i]) << " / " << qPrintable(names[j]);
        }
    }
}

TEST(SkinEngine, CommonSliderAndTextInterfacesChangeTheObjects)
{
    SkinnedWindow w;
    ISkinObject *bar = w.form->findObject("convertpb");
    QRect rect = bar->commonInterface()->rect();
    rect.setWidth(100);
    bar->commonInterface()->setRect(rect);
    EXPECT_EQ(w.widgetOf("convertpb")->width(), 100);
    rect.setWidth(0);
    bar->commonInterface()->setRect(rect);
    EXPECT_EQ(bar->commonInterface()->rect().width(), 0);

    ISkinSlider *slider = w.form->findObject("pb")->sliderInterface();
    slider->setRangeEnd(1200);
    slider->setThumbSize(57);
    slider->setPosition(571);
    EXPECT_EQ(slider->rangeEnd(), 1200);
    EXPECT_EQ(slider->thumbSize(), 57);
    EXPECT_EQ(slider->position(), 571);
    EXPECT_EQ(slider->maxPosition(), 1143);

    ISkinText *text = w.form->findObject("nm")->textInterface();
    text->setText("/music/a.wma");
    w.form->findObject("nm")->commonInterface()->redraw();
    EXPECT_EQ(text->text(), "/music/a.wma");
}

TEST(SkinEngine, ClickInsideAnObjectReportsItsName)
{
    SkinnedWindow w;
    QSignalSpy clicks(w.skin, &TSkin::OnClick);
    QSignalSpy downs(w.skin, &TSkin::OnMouseDown);
    QSignalSpy ups(w.skin, &TSkin::OnMouseUp);
    for (const QString &name : kButtons) {
        QWidget *button = w.widgetOf(name);
        ASSERT_NE(button, nullptr);
        QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(button->width() / 2, button->height() / 2));
        ASSERT_EQ(clicks.count(), 1) << qPrintable(name);
        EXPECT_EQ(clicks.takeFirst().at(0).value<ISkinObject *>()->name(), name);
    }
    ASSERT_EQ(downs.count(), kButtons.size());
    const QList<QVariant> down = downs.first();
    EXPECT_EQ(down.at(0).value<ISkinObject *>()->name(), "file");
    EXPECT_EQ(down.at(1).value<Qt::MouseButton>(), Qt::LeftButton);
    EXPECT_EQ(down.at(2).toInt(), w.widgetOf("file")->width() / 2);
    EXPECT_EQ(ups.count(), kButtons.size());
}

TEST(SkinEngine, ButtonsLookDifferentWhenHoveredAndPressed)
{
    SkinnedWindow w;
    QWidget *split = w.widgetOf("Split");
    const QImage normal = split->grab().toImage();
    QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
    QApplication::sendEvent(split, &enter);
    const QImage hovered = split->grab().toImage();
    QTest::mousePress(split, Qt::LeftButton, {}, QPoint(5, 5));
    const QImage pressed = split->grab().toImage();
    QTest::mouseRelease(split, Qt::LeftButton, {}, QPoint(5, 5));
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(split, &leave);
    EXPECT_NE(normal, hovered);
    EXPECT_NE(hovered, pressed);
    EXPECT_NE(normal, pressed);
    EXPECT_EQ(split->grab().toImage(), normal);
}

TEST(SkinEngine, PressThenReleaseOutsideIsNoClick)
{
    SkinnedWindow w;
    QSignalSpy clicks(w.skin, &TSkin::OnClick);
    QWidget *play = w.widgetOf("play");
    QTest::mousePress(play, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseRelease(play, Qt::LeftButton, {}, QPoint(play->width() + 20, 5));
    EXPECT_EQ(clicks.count(), 0);
    QTest::mouseClick(play, Qt::RightButton, {}, QPoint(5, 5));
    EXPECT_EQ(clicks.count(), 0);
}

TEST(SkinEngine, DraggingTheSliderReportsTrackingPositionsWithinRange)
{
    SkinnedWindow w;
    ISkinSlider *slider = w.form->findObject("pb")->sliderInterface();
    slider->setRangeEnd(1200);
    slider->setThumbSize(57);
    slider->setPosition(0);
    QWidget *pb = w.widgetOf("pb");
    QSignalSpy tracks(w.skin, &TSkin::OnScrollTrack);
    QSignalSpy ups(w.skin, &TSkin::OnMouseUp);

    const int y = pb->height() / 2;
    QTest::mousePress(pb, Qt::LeftButton, {}, QPoint(8, y));
    for (int x = 8; x <= pb->width() + 40; x += 25)
        QTest::mouseMove(pb, QPoint(x, y));
    QTest::mouseMove(pb, QPoint(pb->width() / 2, y));
    QTest::mouseRelease(pb, Qt::LeftButton, {}, QPoint(pb->width() / 2, y));

    ASSERT_GE(tracks.count(), 10);
    int largest = 0;
    for (const QList<QVariant> &track : tracks) {
        EXPECT_EQ(track.at(0).value<ISkinObject *>()->name(), "pb");
        const int position = track.at(1).toInt();
        EXPECT_GE(position, 0);
        EXPECT_LE(position, 1143);
        largest = std::max(largest, position);
    }
    // past the right end the thumb stops at the largest position
    EXPECT_EQ(largest, 1143);
    // back in the middle
    EXPECT_NEAR(slider->position(), 1143 / 2, 10);
    EXPECT_EQ(tracks.last().at(1).toInt(), slider->position());
    ASSERT_EQ(ups.count(), 1);
}

TEST(SkinEngine, SliderWithoutRangeStaysAtZero)
{
    SkinnedWindow w;
    QWidget *pb = w.widgetOf("pb");
    QSignalSpy tracks(w.skin, &TSkin::OnScrollTrack);
    QTest::mousePress(pb, Qt::LeftButton, {}, QPoint(10, 5));
    QTest::mouseMove(pb, QPoint(pb->width() - 5, 5));
    QTest::mouseRelease(pb, Qt::LeftButton, {}, QPoint(pb->width() - 5, 5));
    EXPECT_EQ(tracks.count(), 0);
    EXPECT_EQ(w.form->findObject("pb")->sliderInterface()->position(), 0);
}

TEST(SkinEngine, MissingOrBrokenSkinFileFallsBackToTheBuiltInCopy)
{
    test::TestFolder folder;
    QFile broken(folder.file("broken.dll"));
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
    broken.write("MZ this is not a skin");
    broken.close();
    for (const QString &path : {folder.file("absent.dll"), folder.file("broken.dll")}) {
        SkinnedWindow w(path);
        EXPECT_FALSE(w.fileLoaded);
        EXPECT_EQ(w.skin->skinOrigin(), "built-in");
        for (const QString &name : kButtons + kTexts)
            EXPECT_NE(w.form->findObject(name), nullptr) << qPrintable(name);
    }
}

TEST(SkinEngine, MissingObjectGivesAHiddenStandIn)
{
    SkinnedWindow w;
    EXPECT_EQ(w.form->findObject("nosuch"), nullptr);
    ISkinObject *standIn = w.form->object("nosuch");
    ASSERT_NE(standIn, nullptr);
    EXPECT_EQ(w.form->object("nosuch"), standIn);
    EXPECT_EQ(standIn->name(), "nosuch");
    standIn->sliderInterface()->setRangeEnd(10);
    standIn->textInterface()->setText("kept");
    standIn->commonInterface()->setRect(QRect(1, 2, 3, 4));
    standIn->commonInterface()->redraw();
    EXPECT_EQ(standIn->sliderInterface()->rangeEnd(), 10);
    EXPECT_EQ(standIn->textInterface()->text(), "kept");
    EXPECT_EQ(standIn->commonInterface()->rect(), QRect(1, 2, 3, 4));
    EXPECT_EQ(w.form->findChild<QWidget *>("nosuch"), nullptr);
}

TEST(SkinDescriptionParser, RejectsWhatIsNoSkin)
{
    const QList<QByteArray> bad = {
        "not json",
        R"({"format":"other","version":1,"forms":[]})",
        R"({"format":"korvex-skin","version":2,"forms":[{"name":"F","size":[1,1]}]})",
        R"({"format":"korvex-skin","version":1,"forms":[]})",
        R"({"format":"korvex-skin","version":1,"forms":[{"name":"F","size":[0,1]}]})",
        R"({"format":"korvex-skin","version":1,"forms":[{"name":"F","size":[9,9],
            "objects":[{"name":"a","kind":"knob","rect":[0,0,1,1]}]}]})",
        R"({"format":"korvex-skin","version":1,"forms":[{"name":"F","size":[9,9],
            "objects":[{"name":"a","kind":"button","rect":[0,0,1]}]}]})",
        R"({"format":"korvex-skin","version":1,"forms":[{"name":"F","size":[9,9],
            "objects":[{"kind":"button","rect":[0,0,1,1]}]}]})",
        R"({"format":"korvex-skin","version":1,"styles":{"s":{"normal":{"fill":"nocolour"}}},
            "forms":[{"name":"F","size":[9,9]}]})",
    };
    for (const QByteArray &json : bad)
        EXPECT_THROW(parseSkinDescription(json), KorvexError) << json.constData();
}

TEST(SkinDescriptionParser, ReadsFormsObjectsAndStyles)
{
    const SkinDescription description = parseSkinDescription(R"({
        "format": "korvex-skin", "version": 1,
        "styles": { "s": { "radius": 4, "layout": "icon-top",
                           "normal": { "fill": "#102030", "text": "#FFFFFF" },
                           "hover": { "fill": "#405060" } } },
        "forms": [ { "name": "Brannel", "size": [563, 414], "background": "bg.svg",
                     "objects": [ { "name": "pb", "kind": "slider", "rect": [1, 2, 30, 4], "style": "s" },
                                  { "name": "Ok", "kind": "button", "rect": [5, 6, 7, 8], "icon": "i.svg",
                                    "label": "OK", "tooltip": "Confirm" } ] } ] })");
    const SkinFormSpec *form = description.form("Brannel");
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(description.form("brannel"), nullptr);
    EXPECT_EQ(form->size, QSize(563, 414));
    ASSERT_EQ(form->objects.size(), 2);
    EXPECT_EQ(form->objects[0].kind, SkinKind::Slider);
    EXPECT_EQ(form->objects[0].rect, QRect(1, 2, 30, 4));
    EXPECT_EQ(form->objects[1].label, "OK");
    const SkinStyle style = description.style("s");
    EXPECT_EQ(style.radius, 4);
    EXPECT_EQ(style.layout, SkinLayout::IconTop);
    EXPECT_EQ(style.hover.fill, QColor("#405060"));
    // what hover does not say it takes from normal, and pressed from hover
    EXPECT_EQ(style.hover.text, QColor("#FFFFFF"));
    EXPECT_EQ(style.pressed.fill, QColor("#405060"));
    EXPECT_EQ(description.pictures(), QStringList({"bg.svg", "i.svg"}));
}

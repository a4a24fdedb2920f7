// Skin files other than the default one, made with Qt's resource compiler as
// a skin author would.
#include "app/Application.h"
#include "app/WaveformView.h"
#include "components/skin/SkinForm.h"
#include "components/skin/TSkin.h"
#include "support/ExternalTools.h"
#include "support/RecordingSeams.h"
#include "support/TempDir.h"

#include <QApplication>
#include <QFile>
#include <QLibraryInfo>
#include <QTest>
#include <gtest/gtest.h>

using namespace korvex;

namespace {

void writeText(const QString &path, const QByteArray &text)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(text);
}

// Compiles skin.json and one icon into folder/mp3enc.dll.
void buildSkinFile(const test::TestFolder &folder, const QByteArray &description)
{
    writeText(folder.file("skin.json"), description);
    writeText(folder.file("dot.svg"), R"(<svg xmlns="http://www.w3.org/2000/svg" width="8" height="8">)"
                                      R"(<circle cx="4" cy="4" r="3" fill="#000"/></svg>)");
    writeText(folder.file("skin.qrc"), R"(<RCC><qresource prefix="/"><file>skin.json</file>)"
                                       R"(<file>dot.svg</file></qresource></RCC>)");
    const QString rcc = QLibraryInfo::path(QLibraryInfo::LibraryExecutablesPath) + "/rcc";
    ASSERT_EQ(test::RunTool(rcc, {"--binary", folder.file("skin.qrc"), "-o", folder.file("mp3enc.dll")}).exitCode, 0);
}

const QByteArray kSmallSkin = R"({
    "format": "korvex-skin", "version": 1,
    "styles": { "plain": { "normal": { "fill": "#336699", "text": "#FFFFFF" } } },
    "forms": [ { "name": "Brannel", "size": [563, 414],
                 "objects": [ { "name": "Split", "kind": "button", "rect": [5, 6, 70, 30], "style": "plain",
                                "icon": "dot.svg", "label": "Cut" },
                              { "name": "tataltime", "kind": "text", "rect": [5, 380, 80, 20] },
                              { "name": "nm", "kind": "button", "rect": [100, 380, 80, 20] } ] } ] })";

} // namespace

TEST(CustomSkin, FileIsLoadedAndMissingObjectsGetStandIns)
{
    test::TestFolder folder;
    buildSkinFile(folder, kSmallSkin);
    test::RecordingSeams recorder;
    MainWindowOptions options;
    options.programFolder = folder.path();
    options.seams = recorder.seams();
    KorvexWindows windows = CreateWindows(options);
    Tfm_main &main = *windows.fm_main;
    main.show();
    QApplication::processEvents();

    EXPECT_EQ(main.Skin1->skinOrigin(), folder.file("mp3enc.dll"));
    SkinForm *form = main.Skin1->form(&main);
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(form->objectNames(), QStringList({"Split", "tataltime", "nm"}));
    EXPECT_EQ(form->findObject("Split")->commonInterface()->rect(), QRect(5, 6, 70, 30));
    EXPECT_EQ(form->findObject("tataltime")->textInterface()->text(), "00:00:00");

    // "pb", "pbpos", "convertpb" are missing and "nm" is no text: the start-up
    // still sets them, on hidden stand-ins
    SkinFace &face = main.skinFace();
    EXPECT_EQ(face.text("tataltime"), "00:00:00");
    EXPECT_EQ(face.position("pb"), 0);
    EXPECT_EQ(face.rect("convertpb").width(), 0);
    face.setText("nm", "/a/b.wma");
    face.redraw("nm");
    face.setRangeEnd("pb", 100);
    face.redraw("pb");
    EXPECT_EQ(face.rangeEnd("pb"), 100);
    // nor has it the waveform: it is drawn on a stand-in nobody sees
    EXPECT_EQ(form->findObject("wave"), nullptr);
    ASSERT_NE(main.waveformView(), nullptr);
    main.waveformView()->refresh();

    // clicks still reach the commands by name
    QWidget *split = form->findChild<QWidget *>("Split");
    ASSERT_NE(split, nullptr);
    QTest::mouseClick(split, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_TRUE(recorder.messages.errors.isEmpty());
}

TEST(CustomSkin, SkinWithoutTheFormUsesTheBuiltInForm)
{
    test::TestFolder folder;
    QByteArray otherForm = kSmallSkin;
    otherForm.replace("\"Brannel\"", "\"Other\"");
    buildSkinFile(folder, otherForm);
    QWidget window;
    window.resize(563, 414);
    TSkin skin(&window);
    EXPECT_TRUE(skin.loadSkinFile(folder.file("mp3enc.dll")));
    skin.attach(&window);
    SkinForm *form = skin.applyForm(&window, "Brannel");
    ASSERT_NE(form, nullptr);
    EXPECT_NE(form->findObject("addfile"), nullptr);
    EXPECT_NE(form->findObject("pb"), nullptr);
}

TEST(CustomSkin, DescriptionNamingAMissingPictureIsBroken)
{
    test::TestFolder folder;
    QByteArray missingPicture = kSmallSkin;
    missingPicture.replace("dot.svg", "nothere.svg");
    buildSkinFile(folder, missingPicture);
    QWidget window;
    TSkin skin(&window);
    EXPECT_FALSE(skin.loadSkinFile(folder.file("mp3enc.dll")));
    EXPECT_EQ(skin.skinOrigin(), "built-in");
}

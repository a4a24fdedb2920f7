#pragma once

#include "components/skin/SkinForm.h"
#include "components/skin/TSkin.h"

#include <QImage>
#include <QWidget>

#include <cstdlib>

namespace korvex::test {

// A bare window with the skin file of the build applied, for testing the
// engine without the program around it.
struct SkinnedWindow
{
    SkinnedWindow(const QString &skinFile = QStringLiteral(KORVEX_BINARY_DIR "/mp3enc.dll"))
    {
        window.resize(563, 414);
        skin = new TSkin(&window);
        fileLoaded = skin->loadSkinFile(skinFile);
        skin->attach(&window);
        form = skin->applyForm(&window, QStringLiteral("Brannel"));
        window.show();
    }
    QWidget *widgetOf(const QString &name) { return form->findChild<QWidget *>(name); }

    QWidget window;
    TSkin *skin = nullptr;
    SkinForm *form = nullptr;
    bool fileLoaded = false;
};

// How many pixels of the picture inside `area` (all of it when empty) are
// the colour, give or take the blending of antialiased edges.
inline int PixelsOfColour(const QImage &image, const QColor &colour, QRect area = QRect())
{
    area = area.isEmpty() ? image.rect() : area.intersected(image.rect());
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            const QColor pixel = image.pixelColor(x, y);
            count += std::abs(pixel.red() - colour.red()) < 12 && std::abs(pixel.green() - colour.green()) < 12
                     && std::abs(pixel.blue() - colour.blue()) < 12;
        }
    }
    return count;
}

} // namespace korvex::test

#pragma once

#include <QAbstractButton>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QSet>
#include <QWidget>

#include <gtest/gtest.h>

namespace korvex::test {

// A finished dialog: every control lies inside its parent, no two controls
// of one parent overlap, and every caption fits its control.
inline void expectTidy(QWidget *parent)
{
    const QList<QWidget *> children = parent->findChildren<QWidget *>(Qt::FindDirectChildrenOnly);
    QList<QWidget *> shown;
    for (QWidget *child : children) {
        if (child->isWindow() || child->isHidden() || child->objectName().isEmpty())
            continue;
        shown.append(child);
        const QString name = child->objectName();
        EXPECT_TRUE(parent->rect().contains(child->geometry())) << qPrintable(name) << " leaves its parent";
        if (qobject_cast<QAbstractButton *>(child) || qobject_cast<QLabel *>(child)) {
            EXPECT_LE(child->sizeHint().width(), child->width()) << qPrintable(name) << " is clipped";
        }
        if (auto *box = qobject_cast<QGroupBox *>(child)) {
            const int titleWidth = box->fontMetrics().horizontalAdvance(box->title());
            EXPECT_LT(titleWidth + 24, box->width()) << qPrintable(name);
        }
        expectTidy(child);
    }
    for (qsizetype i = 0; i < shown.size(); ++i) {
        for (qsizetype j = i + 1; j < shown.size(); ++j)
            EXPECT_FALSE(shown[i]->geometry().intersects(shown[j]->geometry()))
                << qPrintable(shown[i]->objectName()) << " overlaps " << qPrintable(shown[j]->objectName());
    }
}

// A picture with content, not an empty window: many distinct colours.
inline void expectPainted(const QImage &image)
{
    QSet<QRgb> colours;
    for (int y = 0; y < image.height(); y += 2) {
        for (int x = 0; x < image.width(); x += 2)
            colours.insert(image.pixel(x, y));
    }
    EXPECT_GT(colours.size(), 50);
}

} // namespace korvex::test

#include "widgets/SvgPictures.h"

#include <QPainter>
#include <QSvgRenderer>

namespace korvex {

QString BuiltInIconPath(const QString &name)
{
    return QStringLiteral(":/korvex/default-skin/icons/%1.svg").arg(name);
}

QPixmap RenderSvg(const QString &path, int side, const QColor &tint)
{
    QSvgRenderer renderer(path);
    QPixmap pixmap(side, side);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    renderer.render(&painter, QRectF(0, 0, side, side));
    if (tint.isValid()) {
        painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
        painter.fillRect(pixmap.rect(), tint);
    }
    return pixmap;
}

} // namespace korvex

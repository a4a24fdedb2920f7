#pragma once

#include <QColor>
#include <QPixmap>
#include <QString>

namespace korvex {

// Pictures of the program's own (menu images, the logo) are SVG files among
// the built-in skin's icons; they are drawn with Qt's SVG renderer so that
// no image plugin is needed.
QString BuiltInIconPath(const QString &name);
// The picture at side × side pixels; with a valid tint every opaque pixel
// takes that colour.
QPixmap RenderSvg(const QString &path, int side, const QColor &tint = QColor());

} // namespace korvex

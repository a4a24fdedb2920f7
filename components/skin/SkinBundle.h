#pragma once

#include "components/skin/SkinDescription.h"

#include <QColor>
#include <QHash>
#include <QPixmap>
#include <QString>

#include <memory>

class QSvgRenderer;

namespace korvex {

// One loaded skin: the resource tree its description and pictures live in,
// and the parsed description. A skin file is a binary Qt resource bundle
// that is mapped into the resource tree for as long as the bundle lives.
class SkinBundle
{
public:
    // Throws KorvexError when the file is missing, is no resource bundle, or
    // holds no valid description or picture.
    static std::unique_ptr<SkinBundle> fromFile(const QString &path);
    // The copy of the default skin compiled into the program.
    static std::unique_ptr<SkinBundle> builtIn();

    ~SkinBundle();
    SkinBundle(const SkinBundle &) = delete;
    SkinBundle &operator=(const SkinBundle &) = delete;

    const SkinDescription &description() const { return m_description; }
    const QString &origin() const { return m_origin; }

    // A picture of the skin rendered at size × ratio device pixels; with a
    // valid tint every opaque pixel takes that colour. Null when the skin has
    // no such picture.
    QPixmap picture(const QString &path, const QSize &size, qreal ratio, const QColor &tint = QColor());

private:
    SkinBundle(const QString &root, const QString &mappedFile, const QString &origin);
    void load();
    QSvgRenderer *renderer(const QString &path);

    QString m_root;        // resource path of the bundle's top, ":/..."
    QString m_mappedFile;  // the registered file, empty for the built-in copy
    QString m_origin;      // for messages: the file or "built-in"
    SkinDescription m_description;
    QHash<QString, std::shared_ptr<QSvgRenderer>> m_renderers;
    QHash<QString, QPixmap> m_cache;
};

} // namespace korvex

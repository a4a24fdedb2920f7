#include "components/skin/SkinBundle.h"

#include "components/KorvexError.h"

#include <QFile>
#include <QFileInfo>
#include <QPainter>
#include <QResource>
#include <QSvgRenderer>

namespace korvex {

namespace {

const QString kBuiltInRoot = QStringLiteral(":/korvex/default-skin");
const QString kDescriptionFile = QStringLiteral("skin.json");

// Every registration gets its own mount point so that two bundles (an old
// and a new skin, or the same file loaded twice) never shadow each other.
QString nextMountPoint()
{
    static int counter = 0;
    return QStringLiteral("/korvex/skin-file-%1").arg(++counter);
}

} // namespace

SkinBundle::SkinBundle(const QString &root, const QString &mappedFile, const QString &origin)
    : m_root(root), m_mappedFile(mappedFile), m_origin(origin)
{
}

SkinBundle::~SkinBundle()
{
    m_renderers.clear();
    if (!m_mappedFile.isEmpty())
        QResource::unregisterResource(m_mappedFile, m_root.mid(1));
}

std::unique_ptr<SkinBundle> SkinBundle::fromFile(const QString &path)
{
    if (!QFileInfo(path).isFile())
        throw KorvexError(QStringLiteral("The skin file %1 does not exist.").arg(path));
    const QString mount = nextMountPoint();
    if (!QResource::registerResource(path, mount))
        throw KorvexError(QStringLiteral("The skin file %1 is not a skin bundle.").arg(path));
    std::unique_ptr<SkinBundle> bundle(new SkinBundle(QLatin1Char(':') + mount, path, path));
    bundle->load();
    return bundle;
}

std::unique_ptr<SkinBundle> SkinBundle::builtIn()
{
    std::unique_ptr<SkinBundle> bundle(new SkinBundle(kBuiltInRoot, QString(), QStringLiteral("built-in")));
    bundle->load();
    return bundle;
}

void SkinBundle::load()
{
    QFile description(m_root + QLatin1Char('/') + kDescriptionFile);
    if (!description.open(QIODevice::ReadOnly))
        throw KorvexError(QStringLiteral("The skin %1 holds no %2.").arg(m_origin, kDescriptionFile));
    m_description = parseSkinDescription(description.readAll());
    for (const QString &path : m_description.pictures()) {
        if (!renderer(path))
            throw KorvexError(QStringLiteral("The skin %1 lacks the picture %2.").arg(m_origin, path));
    }
}

QSvgRenderer *SkinBundle::renderer(const QString &path)
{
    auto found = m_renderers.constFind(path);
    if (found != m_renderers.constEnd())
        return found->get();
    auto created = std::make_shared<QSvgRenderer>(m_root + QLatin1Char('/') + path);
    if (!created->isValid())
        return nullptr;
    m_renderers.insert(path, created);
    return created.get();
}

QPixmap SkinBundle::picture(const QString &path, const QSize &size, qreal ratio, const QColor &tint)
{
    const QString key = QStringLiteral("%1|%2x%3|%4|%5")
                            .arg(path).arg(size.width()).arg(size.height()).arg(ratio)
                            .arg(tint.isValid() ? tint.name(QColor::HexArgb) : QString());
    const auto cached = m_cache.constFind(key);
    if (cached != m_cache.constEnd())
        return *cached;

    QSvgRenderer *svg = path.isEmpty() ? nullptr : renderer(path);
    if (!svg || size.isEmpty())
        return QPixmap();
    QPixmap pixmap(size * ratio);
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    svg->render(&painter, QRectF(QPointF(0, 0), QSizeF(size)));
    if (tint.isValid()) {
        painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
        painter.fillRect(QRectF(QPointF(0, 0), QSizeF(size)), tint);
    }
    painter.end();
    m_cache.insert(key, pixmap);
    return pixmap;
}

} // namespace korvex

#include "components/skin/SkinDescription.h"

#include "components/KorvexError.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace korvex {

namespace {

[[noreturn]] void fail(const QString &reason)
{
    throw KorvexError(QStringLiteral("Invalid skin description: %1").arg(reason));
}

QColor colour(const QJsonObject &look, const QString &key, const QColor &fallback)
{
    const QJsonValue value = look.value(key);
    if (value.isUndefined())
        return fallback;
    const QColor parsed = QColor::fromString(value.toString());
    if (!parsed.isValid())
        fail(QStringLiteral("\"%1\" is not a colour").arg(value.toString()));
    return parsed;
}

SkinLook parseLook(const QJsonObject &look, const SkinLook &base)
{
    SkinLook result;
    result.fill = colour(look, QStringLiteral("fill"), base.fill);
    result.fill2 = colour(look, QStringLiteral("fill2"), base.fill2);
    result.border = colour(look, QStringLiteral("border"), base.border);
    result.text = colour(look, QStringLiteral("text"), base.text);
    result.icon = colour(look, QStringLiteral("icon"), base.icon);
    return result;
}

QFont parseFont(const QJsonObject &font)
{
    QFont result(font.value(QStringLiteral("family")).toString(QStringLiteral("DejaVu Sans")));
    result.setPixelSize(font.value(QStringLiteral("pixelSize")).toInt(12));
    result.setBold(font.value(QStringLiteral("bold")).toBool(false));
    result.setItalic(font.value(QStringLiteral("italic")).toBool(false));
    result.setHintingPreference(QFont::PreferFullHinting);
    return result;
}

std::optional<SkinLayout> parseLayout(const QJsonValue &value)
{
    const QString text = value.toString();
    if (text.isEmpty())
        return std::nullopt;
    if (text == QLatin1String("icon-left"))
        return SkinLayout::IconLeft;
    if (text == QLatin1String("icon-top"))
        return SkinLayout::IconTop;
    if (text == QLatin1String("icon-only"))
        return SkinLayout::IconOnly;
    fail(QStringLiteral("unknown layout \"%1\"").arg(text));
}

Qt::Alignment parseAlign(const QString &text)
{
    if (text == QLatin1String("center"))
        return Qt::AlignCenter;
    if (text == QLatin1String("right"))
        return Qt::AlignRight | Qt::AlignVCenter;
    return Qt::AlignLeft | Qt::AlignVCenter;
}

Qt::TextElideMode parseElide(const QString &text)
{
    if (text == QLatin1String("middle"))
        return Qt::ElideMiddle;
    if (text == QLatin1String("left"))
        return Qt::ElideLeft;
    return Qt::ElideRight;
}

SkinStyle parseStyle(const QJsonObject &style)
{
    SkinStyle result;
    result.font = parseFont(style.value(QStringLiteral("font")).toObject());
    result.radius = style.value(QStringLiteral("radius")).toInt(0);
    result.iconSize = style.value(QStringLiteral("iconSize")).toInt(16);
    result.padding = style.value(QStringLiteral("padding")).toInt(0);
    result.trackHeight = style.value(QStringLiteral("trackHeight")).toInt(6);
    result.thumbWidth = style.value(QStringLiteral("thumbWidth")).toInt(14);
    result.layout = parseLayout(style.value(QStringLiteral("layout"))).value_or(SkinLayout::IconLeft);
    result.align = parseAlign(style.value(QStringLiteral("align")).toString());
    result.elide = parseElide(style.value(QStringLiteral("elide")).toString());
    // hover and pressed inherit what they do not say from normal
    result.normal = parseLook(style.value(QStringLiteral("normal")).toObject(), SkinLook());
    result.hover = parseLook(style.value(QStringLiteral("hover")).toObject(), result.normal);
    result.pressed = parseLook(style.value(QStringLiteral("pressed")).toObject(), result.hover);
    result.focus = colour(style, QStringLiteral("focus"), result.focus);
    return result;
}

SkinKind parseKind(const QString &text)
{
    static const QHash<QString, SkinKind> kinds = {
        {QStringLiteral("button"), SkinKind::Button}, {QStringLiteral("slider"), SkinKind::Slider},
        {QStringLiteral("text"), SkinKind::Text},     {QStringLiteral("bar"), SkinKind::Bar},
        {QStringLiteral("label"), SkinKind::Label},   {QStringLiteral("waveform"), SkinKind::Waveform},
    };
    const auto found = kinds.constFind(text);
    if (found == kinds.constEnd())
        fail(QStringLiteral("unknown object kind \"%1\"").arg(text));
    return *found;
}

QRect parseRect(const QJsonValue &value, const QString &owner)
{
    const QJsonArray numbers = value.toArray();
    if (numbers.size() != 4)
        fail(QStringLiteral("\"%1\" needs a rect of four numbers").arg(owner));
    for (const QJsonValue &number : numbers) {
        if (!number.isDouble())
            fail(QStringLiteral("\"%1\" has a rect that is not numbers").arg(owner));
    }
    const QRect rect(numbers[0].toInt(), numbers[1].toInt(), numbers[2].toInt(), numbers[3].toInt());
    if (rect.width() < 0 || rect.height() < 0)
        fail(QStringLiteral("\"%1\" has a negative size").arg(owner));
    return rect;
}

SkinObjectSpec parseObject(const QJsonObject &object)
{
    SkinObjectSpec result;
    result.name = object.value(QStringLiteral("name")).toString();
    if (result.name.isEmpty())
        fail(QStringLiteral("an object has no name"));
    result.kind = parseKind(object.value(QStringLiteral("kind")).toString());
    result.rect = parseRect(object.value(QStringLiteral("rect")), result.name);
    result.style = object.value(QStringLiteral("style")).toString();
    result.icon = object.value(QStringLiteral("icon")).toString();
    result.label = object.value(QStringLiteral("label")).toString();
    result.text = object.value(QStringLiteral("text")).toString();
    result.tooltip = object.value(QStringLiteral("tooltip")).toString();
    result.placeholder = object.value(QStringLiteral("placeholder")).toString();
    result.layout = parseLayout(object.value(QStringLiteral("layout")));
    return result;
}

SkinFormSpec parseForm(const QJsonObject &form)
{
    SkinFormSpec result;
    result.name = form.value(QStringLiteral("name")).toString();
    if (result.name.isEmpty())
        fail(QStringLiteral("a form has no name"));
    const QJsonArray size = form.value(QStringLiteral("size")).toArray();
    if (size.size() != 2 || size[0].toInt() <= 0 || size[1].toInt() <= 0)
        fail(QStringLiteral("form \"%1\" needs a size of two positive numbers").arg(result.name));
    result.size = QSize(size[0].toInt(), size[1].toInt());
    result.background = form.value(QStringLiteral("background")).toString();
    const QJsonArray objects = form.value(QStringLiteral("objects")).toArray();
    for (const QJsonValue &object : objects)
        result.objects.append(parseObject(object.toObject()));
    return result;
}

} // namespace

const SkinFormSpec *SkinDescription::form(const QString &name) const
{
    for (const SkinFormSpec &candidate : forms) {
        if (candidate.name == name)
            return &candidate;
    }
    return nullptr;
}

SkinStyle SkinDescription::style(const QString &name) const
{
    return styles.value(name, SkinStyle());
}

QStringList SkinDescription::pictures() const
{
    QStringList result;
    for (const SkinFormSpec &form : forms) {
        if (!form.background.isEmpty())
            result.append(form.background);
        for (const SkinObjectSpec &object : form.objects) {
            if (!object.icon.isEmpty())
                result.append(object.icon);
        }
    }
    result.removeDuplicates();
    return result;
}

SkinDescription parseSkinDescription(const QByteArray &json)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError)
        fail(error.errorString());
    const QJsonObject root = document.object();
    if (root.value(QStringLiteral("format")).toString() != QLatin1String("korvex-skin"))
        fail(QStringLiteral("the format is not \"korvex-skin\""));
    if (root.value(QStringLiteral("version")).toInt() != 1)
        fail(QStringLiteral("only version 1 is understood"));

    SkinDescription result;
    const QJsonObject styles = root.value(QStringLiteral("styles")).toObject();
    for (auto it = styles.constBegin(); it != styles.constEnd(); ++it)
        result.styles.insert(it.key(), parseStyle(it.value().toObject()));
    const QJsonArray forms = root.value(QStringLiteral("forms")).toArray();
    if (forms.isEmpty())
        fail(QStringLiteral("there are no forms"));
    for (const QJsonValue &form : forms)
        result.forms.append(parseForm(form.toObject()));
    return result;
}

} // namespace korvex

#include "app/SkinBinding.h"

#include "components/SkinFace.h"
#include "components/skin/SkinForm.h"
#include "components/skin/SkinStandIn.h"
#include "components/skin/TSkin.h"

namespace korvex {

SkinBinding::SkinBinding(TSkin &skin, QWidget *window, SkinFace &face)
    : m_skin(skin), m_window(window), m_face(face)
{
    connect(&m_face, &SkinFace::redrawRequested, this, &SkinBinding::forwardRedraw);
    connect(&m_skin, &TSkin::OnMouseDown, this, &SkinBinding::relayMouseDown);
    connect(&m_skin, &TSkin::OnMouseUp, this, &SkinBinding::relayMouseUp);
    connect(&m_skin, &TSkin::OnScrollTrack, this, &SkinBinding::relayScrollTrack);
}

SkinBinding::~SkinBinding() = default;

void SkinBinding::BindSkinObject(const QString &name, Kind kind)
{
    Bound bound;
    if (SkinForm *form = m_skin.form(m_window))
        bound.object = form->object(name);
    const bool usable = bound.object
                        && (kind == Kind::Slider ? bound.object->sliderInterface() != nullptr
                                                 : bound.object->textInterface() != nullptr);
    if (!usable) {
        if (bound.object)
            qWarning("Korvex: the skin object \"%s\" is of the wrong kind; it stays hidden.", qUtf8Printable(name));
        auto standIn = std::make_shared<SkinStandIn>(name);
        m_standIns.insert(name, standIn);
        bound.object = standIn.get();
    }
    bound.common = bound.object->commonInterface();
    if (kind == Kind::Slider)
        bound.slider = bound.object->sliderInterface();
    else
        bound.text = bound.object->textInterface();
    m_bound.insert(name, bound);

    m_face.setRect(name, bound.common->rect());
    if (bound.slider) {
        m_face.setRangeEnd(name, bound.slider->rangeEnd());
        m_face.setThumbSize(name, bound.slider->thumbSize());
        m_face.setPosition(name, bound.slider->position());
    }
    if (bound.text)
        m_face.setText(name, bound.text->text());
}

ISkinObject *SkinBinding::bound(const QString &name) const
{
    return m_bound.value(name).object;
}

void SkinBinding::forwardRedraw(const QString &name)
{
    const auto found = m_bound.constFind(name);
    if (found == m_bound.constEnd())
        return;
    const SkinObjectState state = m_face.state(name);
    if (found->common->rect() != state.rect)
        found->common->setRect(state.rect);
    if (found->slider) {
        found->slider->setRangeEnd(state.rangeEnd);
        found->slider->setThumbSize(state.thumbSize);
        found->slider->setPosition(state.position);
    }
    if (found->text)
        found->text->setText(state.text);
    found->common->redraw();
}

void SkinBinding::takePosition(ISkinObject *object)
{
    const auto found = m_bound.constFind(object->name());
    if (found != m_bound.constEnd() && found->object == object && found->slider)
        m_face.setPosition(object->name(), found->slider->position());
}

void SkinBinding::relayMouseDown(ISkinObject *object, Qt::MouseButton button, int x, int y)
{
    m_face.reportMouseDown(object->name(), static_cast<int>(button), x, y);
}

void SkinBinding::relayMouseUp(ISkinObject *object, Qt::MouseButton button, int x, int y)
{
    takePosition(object);
    m_face.reportMouseUp(object->name(), static_cast<int>(button), x, y);
}

void SkinBinding::relayScrollTrack(ISkinObject *object, int position)
{
    takePosition(object);
    m_face.reportScrollTrack(object->name(), position);
}

} // namespace korvex

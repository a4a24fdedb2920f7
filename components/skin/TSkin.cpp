#include "components/skin/TSkin.h"

#include "components/KorvexError.h"
#include "components/skin/SkinAccessible.h"
#include "components/skin/SkinBundle.h"
#include "components/skin/SkinForm.h"

#include <QEvent>

namespace korvex {

TSkin::TSkin(QWidget *parent) : QWidget(parent)
{
    InstallSkinAccessibility();
}

// The form's widgets paint from the bundle, so they go before it does.
TSkin::~TSkin()
{
    delete m_form.data();
}

bool TSkin::loadSkinFile(const QString &path)
{
    delete m_form.data();
    m_bundle.reset();
    try {
        m_bundle = SkinBundle::fromFile(path);
        return true;
    } catch (const KorvexError &error) {
        qWarning("Korvex: %s Using the built-in skin.", qUtf8Printable(error.text()));
    }
    m_bundle = SkinBundle::builtIn();
    return false;
}

const QString &TSkin::skinOrigin() const
{
    static const QString none;
    return m_bundle ? m_bundle->origin() : none;
}

void TSkin::attach(QWidget *window)
{
    m_window = window;
    if (parentWidget() != window)
        setParent(window);
    setGeometry(window->rect());
    lower();
    show();
}

void TSkin::resizeEvent(QResizeEvent *)
{
    if (m_form)
        m_form->setGeometry(rect());
}

SkinForm *TSkin::applyForm(QWidget *window, const QString &formName)
{
    if (!m_bundle)
        throw KorvexError(QStringLiteral("No skin is loaded."));
    if (window != m_window)
        throw KorvexError(QStringLiteral("The skin is not attached to this window."));
    SkinBundle *source = m_bundle.get();
    const SkinFormSpec *def = source->description().form(formName);
    if (!def) {
        qWarning("Korvex: the skin %s has no form \"%s\". Using the built-in skin's.",
                 qUtf8Printable(source->origin()), qUtf8Printable(formName));
        if (!m_fallback)
            m_fallback = SkinBundle::builtIn();
        source = m_fallback.get();
        def = source->description().form(formName);
        if (!def)
            throw KorvexError(QStringLiteral("The skin has no form \"%1\".").arg(formName));
    }
    delete m_form.data();
    m_form = new SkinForm(*def, *source, this);
    m_form->setGeometry(rect());
    m_form->show();
    connectForm(m_form);
    return m_form;
}

void TSkin::connectForm(SkinForm *form)
{
    connect(form, &SkinForm::skinClick, this, &TSkin::OnClick);
    connect(form, &SkinForm::skinMouseDown, this, &TSkin::OnMouseDown);
    connect(form, &SkinForm::skinMouseUp, this, &TSkin::OnMouseUp);
    connect(form, &SkinForm::skinScrollTrack, this, &TSkin::OnScrollTrack);
}

SkinForm *TSkin::form(QWidget *window) const
{
    return window == m_window ? m_form.data() : nullptr;
}

} // namespace korvex

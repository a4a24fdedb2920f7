#pragma once

#include "components/skin/ISkinObject.h"

#include <QPointer>
#include <QWidget>

#include <memory>

namespace korvex {

class SkinBundle;
class SkinForm;

// The skin engine control. It sits on a window, loads a skin file, and once
// attached and given a form it draws the window's whole face under the
// window's other controls. Every action of the user on a skin object comes
// back as an event carrying that object.
class TSkin : public QWidget
{
    Q_OBJECT
public:
    explicit TSkin(QWidget *parent = nullptr);
    ~TSkin() override;

    // Loads the skin; when the file is missing or broken, the built-in
    // default skin is loaded instead and a warning goes to standard error.
    // True when the file itself was loaded.
    bool loadSkinFile(const QString &path);
    // Makes this control the face of the window: it covers the window's
    // client area as it is at this call, and lies under its other controls.
    // The face is drawn for that size: a window stretched or squeezed later
    // (by a window manager that ignores its fixed size) shows it unstretched
    // from the top-left corner, never out of shape.
    void attach(QWidget *window);
    // Applies the named form to the attached window. A form the loaded skin
    // lacks is taken from the built-in skin, with a warning. Throws
    // KorvexError when no skin is loaded or the window is not attached.
    SkinForm *applyForm(QWidget *window, const QString &formName);
    // The form applied to the window, or nullptr.
    SkinForm *form(QWidget *window) const;

    const QString &skinOrigin() const;

Q_SIGNALS:
    void OnClick(korvex::ISkinObject *object);
    void OnMouseDown(korvex::ISkinObject *object, Qt::MouseButton button, int x, int y);
    void OnMouseUp(korvex::ISkinObject *object, Qt::MouseButton button, int x, int y);
    void OnScrollTrack(korvex::ISkinObject *object, int position);

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void connectForm(SkinForm *form);

    std::unique_ptr<SkinBundle> m_bundle;
    std::unique_ptr<SkinBundle> m_fallback;  // the built-in skin, for a missing form
    QPointer<QWidget> m_window;
    QPointer<SkinForm> m_form;
};

} // namespace korvex

#include "widgets/SpokenNames.h"

#include <QComboBox>
#include <QLabel>

namespace korvex {

void NameForScreenReaders(QWidget *control, const QString &name)
{
    control->setAccessibleName(name);
    if (!qobject_cast<QComboBox *>(control) || !control->parentWidget())
        return;
    auto *label = new QLabel(name, control->parentWidget());
    label->setObjectName(control->objectName() + QStringLiteral("_name"));
    label->setBuddy(control);
    label->hide();
}

} // namespace korvex

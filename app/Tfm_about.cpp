#include "app/Tfm_about.h"

#include "widgets/SvgPictures.h"
#include "KorvexVersion.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace korvex {

namespace {

QLabel *label(const QString &text, QWidget *parent, int pixelSize = 12, bool bold = false)
{
    auto *result = new QLabel(text, parent);
    QFont font = result->font();
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    result->setFont(font);
    return result;
}

} // namespace

Tfm_about::Tfm_about(const QString &homePage, QWidget *mainWindow) : QDialog(mainWindow)
{
    setObjectName(QStringLiteral("fm_about"));
    setWindowTitle(QStringLiteral("About Korvex"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowCloseButtonHint);

    lbl_name = label(QStringLiteral("Korvex"), this, 24, true);
    lbl_version = label(QStringLiteral("Version: "), this);
    lbl_number = label(QString::fromLatin1(KorvexVersion), this, 12, true);
    lbl_cut = label(QStringLiteral("Cut a new small file from a large WMA file. "), this);
    lbl_marge = label(QStringLiteral("Marge multiple wma files to a large new one"), this);
    lbl_home = label(QStringLiteral("<a href=\"%1\">%1</a>").arg(homePage.toHtmlEscaped()), this);
    lbl_home->setOpenExternalLinks(true);
    lbl_home->setTextInteractionFlags(Qt::TextBrowserInteraction);

    auto *version = new QHBoxLayout;
    version->setSpacing(0);
    version->addWidget(lbl_version);
    version->addWidget(lbl_number);
    version->addStretch();

    auto *logo = new QLabel(this);
    logo->setPixmap(RenderSvg(BuiltInIconPath(QStringLiteral("logo")), 56));
    auto *title = new QHBoxLayout;
    title->setSpacing(14);
    title->addWidget(logo);
    auto *nameAndVersion = new QVBoxLayout;
    nameAndVersion->setSpacing(2);
    nameAndVersion->addWidget(lbl_name);
    nameAndVersion->addLayout(version);
    title->addLayout(nameAndVersion);
    title->addStretch();

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 20, 24, 16);
    layout->setSpacing(6);
    layout->addLayout(title);
    layout->addSpacing(12);
    layout->addWidget(lbl_cut);
    layout->addWidget(lbl_marge);
    layout->addSpacing(10);
    layout->addWidget(lbl_home);
    layout->addSpacing(8);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void Tfm_about::showEvent(QShowEvent *event)
{
    if (parentWidget())
        move(parentWidget()->frameGeometry().topLeft());
    QDialog::showEvent(event);
}

} // namespace korvex

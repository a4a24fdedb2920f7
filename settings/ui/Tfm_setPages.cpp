// The controls of the settings dialog, at their fixed places. Where a
// caption in this build's face is wider than the place laid out for it, the
// control that follows it on the line moves right just enough to keep clear.
#include "settings/OutputFormat.h"
#include "settings/ui/Tfm_set.h"

#include "widgets/DialogLook.h"
#include "widgets/SpokenNames.h"
#include "widgets/SvgPictures.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeWidget>

namespace korvex {

namespace {

constexpr int LineHeight = 21;  // radio buttons, check boxes and edits on one line share it
constexpr int Gap = 3;          // least room between a caption and the control after it

template <typename Widget>
Widget *place(Widget *widget, const char *name, int x, int y, int width, int height = LineHeight)
{
    widget->setObjectName(QString::fromLatin1(name));
    widget->setGeometry(x, y, width, height);
    return widget;
}

// A radio button or check box as wide as its caption needs.
template <typename Button>
Button *captioned(QWidget *parent, const QString &caption, const char *name, int x, int y)
{
    auto *button = new Button(caption, parent);
    button->ensurePolished();  // the dialog's face decides the width
    return place(button, name, x, y, button->sizeHint().width());
}

// The control's own left edge, or just clear of the control before it.
int after(const QWidget *before, int designX)
{
    return qMax(designX, before->geometry().right() + 1 + Gap);
}

QLabel *caption(QWidget *parent, const QString &text, const char *name, const QWidget *before)
{
    auto *label = new QLabel(text, parent);
    label->ensurePolished();
    return place(label, name, after(before, 0), before->y(), label->sizeHint().width());
}

QGroupBox *groupBox(QWidget *parent, const QString &title, const char *name, const QRect &geometry)
{
    auto *box = new QGroupBox(title, parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setGeometry(geometry);
    return box;
}

QComboBox *fadeLengths(QWidget *parent, const char *name, const QWidget *before)
{
    auto *box = new QComboBox(parent);
    box->addItems(FadeLengthItems());
    box->setMaxVisibleItems(10);
    return place(box, name, after(before, 0), before->y(), 56);
}

} // namespace

void Tfm_set::buildGeneralPage()
{
    gb_cdgeneral = groupBox(this, QString(), "gb_cdgeneral", pageArea());
    gb_cdgeneral->setProperty("page", true);

    gb_function = groupBox(gb_cdgeneral, QStringLiteral("Function Choice"), "gb_function", {6, 10, 229, 98});
    rb_custom = captioned<QRadioButton>(gb_function, QStringLiteral("Custom"), "rb_custom", 9, 19);
    rb_unification =
        captioned<QRadioButton>(gb_function, QStringLiteral("Unification"), "rb_unification", 104, 19);
    rb_count = captioned<QRadioButton>(gb_function, QStringLiteral("Averagely split into"), "rb_count", 9, 44);
    edt_count = place(new QLineEdit(gb_function), "edt_count", after(rb_count, 121), 44, 46);
    lbl_copy = caption(gb_function, QStringLiteral("copy. "), "lbl_copy", edt_count);
    rb_time = captioned<QRadioButton>(gb_function, QStringLiteral("Split every copy into "), "rb_time", 8, 71);
    edt_time = place(new QLineEdit(gb_function), "edt_time", after(rb_time, 126), 71, 53);
    lbl_second = caption(gb_function, QStringLiteral("Second"), "lbl_second", edt_time);
    // a screen reader would otherwise name both fields after their group box
    NameForScreenReaders(edt_count, QStringLiteral("Number of pieces"));
    NameForScreenReaders(edt_time, QStringLiteral("Seconds per piece"));

    gb_fade = groupBox(gb_cdgeneral, QStringLiteral("Fade Settings"), "gb_fade", {5, 112, 232, 53});
    cb_fadein = captioned<QCheckBox>(gb_fade, QStringLiteral("IN "), "cb_fadein", 12, 21);
    cb_fadeintime = fadeLengths(gb_fade, "cb_fadeintime", cb_fadein);
    cb_fadeout = captioned<QCheckBox>(gb_fade, QStringLiteral("Out "), "cb_fadeout", 0, 21);
    cb_fadeout->move(after(cb_fadeintime, 124), 21);
    cb_fadeouttime = fadeLengths(gb_fade, "cb_fadeouttime", cb_fadeout);
    // and the lengths after the length they show
    NameForScreenReaders(cb_fadein, QStringLiteral("Fade in"));
    NameForScreenReaders(cb_fadeintime, QStringLiteral("Fade-in length"));
    NameForScreenReaders(cb_fadeout, QStringLiteral("Fade out"));
    NameForScreenReaders(cb_fadeouttime, QStringLiteral("Fade-out length"));
    gb_fade->setToolTip(copyCannotFadeNote());

    gb_output = groupBox(gb_cdgeneral, QStringLiteral("Output Path:"), "gb_output", {5, 170, 231, 57});
    edt_dir = place(new QLineEdit(gb_output), "edt_dir", 8, 24, 190, 22);
    NameForScreenReaders(edt_dir, QStringLiteral("Output folder"));
    bt_dir = place(new QPushButton(QStringLiteral("..."), gb_output), "bt_dir", 201, 24, 23, 22);
    bt_dir->setToolTip(QStringLiteral("Choose the output folder"));
}

void Tfm_set::buildWmaPage()
{
    gb_wma = groupBox(this, QString(), "gb_wma", pageArea());
    gb_wma->setProperty("page", true);
    gb_wmaformat = groupBox(gb_wma, QStringLiteral("WMA Format"), "gb_wmaformat", {5, 75, 233, 95});
    cb_wma = place(new QComboBox(gb_wmaformat), "cb_wma", 6, 25, 221, 24);
    cb_wma->setEditable(true);
    // typed text is never added to the list; "Ok" looks it up instead
    cb_wma->setInsertPolicy(QComboBox::NoInsert);
    cb_wma->addItems(WmaProfileItems());
    cb_wma->setMaxVisibleItems(14);
    NameForScreenReaders(cb_wma, QStringLiteral("WMA format"));
    lbl_encoding = place(new QLabel(gb_wmaformat), "lbl_encoding", 8, 54, 217, 34);
    lbl_encoding->setWordWrap(true);
    lbl_encoding->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lbl_encoding->setStyleSheet(QStringLiteral("color: #64748B;"));
}

void Tfm_set::buildButtons()
{
    TreeView1 = place(new QTreeWidget(this), "TreeView1", 8, 9, 129, 263);
    TreeView1->setHeaderHidden(true);
    TreeView1->setRootIsDecorated(false);
    TreeView1->setIndentation(6);
    TreeView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    TreeView1->setSelectionMode(QAbstractItemView::SingleSelection);
    TreeView1->setIconSize(QSize(14, 14));
    TreeView1->setAutoExpandDelay(0);

    lab = place(new QLabel(this), "lab", 148, 18, 220, 18);

    Ok = place(new QPushButton(QStringLiteral("Ok"), this), "Ok", 25, 281, 75, 25);
    Button2 = place(new QPushButton(QStringLiteral("Default"), this), "Button2", 154, 281, 75, 25);
    Cancel = place(new QPushButton(QStringLiteral("Cancel"), this), "Cancel", 282, 281, 75, 25);
    MarkPrimaryButton(Ok);
    Ok->setDefault(true);
}

void Tfm_set::registerPages()
{
    // The pages in the order of their nodes. A page of its own settings is
    // one more addPage, here or from whoever builds it.
    addPage({QStringLiteral("General"), QStringLiteral("Set General"), gb_cdgeneral, {}, {}});
    addPage({QStringLiteral("WMA"), QStringLiteral("Set WMA Format"), gb_wma, {}, {}});
    const QColor iconTint(0x63, 0x66, 0xF1);
    TreeView1->topLevelItem(0)->setIcon(0, RenderSvg(BuiltInIconPath(QStringLiteral("sliders")), 28, iconTint));
    TreeView1->topLevelItem(1)->setIcon(0, RenderSvg(BuiltInIconPath(QStringLiteral("file")), 28, iconTint));
}

} // namespace korvex

#include "widgets/MainControls.h"

#include "widgets/FormatBox.h"

#include <QComboBox>
#include <QHeaderView>
#include <QPlainTextEdit>
#include <QTableView>

namespace korvex::MainControls {

namespace {

// The lists and the memo wear the skin's palette so the face reads as one.
// The columns are as narrow as the window's design makes them: a condensed
// face and slim cell padding let "00:00:00 - 00:00:00" and "Converting" show
// whole in them.
const char *const kListStyle = R"(
QTableView { background: #FFFFFF; color: #1E293B; gridline-color: #EDF1F6; border: none;
             selection-background-color: #E0E7FF; selection-color: #1E1B4B; font-size: 10px;
             font-family: "DejaVu Sans Condensed", "Liberation Sans Narrow", "Arial Narrow", sans-serif; }
QTableView::item { padding: 0 2px; }
QHeaderView::section { background: #F8FAFC; color: #64748B; border: none; border-bottom: 1px solid #E2E8F0;
                       border-right: 1px solid #EDF1F6; padding: 3px 3px; font-size: 10px; font-weight: bold;
                       font-family: "DejaVu Sans Condensed", "Liberation Sans Narrow", "Arial Narrow", sans-serif; }
QScrollBar:vertical { background: #F8FAFC; width: 8px; margin: 0; }
QScrollBar::handle:vertical { background: #CBD5E1; border-radius: 4px; min-height: 24px; }
QScrollBar::add-line, QScrollBar::sub-line { height: 0; width: 0; }
QScrollBar:horizontal { background: #F8FAFC; height: 8px; margin: 0; }
QScrollBar::handle:horizontal { background: #CBD5E1; border-radius: 4px; min-width: 24px; }
)";

void applyColumnWidths(QTableView *view, const QAbstractItemModel *model)
{
    for (int column = 0; column < model->columnCount(); ++column) {
        const int width = model->headerData(column, Qt::Horizontal, Qt::SizeHintRole).toSize().width();
        view->setColumnHidden(column, width == 0);
        if (width > 0)
            view->setColumnWidth(column, width);
    }
}

} // namespace

QTableView *listView(QWidget *window, const char *name, int width, int height, QAbstractItemModel *model,
                     QItemSelectionModel *selection)
{
    auto *view = new QTableView(window);
    view->setObjectName(QString::fromLatin1(name));
    view->resize(width, height);
    view->setStyleSheet(QString::fromLatin1(kListStyle));
    view->setFrameShape(QFrame::NoFrame);
    view->setShowGrid(true);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->setWordWrap(false);
    view->setTextElideMode(Qt::ElideRight);
    // The columns fill the list exactly; a vertical bar would otherwise
    // bring a horizontal one for its own width, over the last row.
    view->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    view->verticalHeader()->hide();
    view->verticalHeader()->setDefaultSectionSize(22);
    // the models' size hints give widths only, so the header's height is set here
    view->horizontalHeader()->setFixedHeight(22);
    view->horizontalHeader()->setSectionsClickable(false);
    view->horizontalHeader()->setHighlightSections(false);
    view->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    view->horizontalHeader()->setStretchLastSection(false);
    view->setContextMenuPolicy(Qt::CustomContextMenu);
    view->setModel(model);
    view->setSelectionModel(selection);
    applyColumnWidths(view, model);
    QObject::connect(model, &QAbstractItemModel::headerDataChanged, view,
                     [view, model] { applyColumnWidths(view, model); });
    return view;
}

QPlainTextEdit *instructionsMemo(QWidget *window)
{
    auto *memo = new QPlainTextEdit(window);
    memo->setObjectName(QStringLiteral("sm"));
    memo->resize(341, 188);
    QFont font(QStringLiteral("Arial"));
    font.setPointSize(10);
    font.setItalic(true);
    memo->setFont(font);
    memo->setReadOnly(true);
    memo->setEnabled(false);
    memo->setFrameShape(QFrame::NoFrame);
    memo->setLineWrapMode(QPlainTextEdit::NoWrap);
    memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    memo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    memo->setStyleSheet(QStringLiteral("QPlainTextEdit { background: #FFFFFF; color: #475569; border: none; }"));
    const QStringList lines = {
        QString(),
        QStringLiteral(" "),
        QStringLiteral("    1. Click \"Add\" to add files you want to convert"),
        QStringLiteral("    2. Set begin-time/end-time for every file.            "),
        QStringLiteral("    3. Click \"OK\" button to notarize."),
        QStringLiteral("    4. Set Output Format"),
        QStringLiteral("    5. To cut piece from one big audio file, Click \"Split\""),
        QStringLiteral("    6. To marge multiple files into one big file, Click "),
        QStringLiteral("\"Join\""),
        QStringLiteral("    7. To terminate the conversion, click \"Stop\" button. "),
    };
    memo->setPlainText(lines.join(QLatin1Char('\n')));
    return memo;
}

QComboBox *formatBox(QWidget *window)
{
    auto *box = new FormatBox(window);
    box->setObjectName(QStringLiteral("cb_format"));
    box->setGeometry(418, 59, 53, 26);
    box->setCurrentIndex(0);
    box->setStyleSheet(QStringLiteral(
        "QComboBox { background: #FFFFFF; color: #1E293B; border: 1px solid #CBD5E1; border-radius: 6px; "
        "padding: 0 0 0 6px; font-size: 11px; font-weight: bold; }"
        "QComboBox:hover { border-color: #A5B4FC; }"
        "QComboBox::drop-down { border: none; width: 11px; }"));
    return box;
}

} // namespace korvex::MainControls

#pragma once

#include <QComboBox>

namespace korvex {

// The output format box: its list names every format in full ("Same as
// source (no re-encoding)"), while the narrow box on the face shows the
// short name of the chosen one ("Copy"). Items are in OutputFormat order.
class FormatBox : public QComboBox
{
    Q_OBJECT
public:
    explicit FormatBox(QWidget *parent = nullptr);

    // "MP3", "OGG", "Copy": what the face shows for the item at `index`.
    QString shortText(int index) const;

protected:
    void paintEvent(QPaintEvent *event) override;
    void showPopup() override;
};

} // namespace korvex

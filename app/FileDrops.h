#pragma once

#include <QList>
#include <QObject>
#include <QStringList>

#include <functional>

class QAbstractItemView;

namespace korvex {

// Lets the job lists take files and folders dragged from a file manager. A
// drag is accepted only while adding is possible (`accepting`), and the
// dropped local paths are handed on in their order once the drop itself has
// ended, so that the add's messages do not appear inside the drag.
class FileDrops : public QObject
{
    Q_OBJECT
public:
    using Accepting = std::function<bool()>;
    using Dropped = std::function<void(const QStringList &paths)>;

    FileDrops(const QList<QAbstractItemView *> &lists, Accepting accepting, Dropped dropped, QObject *parent);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    Accepting m_accepting;
    Dropped m_dropped;
};

} // namespace korvex

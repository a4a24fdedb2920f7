#include "app/DesktopLauncher.h"

#include <QDesktopServices>
#include <QUrl>

namespace korvex {

void DesktopLauncher::open(const QString &pathOrUrl)
{
    const QUrl url = QUrl::fromUserInput(pathOrUrl);
    QDesktopServices::openUrl(url);
}

} // namespace korvex

#include <QApplication>
#include <QWidget>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("Korvex"));
    window.setFixedSize(563, 414);
    window.show();
    return app.exec();
}

// The yardstick for the start-up figure: the least a Qt Widgets program does to cover
// the screen in one colour.
#include <QApplication>
#include <QScreen>
#include <QWidget>

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    QWidget window(nullptr, Qt::FramelessWindowHint);
    QPalette palette = window.palette();
    palette.setColor(QPalette::Window, QColor(250, 250, 170));
    window.setPalette(palette);
    window.setAutoFillBackground(true);
    window.setGeometry(QGuiApplication::primaryScreen()->geometry());
    window.show();
    return application.exec();
}

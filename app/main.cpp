#include <QApplication>
#include <QMainWindow>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Principal Component Analysis"));
    window.resize(855, 637);
    window.show();
    return app.exec();
}

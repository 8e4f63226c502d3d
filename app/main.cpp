#include <QApplication>
#include <QWidget>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle("Protel Autotrax Library Manager");
    window.show();
    return app.exec();
}

// The yardstick for the program's start-up: a Qt window with the same four widgets at the same
// places and the same font, and nothing else.

#include <QApplication>
#include <QFont>
#include <QLabel>
#include <QLineEdit>
#include <QWidget>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("Bare window"));
    QFont font = window.font();
    font.setPointSize(8);
    window.setFont(font);
    auto* label1 = new QLabel(QStringLiteral("Dez:"), &window);
    label1->setGeometry(8, 8, 25, 17);
    auto* text1 = new QLineEdit(&window);
    text1->setGeometry(40, 8, 121, 19);
    auto* label2 = new QLabel(QStringLiteral("Hex:"), &window);
    label2->setGeometry(8, 32, 25, 17);
    auto* text2 = new QLineEdit(&window);
    text2->setGeometry(40, 32, 121, 19);
    window.setFixedSize(169, 57);
    text1->setFocus();
    window.show();
    return app.exec();
}

// The window on a real X display, at the dots per inch that tests/qt/CMakeLists.txt gives the
// display's fonts (Xft.dpi) and Qt's scaling: the whole layout grows with the text, and no font
// clips a caption or the digits.
#include <QFontMetrics>
#include <QStyleOptionFrame>
#include <QtTest>

#include <X11/Xlib.h>

#include "qt/application.h"
#include "qt/form1_window.h"

using zif::qt::FieldEdit;
using zif::qt::Form1Window;

namespace {

// The window's client area in the X server's own pixels.
QSize nativeSize(const QWidget& window) {
    auto* x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
    Window root = 0;
    int x = 0;
    int y = 0;
    unsigned width = 0;
    unsigned height = 0;
    unsigned border = 0;
    unsigned depth = 0;
    XGetGeometry(x11->display(), window.winId(), &root, &x, &y, &width, &height, &border, &depth);
    return QSize(int(width), int(height));
}

// QLineEdit centres one line in its contents rectangle and clips the text to it.
QString digitsClippedIn(const FieldEdit& edit) {
    QStyleOptionFrame option;
    option.initFrom(&edit);
    option.lineWidth = edit.style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, &edit);
    option.state |= QStyle::State_Sunken;
    const QRect contents =
        edit.style()->subElementRect(QStyle::SE_LineEditContents, &option, &edit);
    const QFontMetrics metrics(edit.font());
    const int baseline =
        contents.top() + (contents.height() - metrics.height() + 1) / 2 + metrics.ascent();
    const QRect ink = metrics.tightBoundingRect("0123456789ABCDEF").translated(0, baseline);
    if (ink.top() >= contents.top() && ink.bottom() <= contents.bottom()) return {};
    return QString("ink %1..%2, field %3..%4")
        .arg(ink.top())
        .arg(ink.bottom())
        .arg(contents.top())
        .arg(contents.bottom());
}

}  // namespace

class LayoutTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();
    void clientAreaFollowsTheFontDpi();
    void nothingIsClipped_data();
    void nothingIsClipped();

private:
    int dpi_ = 96;
    QFont platformFont_;
};

void LayoutTest::initTestCase() {
    dpi_ = qEnvironmentVariableIntValue("ZIF_EXPECTED_DPI");
    QVERIFY2(dpi_ > 0, "ZIF_EXPECTED_DPI names the dots per inch that text is drawn at");
    platformFont_ = QApplication::font();
}

void LayoutTest::cleanup() {
    QApplication::setFont(platformFont_);
}

void LayoutTest::clientAreaFollowsTheFontDpi() {
    Form1Window window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    const QSize expected(169 * dpi_ / 96, 57 * dpi_ / 96);
    const QSize native = nativeSize(window);
    QVERIFY2(qAbs(native.width() - expected.width()) <= 1 &&
                 qAbs(native.height() - expected.height()) <= 1,
             qPrintable(QString("%1x%2, expected %3x%4")
                            .arg(native.width())
                            .arg(native.height())
                            .arg(expected.width())
                            .arg(expected.height())));
}

void LayoutTest::nothingIsClipped_data() {
    QTest::addColumn<QString>("family");
    QTest::addColumn<int>("weight");

    QTest::newRow("platform font") << QString() << int(QFont::Normal);
    QTest::newRow("DejaVu Sans Bold") << "DejaVu Sans" << int(QFont::Bold);
    QTest::newRow("DejaVu Serif Bold") << "DejaVu Serif" << int(QFont::Bold);
    QTest::newRow("DejaVu Sans Mono Bold") << "DejaVu Sans Mono" << int(QFont::Bold);
}

void LayoutTest::nothingIsClipped() {
    QFETCH(QString, family);
    QFETCH(int, weight);
    const QRect fieldAtPlatformFont = Form1Window().text1()->geometry();
    QFont font = platformFont_;
    if (!family.isEmpty()) font.setFamily(family);
    font.setWeight(QFont::Weight(weight));
    QApplication::setFont(font);

    Form1Window window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    const QList<std::pair<QLabel*, FieldEdit*>> rows{{window.label1(), window.text1()},
                                                     {window.label2(), window.text2()}};
    for (const auto& [label, edit] : rows) {
        const QFontMetrics metrics(label->font());
        QVERIFY2(metrics.horizontalAdvance(label->text()) <= label->contentsRect().width(),
                 qPrintable(label->text() + " is cut"));
        QVERIFY(metrics.height() <= label->contentsRect().height());
        QVERIFY2(label->geometry().right() < edit->geometry().left(),
                 qPrintable(label->text() + " reaches into its field"));
        const QString clipped = digitsClippedIn(*edit);
        QVERIFY2(clipped.isEmpty(), qPrintable(clipped));
    }
    QCOMPARE(window.text1()->geometry(), fieldAtPlatformFont);
}

int main(int argc, char* argv[]) {
    zif::qt::Application app(argc, argv);
    LayoutTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "layout_test.moc"

// The window's icon as Qt reads it from the compiled-in resource: all six images, with their
// transparency, and in full colour the very pixels of the theme icons.

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QIcon>
#include <QImage>
#include <QImageReader>
#include <cstdlib>
#include <memory>

namespace {

const QString kIcon = QStringLiteral(":/zifwandler.ico");

class QtIcon : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        // No display needed to decode images.
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
        static int argc = 1;
        static char name[] = "qt_icon_test";
        static char* argv[] = {name, nullptr};
        app = std::make_unique<QGuiApplication>(argc, argv);
    }
    static void TearDownTestSuite() { app.reset(); }

    static inline std::unique_ptr<QGuiApplication> app;
};

TEST_F(QtIcon, ReaderSeesSixImagesInOrder) {
    QImageReader reader(kIcon);
    ASSERT_TRUE(reader.canRead()) << reader.errorString().toStdString();
    ASSERT_EQ(reader.imageCount(), 6);
    const int sizes[] = {32, 16, 48, 32, 48, 16};
    for (int i = 0; i < 6; ++i) {
        SCOPED_TRACE(i);
        ASSERT_TRUE(reader.jumpToImage(i));
        const QImage image = reader.read();
        ASSERT_FALSE(image.isNull()) << reader.errorString().toStdString();
        EXPECT_EQ(image.size(), QSize(sizes[i], sizes[i]));
        ASSERT_TRUE(image.hasAlphaChannel());
        const int last = sizes[i] - 1;
        EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0);
        EXPECT_EQ(qAlpha(image.pixel(last, last)), 0);
        EXPECT_EQ(qAlpha(image.pixel(sizes[i] / 2, sizes[i] / 2)), 255);
    }
}

TEST_F(QtIcon, FullColourImagesMatchTheThemeIcons) {
    QImageReader reader(kIcon);
    for (int i : {3, 4, 5}) {  // the 256-colour images
        ASSERT_TRUE(reader.jumpToImage(i));
        const QImage image = reader.read().convertToFormat(QImage::Format_ARGB32);
        const QString png =
            QStringLiteral(ZIF_RESOURCES_DIR "/icons/zifwandler-%1.png").arg(image.width());
        const QImage theme = QImage(png).convertToFormat(QImage::Format_ARGB32);
        ASSERT_FALSE(theme.isNull()) << png.toStdString();
        EXPECT_EQ(image, theme) << png.toStdString();
    }
}

TEST_F(QtIcon, IconOffersEverySize) {
    const QIcon icon(kIcon);
    ASSERT_FALSE(icon.isNull());
    const auto sizes = icon.availableSizes();
    for (int size : {16, 32, 48}) EXPECT_TRUE(sizes.contains(QSize(size, size))) << size;
    EXPECT_FALSE(icon.pixmap(16, 16).isNull());
}

}  // namespace

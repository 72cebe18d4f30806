#include "assets/artwork.h"

#include <QImage>
#include <QImageReader>
#include <QSet>
#include <gtest/gtest.h>
#include <string>

namespace torvex {
namespace {

int colourCount(const QImage& image) {
    QSet<QRgb> colours;
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < argb.height(); ++y)
        for (int x = 0; x < argb.width(); ++x) {
            const QRgb pixel = argb.pixel(x, y);
            colours.insert(qAlpha(pixel) == 0 ? 0 : pixel);
        }
    return colours.size();
}

// Pixels of a colour in the given columns.
int countIn(const QImage& image, QRgb colour, int left, int right) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = left; x <= right; ++x)
            count += image.pixel(x, y) == colour;
    return count;
}

TEST(Artwork, PicturesAre32By32With16ColoursAndATransparentBackground) {
    const QPixmap pictures[] = {applicationPicture(), aboutPicture(), wizardPicture()};
    for (const QPixmap& picture : pictures) {
        ASSERT_FALSE(picture.isNull());
        EXPECT_EQ(picture.size(), QSize(32, 32));
        const QImage image = picture.toImage().convertToFormat(QImage::Format_ARGB32);
        EXPECT_LE(colourCount(image), 16);
        EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0) << "the corner should be transparent";
        EXPECT_EQ(qAlpha(image.pixel(31, 0)), 0);
    }
    EXPECT_NE(applicationPicture().toImage(), aboutPicture().toImage());
    EXPECT_NE(aboutPicture().toImage(), wizardPicture().toImage());
}

TEST(Artwork, AboutPictureHasAWhiteQuestionMarkBesideTheCalculator) {
    const QImage about = aboutPicture().toImage().convertToFormat(QImage::Format_ARGB32);
    const QRgb white = qRgb(255, 255, 255);
    EXPECT_GT(countIn(about, white, 17, 31), 40) << "no white mark right of the calculator";
    EXPECT_EQ(countIn(about, white, 0, 15), 0) << "the calculator itself has no white";
}

TEST(Artwork, ApplicationIconHoldsBothSizes) {
    const QList<QSize> sizes = applicationIcon().availableSizes();
    EXPECT_TRUE(sizes.contains(QSize(32, 32)));
    EXPECT_TRUE(sizes.contains(QSize(16, 16)));
    EXPECT_EQ(applicationIcon().pixmap(32).toImage().convertToFormat(QImage::Format_ARGB32),
              applicationPicture().toImage().convertToFormat(QImage::Format_ARGB32));
}

TEST(Artwork, IconFilesHoldA32And16PictureEach) {
    for (const char* name : {"application", "about", "wizard"}) {
        const QString path = QStringLiteral(TORVEX_ICONS_DIR "/%1.ico").arg(QLatin1String(name));
        QImageReader reader(path);
        if (!reader.canRead())
            GTEST_SKIP() << "no .ico reader in this Qt";
        ASSERT_EQ(reader.imageCount(), 2) << name;
        QList<QSize> sizes;
        for (int i = 0; i < 2; ++i) {
            ASSERT_TRUE(reader.jumpToImage(i));
            const QImage image = reader.read();
            ASSERT_FALSE(image.isNull()) << name << " image " << i;
            sizes << image.size();
            EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0) << name << " corner should be transparent";
        }
        EXPECT_TRUE(sizes.contains(QSize(32, 32))) << name;
        EXPECT_TRUE(sizes.contains(QSize(16, 16))) << name;
        // The big picture in the .ico is the one the program shows.
        reader.jumpToImage(sizes.indexOf(QSize(32, 32)));
        const QImage fromIco = reader.read().convertToFormat(QImage::Format_ARGB32);
        const QPixmap shown = std::string(name) == "about"    ? aboutPicture()
                              : std::string(name) == "wizard" ? wizardPicture()
                                                              : applicationPicture();
        EXPECT_EQ(fromIco, shown.toImage().convertToFormat(QImage::Format_ARGB32)) << name;
    }
}

} // namespace
} // namespace torvex

// The preview pane of the main window, offscreen: the frame follows the panel, the picture is
// fitted into the paint box, and empty or tiny panes draw nothing.
#include "JpegFixtures.h"

#include "app/Fmain.h"
#include "app/Upreview.h"
#include "platform/winmem.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <QTest>
#include <QTreeWidget>

#include <cstring>
#include <fstream>

namespace {

class PanePaintTest : public ::testing::Test {
protected:
    void SetUp() override { pImageHeader = GlobalAllocZeroed(kImageHeaderSize); }
    void TearDown() override
    {
        GlobalFree(pImageHeader);
        GlobalFree(pImageBits);
        pImageHeader = pImageBits = nullptr;
    }
    // A nWidth x nHeight picture, left half red and right half blue, rows top-down.
    static void SetPicture(int nWidth, int nHeight)
    {
        GlobalFree(pImageBits);
        pImageBits = GlobalAllocZeroed(std::size_t(nWidth) * nHeight * 4);
        auto* pPixels = static_cast<std::uint32_t*>(pImageBits);
        for (int y = 0; y < nHeight; ++y)
            for (int x = 0; x < nWidth; ++x)
                pPixels[y * nWidth + x] = x < nWidth / 2 ? 0xFFFF0000u : 0xFF0000FFu;
        BITMAPINFOHEADER header{};
        header.biSize = sizeof header;
        header.biWidth = nWidth;
        header.biHeight = -nHeight;
        header.biPlanes = 1;
        header.biBitCount = 32;
        std::memcpy(pImageHeader, &header, sizeof header);
    }
    QImage Paint(int nWidth, int nHeight)
    {
        form.PaintBox->grab();  // lets the panel lay out the pane first, as when it is shown
        form.PaintBox->setGeometry(0, 0, nWidth, nHeight);
        return form.PaintBox->grab().toImage();
    }
    TFormMain form;
};

}  // namespace

TEST_F(PanePaintTest, FrameKeepsTheScreenProportionsInsideThePanel)
{
    const QSize screen = QGuiApplication::primaryScreen()->size();
    // A tall panel: the width decides, the frame is centred from top to bottom.
    form.PanelClient->resize(265, 500);
    form.PanelClientResize();
    const QRect tall = form.ShapeBackground->geometry();
    EXPECT_EQ(tall.left(), 1);
    EXPECT_EQ(tall.width(), 263);
    EXPECT_NEAR(double(tall.height() + 2) / 265, double(screen.height()) / screen.width(), 0.01);
    EXPECT_LE(std::abs(tall.top() * 2 + tall.height() - 500), 1);
    EXPECT_EQ(form.PaintBox->geometry(), tall);
    // A wide panel: the height decides, the frame is centred from left to right.
    form.PanelClient->resize(2000, 300);
    form.PanelClientResize();
    const QRect wide = form.ShapeBackground->geometry();
    EXPECT_EQ(wide.top(), 1);
    EXPECT_EQ(wide.height(), 298);
    EXPECT_LE(std::abs(wide.left() * 2 + wide.width() - 2000), 1);
    EXPECT_EQ(form.PaintBox->geometry(), wide);
    // A panel of 2 pixels shows no frame; a panel of height 0 changes nothing.
    form.PanelClient->resize(2, 300);
    form.PanelClientResize();
    EXPECT_TRUE(form.ShapeBackground->geometry().isEmpty());
    EXPECT_TRUE(form.PaintBox->geometry().isEmpty());
    form.PanelClient->resize(400, 0);
    form.PanelClientResize();
    EXPECT_TRUE(form.PaintBox->geometry().isEmpty());
}

TEST_F(PanePaintTest, PictureIsFittedCentredAndUnsmoothed)
{
    SetPicture(40, 20);
    const QImage shown = Paint(200, 200);
    // 40 x 20 in 200 x 200: 198 x 98 at left 1, top 51.
    EXPECT_EQ(shown.pixel(2, 100), 0xFFFF0000u);
    EXPECT_EQ(shown.pixel(98, 100), 0xFFFF0000u);   // no blending at the colour edge
    EXPECT_EQ(shown.pixel(101, 100), 0xFF0000FFu);
    EXPECT_EQ(shown.pixel(198, 51), 0xFF0000FFu);
    EXPECT_EQ(shown.pixel(198, 148), 0xFF0000FFu);
    for (const QPoint outside : {QPoint(100, 50), QPoint(100, 149), QPoint(0, 100), QPoint(199, 100)}) {
        const QRgb c = shown.pixel(outside);
        EXPECT_NE(c, 0xFFFF0000u) << outside.x() << "," << outside.y();
        EXPECT_NE(c, 0xFF0000FFu) << outside.x() << "," << outside.y();
    }
}

TEST_F(PanePaintTest, NothingIsDrawnWithoutAPictureOrRoom)
{
    // No pixel block yet, an empty header, and boxes too small: nothing drawn, nothing fails.
    const QImage empty = Paint(50, 50);
    EXPECT_NE(empty.pixel(25, 25), 0xFFFF0000u);
    SetPicture(40, 20);
    static_cast<BITMAPINFOHEADER*>(pImageHeader)->biWidth = 0;
    EXPECT_NE(Paint(50, 50).pixel(25, 25), 0xFFFF0000u);
    SetPicture(40, 20);
    for (const QSize box : {QSize(2, 200), QSize(200, 2), QSize(1, 1)})
        Paint(box.width(), box.height());
    // A header claiming more pixels than the block holds is not drawn.
    static_cast<BITMAPINFOHEADER*>(pImageHeader)->biWidth = 4000;
    EXPECT_NE(Paint(50, 50).pixel(25, 25), 0xFFFF0000u);
}

TEST(PreviewPane, SelectedPhotoAppearsInThePaneAndTheCloseStopsTheWorker)
{
    // The whole way: start-up starts the worker, selecting a row requests its picture, the
    // worker decodes it and posts WM_IMAGEREADY, the pane paints it; the close stops it all.
    ScratchFolder folder;
    const std::string strPhotos = folder.PathOf("Photos");
    std::filesystem::create_directories(strPhotos);
    folder.Write("Photos/IMG_0001.jpg", EncodeJpeg(SolidPicture(64, 48, Bgrx{0, 0, 255}), JpegKind::Colour444));
    std::ofstream(folder.PathOf("velmora.ini")) << "[Settings]\nFolder=" << strPhotos << "\n";
    TFormMain::SetSettingsPath(folder.PathOf("velmora.ini").c_str());
    {
        TFormMain form;
        form.show();
        ASSERT_TRUE(hRunningEvent.IsSet());
        ASSERT_EQ(form.ListViewFiles->topLevelItemCount(), 1);
        form.ListViewFiles->setCurrentItem(form.ListViewFiles->topLevelItem(0));
        const QPoint centre(form.PaintBox->width() / 2, form.PaintBox->height() / 2);
        EXPECT_TRUE(QTest::qWaitFor([&] {
            const QRgb c = form.PaintBox->grab().toImage().pixel(centre);
            return qRed(c) > 230 && qGreen(c) < 30 && qBlue(c) < 30;
        }, 10000));
        form.close();
        EXPECT_FALSE(hRunningEvent.IsSet());
        EXPECT_EQ(pImageHeader, nullptr);
        EXPECT_EQ(pImageBits, nullptr);
    }
    TFormMain::SetSettingsPath("");
}

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");  // also while the tests are listed
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

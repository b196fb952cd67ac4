// The preview pane: the background shape, the picture fitted into the paint box, and the
// screen-shaped frame kept centred in the panel.
#include "Fmain.h"

#include "../platform/winmem.h"
#include "Upreview.h"
#include "UpreviewLayout.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QScreen>

#include <cstdlib>
#include <mutex>

TShape::TShape(QWidget* pParent) : QWidget(pParent) {}

void TShape::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setPen(Qt::black);
    painter.setBrush(m_colorFill);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

namespace {

QRect ToQRect(const std::optional<PaneRect>& rect)
{
    return rect ? QRect(rect->nLeft, rect->nTop, rect->nWidth, rect->nHeight) : QRect();
}

}  // namespace

// Keeps the frame with the primary screen's proportions centred in the panel; the paint box
// takes the same bounds. A panel too small for a frame shows neither.
void TFormMain::PanelClientResize()
{
    if (PanelClient->height() == 0)
        return;
    const QScreen* pScreen = QGuiApplication::primaryScreen();
    const QSize screen = pScreen != nullptr ? pScreen->size() : QSize();
    const QRect bounds = ToQRect(
        FitScreenFrame(PanelClient->width(), PanelClient->height(), screen.width(), screen.height()));
    ShapeBackground->setGeometry(bounds);
    PaintBox->setGeometry(bounds);
}

// Draws the last decoded picture fitted into the paint box, without smoothing. The shared
// blocks are looked at only under hImageMutex: the worker may replace the pixel block at any
// other moment.
void TFormMain::PaintBoxPaint()
{
    if (m_bPreviewBlank)
        return;  // the picture is of the previous list
    std::lock_guard<std::mutex> lock(hImageMutex);
    if (pImageHeader == nullptr || pImageBits == nullptr)
        return;
    const auto* pHeader = static_cast<const BITMAPINFOHEADER*>(pImageHeader);
    const std::optional<PaneRect> target =
        FitPicture(pHeader->biWidth, pHeader->biHeight, PaintBox->width(), PaintBox->height());
    if (!target || pHeader->biBitCount != 32 || pHeader->biCompression != BI_RGB)
        return;
    const int nWidth = pHeader->biWidth;
    const int nHeight = std::abs(pHeader->biHeight);
    if (GlobalSize(pImageBits) / 4 / static_cast<std::size_t>(nWidth) < static_cast<std::size_t>(nHeight))
        return;  // the header describes more pixels than the block holds
    QImage image(static_cast<const uchar*>(pImageBits), nWidth, nHeight, nWidth * 4,
                 QImage::Format_RGB32);
    if (pHeader->biHeight > 0)
        image = image.mirrored(false, true);  // rows stored bottom-up
    QPainter painter(PaintBox);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.drawImage(ToQRect(target), image, QRect(0, 0, nWidth, nHeight));
}

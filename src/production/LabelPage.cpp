#include "production/LabelPage.h"

#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPrinter>

#include <algorithm>
#include <cmath>

bool labelSizeFitsWindow(const QSizeF &sizeMm)
{
    const qreal shorter = std::min(sizeMm.width(), sizeMm.height());
    const qreal longer = std::max(sizeMm.width(), sizeMm.height());
    return shorter >= 15.0 && shorter <= 130.0 && longer >= 20.0 && longer <= 180.0;
}

bool applyLabelPage(QPrinter &printer, const QSizeF &sizeMm)
{
    if (!labelSizeFitsWindow(sizeMm))
        return false;
    // The page is the label as it lies, width × height, so a 58 × 40 label is already a
    // landscape page. Turning it again with QPageLayout::Landscape would swap the paint
    // rectangle and make CUPS rotate the job onto a portrait sheet (media "landscape").
    const QPageSize pageSize(sizeMm, QPageSize::Millimeter, QString(), QPageSize::ExactMatch);
    const QPageLayout layout(pageSize, QPageLayout::Portrait, QMarginsF(0, 0, 0, 0),
                             QPageLayout::Millimeter);
    printer.setFullPage(true);
    const bool ok = printer.setPageLayout(layout);
    printer.setFullPage(true);
    return ok;
}

void flattenOntoWhite(QImage &image)
{
    if (image.isNull())
        return;
    if (image.hasAlphaChannel()) {
        if (image.format() != QImage::Format_ARGB32_Premultiplied)
            image.convertTo(QImage::Format_ARGB32_Premultiplied);
        QPainter painter(&image);
        painter.setCompositionMode(QPainter::CompositionMode_DestinationOver);
        painter.fillRect(image.rect(), Qt::white);
        painter.end();
    }
    image.convertTo(QImage::Format_RGB32);
}

void drawPictureIntoPage(QPainter &painter, QPrinter &printer, const QImage &picture,
                         bool allowUpscale)
{
    QRectF target = printer.pageRect(QPrinter::DevicePixel);
    if (target.isEmpty())
        target = painter.viewport();
    painter.fillRect(target, Qt::white);
    if (picture.isNull() || target.isEmpty())
        return;

    const qreal width = picture.width();
    const qreal height = picture.height();
    qreal factor = std::min(target.width() / width, target.height() / height);
    if (!allowUpscale)
        factor = std::min(factor, 1.0);
    QSizeF drawn;
    if (factor > 0.0 && std::isfinite(factor))
        drawn = QSizeF(width * factor, height * factor);
    else
        drawn = QSizeF(picture.size()).scaled(target.size(), Qt::KeepAspectRatio);

    const QRectF where(target.x() + (target.width() - drawn.width()) / 2.0,
                       target.y() + (target.height() - drawn.height()) / 2.0,
                       drawn.width(), drawn.height());
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    painter.drawImage(where, picture);
    painter.restore();
}

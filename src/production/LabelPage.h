#pragma once

#include <QImage>
#include <QSizeF>

class QPainter;
class QPrinter;

// Page handling of the silent label print: the label-size window, the exact custom
// page and drawing one picture centred into the printable page.

// Thermal labels: shorter side 15…130 mm, longer side 20…180 mm, bounds included.
// Anything else (A4 sheets, odd metadata) keeps the printer's own page.
bool labelSizeFitsWindow(const QSizeF &sizeMm);

// Sets an exact custom page of sizeMm (landscape when wider than high), zero margins,
// full page. False, with the printer untouched, when the size is outside the window.
bool applyLabelPage(QPrinter &printer, const QSizeF &sizeMm);

// Puts white behind transparent parts, in place, and drops the alpha channel: PDF
// renders and PNG labels are transparent, and label printers print transparent as black.
void flattenOntoWhite(QImage &image);

// Fills the page white and draws the picture centred, scaled to fit; without
// allowUpscale the picture is never drawn larger than one image pixel per device pixel.
void drawPictureIntoPage(QPainter &painter, QPrinter &printer, const QImage &picture,
                         bool allowUpscale);

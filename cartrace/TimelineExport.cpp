#include "cartrace/TimelineExport.h"

#include "cartrace/TimelinePainter.h"
#include "cartrace/TraceData.h"

#include <QImage>
#include <QPainter>
#include <QSvgGenerator>

namespace cartrace {

std::string exportTimeline(const TraceData& data, const TimelineView& view, const std::string& path, int width)
{
    const QString file = QString::fromStdString(path);
    const QSize size(width, TimelinePainter::heightFor(view.lanes.size()));
    const TimelinePainter painter;
    if (file.endsWith(".svg", Qt::CaseInsensitive)) {
        QSvgGenerator svg;
        svg.setFileName(file);
        svg.setSize(size);
        svg.setViewBox(QRect(QPoint(0, 0), size));
        svg.setTitle(QString::fromStdString("cartrace " + data.name()));
        QPainter p;
        if (!p.begin(&svg))
            return path + ": cannot be written";
        painter.paint(p, QRect(QPoint(0, 0), size), data, view);
        p.end();
        return {};
    }
    if (!file.endsWith(".png", Qt::CaseInsensitive))
        return path + ": the file name must end in .png or .svg";
    QImage image(size, QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    painter.paint(p, image.rect(), data, view);
    p.end();
    if (!image.save(file, "PNG"))
        return path + ": cannot be written";
    return {};
}

} // namespace cartrace

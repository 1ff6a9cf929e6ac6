// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/reportrenderer.h"

#include "core/outputfile.h"
#include "ui/usermessage.h"

#include <QBuffer>
#include <QFileDialog>
#include <QFontMetricsF>
#include <QLocale>
#include <QPageLayout>
#include <QPainter>
#include <QPainterPath>
#include <QPdfWriter>
#include <QPrintDialog>
#include <QPrinter>

#include <array>

using namespace ReportLayout;

namespace Report {

namespace {

// Consensus colours of the ranges, very low to very high.
const std::array<QColor, 5> rangeColours{QColor(0xa1, 0x1d, 0x21), QColor(0xe5, 0x39, 0x35),
                                         QColor(0x43, 0xa0, 0x47), QColor(0xfd, 0xd8, 0x35),
                                         QColor(0xfb, 0x8c, 0x00)};
const QColor outerBand(0xbb, 0xde, 0xfb);
const QColor innerBand(0x64, 0xb5, 0xf6);
const QColor medianLine(0x0d, 0x47, 0xa1);
const QColor targetLine(0x43, 0xa0, 0x47);
const QColor userLimitLine(0xa5, 0xd6, 0xa7);
const QColor targetBand(0xe3, 0xf2, 0xe4);
const QColor gridLine(0xdd, 0xdd, 0xdd);
const QColor quiet(0x66, 0x66, 0x66);
const QColor met(0x2e, 0x7d, 0x32);
const QColor missed(0xc6, 0x28, 0x28);

QFont reportFont(int size, bool bold = false)
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(size); // units are points: the painter is scaled to them
    font.setBold(bold);
    font.setHintingPreference(QFont::PreferNoHinting);
    // Any letter spacing turns ligatures off, so "fi" in the PDF's text is
    // two letters that a search finds.
    font.setLetterSpacing(QFont::AbsoluteSpacing, 0.05);
    return font;
}

QString isoDate(const QDate &date)
{
    return date.toString(Qt::ISODate);
}

QString dayName(const QDate &date)
{
    return QLocale::c().toString(date, QStringLiteral("ddd yyyy-MM-dd"));
}

QString percent(std::optional<double> value)
{
    return value ? QString::number(*value, 'f', 1) + QStringLiteral(" %") : QStringLiteral("-");
}

std::optional<double> sum(std::optional<double> a, std::optional<double> b)
{
    if (!a || !b)
        return std::nullopt;
    return *a + *b;
}

QString periodText(const ReportData &data)
{
    const ReportRequest &r = data.request;
    const qint64 days = r.from.daysTo(r.to) + 1;
    return QStringLiteral("%1 to %2 (%3 %4)")
        .arg(isoDate(r.from), isoDate(r.to))
        .arg(days)
        .arg(days == 1 ? QStringLiteral("day") : QStringLiteral("days"));
}

void text(QPainter &painter, double x, double baseline, const QString &s)
{
    painter.drawText(QPointF(x, baseline), s);
}

void textRight(QPainter &painter, double right, double baseline, const QString &s)
{
    painter.drawText(QPointF(right - QFontMetricsF(painter.font()).horizontalAdvance(s), baseline),
                     s);
}

void heading(QPainter &painter, double x, double top, const QString &s)
{
    painter.setFont(reportFont(10, true));
    painter.setPen(Qt::black);
    text(painter, x, top + 12, s);
}

void paintTitle(QPainter &painter, const ReportData &data, const QRectF &box)
{
    const GlucoseStatistics &s = data.statistics;
    painter.setPen(Qt::black);
    painter.setFont(reportFont(16, true));
    text(painter, box.left(), box.top() + 15, QStringLiteral("Glucose report"));
    painter.setFont(reportFont(9));
    text(painter, box.left(), box.top() + 29,
         QStringLiteral("Period %1, made on %2, values in %3")
             .arg(periodText(data), isoDate(data.request.madeOn), unitName(data.request.unit)));
    QStringList notes;
    if (s.readings == 0)
        notes << QStringLiteral("No glucose readings in this period.");
    else {
        if (s.daysWithReadings < 14)
            notes << QStringLiteral("Fewer than 14 days with readings.");
        if (s.coveragePercent < 70)
            notes << QStringLiteral("Sensor coverage below 70 %.");
    }
    painter.setPen(missed);
    text(painter, box.left(), box.top() + 41, notes.join(u' '));
}

struct Figure
{
    QString name;
    QString value;
    QString target;
    std::optional<bool> met;
};

std::optional<bool> check(std::optional<double> value, bool below, double limit, bool orEqual)
{
    if (!value)
        return std::nullopt;
    if (below)
        return orEqual ? *value <= limit : *value < limit;
    return *value > limit;
}

void paintStatistics(QPainter &painter, const ReportData &data, const QRectF &box)
{
    const GlucoseStatistics &s = data.statistics;
    const GlucoseUnit unit = data.request.unit;
    const QString u = u' ' + unitName(unit);
    const auto glucose = [unit, &u](std::optional<double> v) {
        return v ? formatGlucose(v, unit) + u : QStringLiteral("-");
    };
    const auto range = [unit](double low, double high) {
        return formatGlucose(low, unit) + u'-' + formatGlucose(high, unit);
    };
    const std::optional<double> below70 = sum(s.lowPercent, s.veryLowPercent);
    const std::optional<double> above180 = sum(s.highPercent, s.veryHighPercent);
    const std::vector<Figure> figures{
        {QStringLiteral("Readings"),
         QStringLiteral("%1 on %2 of %3 days").arg(s.readings).arg(s.daysWithReadings).arg(s.days),
         {},
         {}},
        {QStringLiteral("Sensor coverage"), percent(s.coveragePercent), {}, {}},
        {QStringLiteral("Mean glucose"), glucose(s.mean), {}, {}},
        {QStringLiteral("Median"), glucose(s.median), {}, {}},
        {QStringLiteral("Lowest, highest"),
         s.min ? formatGlucose(s.min, unit) + QStringLiteral(", ") + glucose(s.max)
               : QStringLiteral("-"),
         {},
         {}},
        {QStringLiteral("Standard deviation"), glucose(s.sd), {}, {}},
        {QStringLiteral("Coefficient of variation"), percent(s.cvPercent),
         QStringLiteral("at most 36 %"), check(s.cvPercent, true, 36, true)},
        {QStringLiteral("Glucose mgmt. indicator"), percent(s.gmiPercent), {}, {}},
        {QStringLiteral("Estimated HbA1c"), percent(s.ea1cPercent), {}, {}},
        {QStringLiteral("Time in range ") + range(70, 180), percent(s.inRangePercent),
         QStringLiteral("above 70 %"), check(s.inRangePercent, false, 70, false)},
        {QStringLiteral("Below ") + formatGlucose(70, unit), percent(below70),
         QStringLiteral("under 4 %"), check(below70, true, 4, false)},
        {QStringLiteral("Below ") + formatGlucose(54, unit), percent(s.veryLowPercent),
         QStringLiteral("under 1 %"), check(s.veryLowPercent, true, 1, false)},
        {QStringLiteral("Above ") + formatGlucose(180, unit), percent(above180),
         QStringLiteral("under 25 %"), check(above180, true, 25, false)},
        {QStringLiteral("Above ") + formatGlucose(250, unit), percent(s.veryHighPercent),
         QStringLiteral("under 5 %"), check(s.veryHighPercent, true, 5, false)},
        {QStringLiteral("Own limits ") + range(data.request.lowerLimit, data.request.upperLimit),
         s.readings ? QStringLiteral("below %1, in %2, above %3")
                          .arg(percent(s.belowTargetPercent), percent(s.inTargetPercent),
                               percent(s.aboveTargetPercent))
                    : QStringLiteral("-"),
         {},
         {}},
        {QStringLiteral("Carbs per day"), QString::number(s.carbsPerDay, 'f', 0), {}, {}},
        {QStringLiteral("Bolus insulin per day"), QString::number(s.bolusPerDay, 'f', 1), {}, {}},
        {QStringLiteral("Basal insulin per day"), QString::number(s.basalPerDay, 'f', 1), {}, {}},
    };
    const double step = box.height() / double(figures.size());
    const double valueX = box.left() + box.width() * 0.47;
    const double targetX = box.left() + box.width() * 0.76;
    painter.setFont(reportFont(8));
    double baseline = box.top() + step - 2;
    for (const Figure &f : figures) {
        painter.setPen(Qt::black);
        text(painter, box.left(), baseline, f.name);
        text(painter, valueX, baseline, f.value);
        if (!f.target.isEmpty()) {
            painter.setPen(f.met ? (*f.met ? met : missed) : quiet);
            text(painter, targetX, baseline, f.target);
        }
        baseline += step;
    }
}

void paintRangeBar(QPainter &painter, const ReportData &data, const FirstPage &layout)
{
    const GlucoseStatistics &s = data.statistics;
    const std::vector<std::optional<double>> shares{
        s.veryLowPercent, s.lowPercent, s.inRangePercent, s.highPercent, s.veryHighPercent};
    std::vector<double> values;
    for (const auto &share : shares)
        values.push_back(share.value_or(0));
    const std::vector<QRectF> segments = rangeSegments(layout.rangeBar, values);
    painter.setPen(Qt::NoPen);
    for (size_t i = 0; i < segments.size(); ++i)
        painter.fillRect(segments[i], rangeColours[i]);
    painter.setPen(QPen(quiet, 0.5));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(layout.rangeBar);

    const bool mmol = data.request.unit == GlucoseUnit::MmolPerL;
    const std::array<QString, 5> names{
        mmol ? QStringLiteral("Very low, below 3.0") : QStringLiteral("Very low, below 54"),
        mmol ? QStringLiteral("Low, 3.0-3.8") : QStringLiteral("Low, 54-69"),
        mmol ? QStringLiteral("In range, 3.9-10.0") : QStringLiteral("In range, 70-180"),
        mmol ? QStringLiteral("High, 10.1-13.9") : QStringLiteral("High, 181-250"),
        mmol ? QStringLiteral("Very high, above 13.9") : QStringLiteral("Very high, above 250")};
    const QRectF &labels = layout.rangeLabels;
    const double slot = labels.height() / 5;
    painter.setFont(reportFont(8));
    for (int i = 0; i < 5; ++i) {
        const double baseline = labels.bottom() - slot * i - slot / 2 + 3;
        painter.fillRect(QRectF(labels.left(), baseline - 7, 7, 7), rangeColours[size_t(i)]);
        painter.setPen(Qt::black);
        text(painter, labels.left() + 11, baseline, names[size_t(i)]);
        textRight(painter, labels.right(), baseline, percent(shares[size_t(i)]));
    }
}

// Closes a band over the bins from first to last: upper edge left to
// right, lower edge back. Each bin spans its hour.
void addBand(QPainterPath &path, const GlucoseStatistics &s, int first, int last,
             std::optional<double> AgpBin::*upper, std::optional<double> AgpBin::*lower,
             const QRectF &plot)
{
    QPolygonF polygon;
    for (int h = first; h <= last; ++h) {
        const double y = agpY(*(s.agp[size_t(h)].*upper), plot);
        polygon << QPointF(agpX(h == first ? h : h + 0.5, plot), y);
        if (h == last)
            polygon << QPointF(agpX(h + 1, plot), y);
    }
    for (int h = last; h >= first; --h) {
        const double y = agpY(*(s.agp[size_t(h)].*lower), plot);
        polygon << QPointF(agpX(h == last ? h + 1 : h + 0.5, plot), y);
        if (h == first)
            polygon << QPointF(agpX(h, plot), y);
    }
    path.addPolygon(polygon);
    path.closeSubpath();
}

void paintAgp(QPainter &painter, const ReportData &data, const QRectF &plot)
{
    const GlucoseStatistics &s = data.statistics;
    const GlucoseUnit unit = data.request.unit;
    heading(painter, plot.left() - 30, plot.top() - headingHeight,
            QStringLiteral("Ambulatory glucose profile: median, 25-75 and 5-95 %"));

    painter.setFont(reportFont(7));
    for (int h = 0; h <= 24; h += 3) {
        const double x = agpX(h, plot);
        painter.setPen(QPen(gridLine, 0.4));
        painter.drawLine(QPointF(x, plot.top()), QPointF(x, plot.bottom()));
        painter.setPen(quiet);
        text(painter, x - 9, plot.bottom() + 9, QStringLiteral("%1:00").arg(h, 2, 10, QChar('0')));
    }
    const double step = unit == GlucoseUnit::MmolPerL ? 3 * mgPerDlPerMmolPerL : 50;
    for (double v = step; v <= agpTop; v += step) {
        const double y = agpY(v, plot);
        painter.setPen(QPen(gridLine, 0.4));
        painter.drawLine(QPointF(plot.left(), y), QPointF(plot.right(), y));
        painter.setPen(quiet);
        textRight(painter, plot.left() - 3, y + 2.5, formatGlucose(v, unit));
    }

    // Runs of hours with readings; an hour without any leaves a gap.
    QPainterPath outer, inner, median;
    for (int h = 0; h < 24;) {
        if (s.agp[size_t(h)].n == 0) {
            ++h;
            continue;
        }
        int last = h;
        while (last + 1 < 24 && s.agp[size_t(last + 1)].n > 0)
            ++last;
        addBand(outer, s, h, last, &AgpBin::p95, &AgpBin::p5, plot);
        addBand(inner, s, h, last, &AgpBin::p75, &AgpBin::p25, plot);
        median.moveTo(agpX(h, plot), agpY(*s.agp[size_t(h)].p50, plot));
        for (int k = h; k <= last; ++k)
            median.lineTo(agpX(k + 0.5, plot), agpY(*s.agp[size_t(k)].p50, plot));
        median.lineTo(agpX(last + 1, plot), agpY(*s.agp[size_t(last)].p50, plot));
        h = last + 1;
    }
    painter.setPen(Qt::NoPen);
    painter.fillPath(outer, outerBand);
    painter.fillPath(inner, innerBand);
    painter.strokePath(median, QPen(medianLine, 1.5));

    const auto limit = [&](double value, const QPen &pen) {
        painter.setPen(pen);
        painter.drawLine(QPointF(plot.left(), agpY(value, plot)),
                         QPointF(plot.right(), agpY(value, plot)));
    };
    limit(data.request.lowerLimit, QPen(userLimitLine, 0.8, Qt::DashLine));
    limit(data.request.upperLimit, QPen(userLimitLine, 0.8, Qt::DashLine));
    limit(70, QPen(targetLine, 0.8));
    limit(180, QPen(targetLine, 0.8));
    painter.setPen(QPen(quiet, 0.5));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(plot);
    if (s.readings == 0) {
        painter.setFont(reportFont(9));
        painter.drawText(plot, Qt::AlignCenter, QStringLiteral("No readings in this period"));
    }
}

void paintCurve(QPainter &painter, const ReportDay &day, const QRectF &cell)
{
    const QRectF plot = curvePlot(cell);
    painter.setFont(reportFont(7));
    painter.setPen(Qt::black);
    text(painter, cell.left() + 2, cell.top() + curveLabelHeight - 1, dayName(day.date));
    painter.fillRect(
        QRectF(QPointF(plot.left(), curveY(180, plot)), QPointF(plot.right(), curveY(70, plot))),
        targetBand);
    painter.setPen(QPen(gridLine, 0.4));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(plot);
    // A gap of more than half an hour breaks the line.
    QPainterPath path;
    int previous = -1000;
    for (const ReportReading &r : day.readings) {
        const QPointF point(curveX(r.minutes, plot), curveY(r.value, plot));
        if (r.minutes - previous > 30)
            path.moveTo(point);
        else
            path.lineTo(point);
        previous = r.minutes;
    }
    painter.strokePath(path, QPen(medianLine, 0.5));
}

QString dayHeader(const ReportDay &day, bool continued)
{
    QString s = dayName(day.date);
    if (continued)
        return s + QStringLiteral(" (continued)");
    return s;
}

QString daySummary(const ReportDay &day, GlucoseUnit unit)
{
    QString glucose = QStringLiteral("no readings");
    if (!day.readings.empty())
        glucose = QStringLiteral("%1 readings, mean %2, lowest %3, highest %4 %5")
                      .arg(day.readings.size())
                      .arg(formatGlucose(day.mean, unit), formatGlucose(day.lowest, unit),
                           formatGlucose(day.highest, unit), unitName(unit));
    return QStringLiteral("%1; carbs %2, bolus %3, basal %4")
        .arg(glucose)
        .arg(day.carbs)
        .arg(day.bolus)
        .arg(day.basal);
}

void paintLogbookPiece(QPainter &painter, const ReportData &data, const LogbookPiece &piece,
                       const QRectF &content)
{
    const ReportDay &day = data.days[size_t(piece.day)];
    const GlucoseUnit unit = data.request.unit;
    double baseline = piece.top + logbookLineHeight - 2;
    painter.setPen(Qt::black);
    painter.setFont(reportFont(8, true));
    const QString header = dayHeader(day, piece.continued);
    text(painter, content.left(), baseline, header);
    if (!piece.continued) {
        painter.setFont(reportFont(8));
        text(painter, content.left() + 110, baseline, daySummary(day, unit));
    }
    painter.setFont(reportFont(8));
    const double column = content.width() / logbookColumns;
    for (int line = piece.firstLine; line < piece.firstLine + piece.lines; ++line) {
        baseline += logbookLineHeight;
        for (int c = 0; c < logbookColumns; ++c) {
            const size_t i = size_t(line * logbookColumns + c);
            if (i >= day.logbook.size())
                break;
            const LogbookEntry &e = day.logbook[i];
            const QString time = e.minutes < 0 ? QStringLiteral("--:--")
                                               : QStringLiteral("%1:%2")
                                                     .arg(e.minutes / 60, 2, 10, QChar('0'))
                                                     .arg(e.minutes % 60, 2, 10, QChar('0'));
            const QString value = e.type == QLatin1String("Glucose")
                                      ? formatGlucose(e.value, unit) + u' ' + unitName(unit)
                                      : QString::number(e.value);
            const double x = content.left() + 10 + c * column;
            painter.setPen(quiet);
            text(painter, x, baseline, time);
            painter.setPen(Qt::black);
            text(painter, x + 28, baseline, e.type + u' ' + value);
        }
    }
}

void paintFooter(QPainter &painter, const ReportData &data, const QSizeF &page, int pageIndex,
                 int pageCount)
{
    const QRectF c = contentRect(page);
    const double baseline = footerBaseline(page);
    painter.setPen(QPen(gridLine, 0.5));
    painter.drawLine(QPointF(c.left(), baseline - 10), QPointF(c.right(), baseline - 10));
    painter.setFont(reportFont(7));
    painter.setPen(quiet);
    text(painter, c.left(), baseline, QStringLiteral("Glucose report ") + periodText(data));
    textRight(painter, c.right(), baseline,
              QStringLiteral("page %1 of %2").arg(pageIndex + 1).arg(pageCount));
}

std::vector<int> logbookSizes(const ReportData &data)
{
    std::vector<int> sizes;
    sizes.reserve(data.days.size());
    for (const ReportDay &day : data.days)
        sizes.push_back(int(day.logbook.size()));
    return sizes;
}

} // namespace

QSizeF defaultPageSize()
{
    return QPageSize(QPageSize::A4).size(QPageSize::Point);
}

ReportLayout::Plan planFor(const ReportData &data, const QSizeF &page)
{
    return ReportLayout::plan(page, logbookSizes(data));
}

void paintPage(QPainter &painter, const ReportData &data, const ReportLayout::Plan &plan,
               const QSizeF &page, int pageIndex)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF content = contentRect(page);
    if (pageIndex == 0) {
        const FirstPage layout = firstPage(page);
        paintTitle(painter, data, layout.title);
        paintStatistics(painter, data, layout.statistics);
        paintRangeBar(painter, data, layout);
        paintAgp(painter, data, layout.agp);
        heading(painter, content.left(), layout.curvesTop,
                QStringLiteral("Daily glucose, most recent week first"));
    } else if (pageIndex < plan.firstLogbookPage) {
        heading(painter, content.left(), content.top(), QStringLiteral("Daily glucose, continued"));
    } else {
        heading(painter, content.left(), content.top(),
                QStringLiteral("Logbook, newest day first"));
    }
    for (size_t row = 0; row < plan.curveRows.size(); ++row) {
        if (plan.curveRows[row].page != pageIndex)
            continue;
        for (int column = 0; column < curvesPerRow; ++column) {
            const int back = int(row) * curvesPerRow + curvesPerRow - 1 - column;
            if (back < int(data.days.size()))
                paintCurve(painter, data.days[size_t(back)],
                           curveCell(content, plan.curveRows[row].top, column));
        }
    }
    for (const LogbookPiece &piece : plan.logbook) {
        if (piece.page == pageIndex)
            paintLogbookPiece(painter, data, piece, content);
    }
    paintFooter(painter, data, page, pageIndex, plan.pageCount);
    painter.restore();
}

int render(QPagedPaintDevice &device, const ReportData &data)
{
    const QSizeF page = device.pageLayout().fullRect(QPageLayout::Point).size();
    const ReportLayout::Plan plan = planFor(data, page);
    QPainter painter;
    if (!painter.begin(&device))
        return 0;
    const double scale = device.logicalDpiX() / 72.0;
    for (int i = 0; i < plan.pageCount; ++i) {
        if (i > 0 && !device.newPage())
            return 0;
        painter.resetTransform();
        painter.scale(scale, scale);
        paintPage(painter, data, plan, page, i);
    }
    return painter.end() ? plan.pageCount : 0;
}

QByteArray pdfBytes(const ReportData &data, int *pageCount)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setPageLayout(
            QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF()));
        writer.setCreator(QStringLiteral("Mellidor"));
        writer.setTitle(QStringLiteral("Glucose report ") + periodText(data));
        const int pages = render(writer, data);
        if (pageCount)
            *pageCount = pages;
    }
    return buffer.data();
}

bool writePdf(const QString &path, const ReportData &data, QString *error, int *pageCount)
{
    int pages = 0;
    const QByteArray bytes = pdfBytes(data, &pages);
    if (pages == 0) {
        *error = QStringLiteral("the report could not be painted.");
        return false;
    }
    if (pageCount)
        *pageCount = pages;
    return OutputFile::write(path, bytes, error);
}

bool savePdfAs(QWidget *parent, const ReportData &data)
{
    const QString suggested = QStringLiteral("glucose-report-%1.pdf").arg(isoDate(data.request.to));
    const QString path = QFileDialog::getSaveFileName(
        parent, QStringLiteral("Save report"), suggested, QStringLiteral("PDF files (*.pdf)"));
    if (path.isEmpty())
        return false;
    QString error;
    if (writePdf(path, data, &error))
        return true;
    UserMessage::error(parent, QStringLiteral("Report"),
                       QStringLiteral("Could not write %1: %2").arg(path, error));
    return false;
}

void printReport(QWidget *parent, const ReportData &data)
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setFullPage(true);
    printer.setPageOrientation(QPageLayout::Portrait);
    printer.setDocName(QStringLiteral("Glucose report ") + periodText(data));
    QPrintDialog dialog(&printer, parent);
    dialog.setWindowTitle(QStringLiteral("Print report"));
    if (dialog.exec() != QDialog::Accepted)
        return;
    if (render(printer, data) == 0)
        UserMessage::error(parent, QStringLiteral("Report"),
                           QStringLiteral("The report could not be printed."));
}

} // namespace Report

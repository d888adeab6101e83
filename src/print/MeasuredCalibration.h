#pragma once

#include "print/PrintDevice.h"

#include <QDateTime>
#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <QTransform>
#include <QVector>

#include <optional>

namespace core {
class AppContext;
class IniFile;
} // namespace core

namespace print {

class PlanCanvas;

// A printer's own displacement of what it prints (a worn tractor, a new printer: everything
// shifted, stretched, turned or sheared), measured on paper and cancelled at print time.
//
// The calibration page ("打印校准页") is laid out on the paper a template prints on: nine numbered
// crosses, three rows of three from about 10 mm inside the edges, each arm with a millimetre
// scale. It always goes out without any correction, so what is measured is the printer itself and
// the correction is simply the inverse of the fit: calibrating again replaces, never compounds.
//
// Two ways of measuring, one fit: the clerk's ruler (millimetres from the paper's left and top
// edges; kept per printer, paper source and direction) or a scan of the page printed on the form
// (positions on the form's own image; kept per printer and template, and used for that template
// in place of the ruler's). solve() fits the full affine model (offset, two scales, turn, shear)
// to four or more crosses by least squares and refuses a reading the others contradict.
class MeasuredCalibration {
public:
    static constexpr double kArm = 6;     // mm from a cross's centre to the end of each arm
    static constexpr double kPen = 0.3;   // mm
    static constexpr double kInset = 10;  // mm from the paper's edges to the outer crosses
    static constexpr double kTick = 0.5;  // mm each side of an arm, at every millimetre
    static constexpr double kLongTick = 1; // mm each side, at 5 mm
    static constexpr int kCrossCount = 9;

    // One calibration page: what it is for and where its marks are, in millimetres from the
    // paper's left and top edges, in the direction it prints.
    struct Page {
        QString printer;
        int source = -1;
        PrintDevice::Orientation orientation = PrintDevice::Orientation::Portrait;
        int templateId = 0;
        QString templateName;
        QSizeF paperMm;
        QRectF printableMm;
        QVector<QPointF> crosses; // numbered from 1 in this order: rows from the top, left to right
        QRectF textMm;            // the page's own lines, clear of every cross
        // Six hexadecimal digits of what the page is for and where its crosses are: the page
        // prints it, the window and the command line show it.
        QString code() const;
    };
    // The page for a paper and its printable area: crosses pulled inside the printable area
    // where the edges would cut them.
    static Page layout(const QSizeF& paperMm, const QRectF& printableMm);
    // The page the device would print now (its printer, paper and direction as set up).
    static Page layout(const PrintDevice& device, int templateId, const QString& templateName);

    struct Fit {
        QString error;    // the reason for refusing, empty when accepted
        int refused = -1; // the cross (from 0) a refusal names, -1 when none
        // What the printer did to the page as it was sent: millimetres right and down, scale
        // factors, the turn of the page's x axis and how far its y axis leans off square, in
        // degrees (clockwise positive on paper).
        double offsetX = 0;
        double offsetY = 0;
        double scaleX = 1;
        double scaleY = 1;
        double turnDegrees = 0;
        double shearDegrees = 0;
        QVector<double> residuals;  // mm from the fit, per cross; NaN where not read
        QVector<double> deviations; // mm from where the other crosses put it; NaN where unknown
        QTransform printed;         // nominal paper position -> where it landed
        QTransform correction;      // the inverse: what to send so that it lands where meant
        int used = 0;               // crosses read
        bool ok() const { return error.isEmpty(); }
    };

    // The fit of where the crosses landed (nullopt: not read) to where they were sent.
    static Fit solve(const QVector<QPointF>& nominal, const QVector<std::optional<QPointF>>& measured);

    // The transform of device pixels (origin at the printable area) that a paper correction
    // means on this canvas.
    static QTransform devicePixels(const QTransform& paperMm, const PlanCanvas& canvas);

    // Draws the page on the open page of the canvas, at true paper positions.
    static void drawPage(PlanCanvas& canvas, const Page& page, const QDateTime& printedAt);

    // Prints the calibration page of a template on the app's current printer, set up as a bill of
    // the template prints, without any correction. The page printed, or nullopt with the reason
    // given through app.dialogs().
    static std::optional<Page> printPage(core::AppContext& app, PrintDevice& device, int templateId);

    // Where a correction comes from and since when.
    enum class Path { None, Ruler, Scan };
    struct Stored {
        Path path = Path::None;
        QTransform correction;
        QDateTime since; // invalid when the entry does not say
    };

    explicit MeasuredCalibration(core::IniFile& ini) : m_ini(ini) {}

    // Ruler corrections: section "MeasuredCalibration", key <printer>.S<source>.<P|L>,
    // "m11 m12 m21 m22 dx dy"; the time it was measured under the key + ".Date". Scan corrections:
    // section "ScanCalibration", key <printer>.T<template id>. Identity when nothing (or nothing
    // readable) is stored.
    QTransform recall(const QString& printer, int source, PrintDevice::Orientation orientation) const;
    QTransform recallScan(const QString& printer, int templateId) const;
    // Written at once; the identity removes the entry.
    void remember(const QString& printer, int source, PrintDevice::Orientation orientation,
                  const QTransform& correction);
    void rememberScan(const QString& printer, int templateId, const QTransform& correction);
    // The correction a job of the template on that printer, paper source and direction uses: the
    // scan's for the template when there is one, else the ruler's, never both.
    Stored inForce(const QString& printer, int source, PrintDevice::Orientation orientation,
                   int templateId) const;
    // Sets on the device the correction in force for its printer, paper, direction and template.
    void applyTo(PrintDevice& device, int templateId) const;

    static const QString kSection;
    static const QString kScanSection;

private:
    Stored read(const QString& section, const QString& key, Path path) const;
    void write(const QString& section, const QString& key, const QTransform& correction);

    core::IniFile& m_ini;
};

} // namespace print

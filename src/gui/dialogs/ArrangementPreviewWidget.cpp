#include "dialogs/ArrangementPreviewWidget.h"

#include "paint/ArrangementPreviewPainter.h"

#include <QEvent>
#include <QFontMetrics>
#include <QPainter>

#include <exception>

CArrangementPreviewWidget::CArrangementPreviewWidget(const CModuleArrangementForm& form,
                                                     QSize minimumDialogUnits, QWidget* parent)
    : QWidget(parent), m_form(form), m_minimumUnits(minimumDialogUnits) {
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

QSize CArrangementPreviewWidget::FromDialogUnits(QSize units) const {
    const QFontMetrics metrics(font());
    const int average = metrics.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    return {units.width() * average / (52 * 4), units.height() * metrics.height() / 8};
}

QSize CArrangementPreviewWidget::sizeHint() const {
    return FromDialogUnits(m_minimumUnits);
}

QSize CArrangementPreviewWidget::minimumSizeHint() const {
    return FromDialogUnits(m_minimumUnits);
}

void CArrangementPreviewWidget::changeEvent(QEvent* event) {
    if (event->type() == QEvent::FontChange)
        updateGeometry();
    QWidget::changeEvent(event);
}

void CArrangementPreviewWidget::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    try {
        ArrangementPreviewPainter::Paint(painter, m_form, width(), height(), devicePixelRatioF());
    } catch (const std::exception&) {
        // A form keeps its lists consistent after every action; should one ever not be, the
        // preview stays blank instead of ending the program from a paint.
        painter.fillRect(rect(), Qt::white);
    }
}

#include "canvas/LabelDragger.h"

#include "canvas/SizeLabel.h"

#include <QPainter>
#include <QWidget>

namespace kiramo {

namespace {

// The drag feedback: a dotted outline of the label's size, drawn so that it shows on light and
// dark pictures alike.
class DragOutline : public QWidget {
public:
    explicit DragOutline(QWidget* parent)
        : QWidget(parent) {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setAttribute(Qt::WA_TranslucentBackground);
        hide();
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        const QRect r = rect().adjusted(0, 0, -1, -1);
        painter.setPen(QPen(Qt::white, 1));
        painter.drawRect(r);
        painter.setPen(QPen(Qt::black, 1, Qt::DotLine));
        painter.drawRect(r);
    }
};

}  // namespace

LabelDragger::LabelDragger(QWidget* host, SizeLabel* label)
    : m_host(host)
    , m_label(label)
    , m_outline(new DragOutline(host)) {
}

LabelDragger::~LabelDragger() = default;

void LabelDragger::begin(QPointF grab) {
    m_grab = grab;
    m_active = true;
    m_outline->setGeometry(QRect(m_label->mapTo(m_host, QPoint(0, 0)), m_label->size()));
    m_label->hide();
    m_outline->show();
    m_outline->raise();
    m_host->grabMouse();
}

void LabelDragger::moveTo(QPointF hostPos) {
    if (m_active) {
        m_outline->move((hostPos - m_grab).toPoint());
    }
}

void LabelDragger::finish() {
    if (!m_active) {
        return;
    }
    m_active = false;
    m_outline->hide();
    m_host->releaseMouse();
}

}  // namespace kiramo

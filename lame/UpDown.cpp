#include "lame/UpDown.h"

#include "settings/NumberText.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

UpDown::UpDown(QLineEdit* buddy, double minimum, double maximum, double step, QWidget* parent)
    : QWidget(parent)
    , m_buddy(buddy)
    , m_minimum(minimum)
    , m_maximum(maximum)
    , m_step(step)
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    const auto arrow = [this, layout](Qt::ArrowType type, int direction) {
        auto* button = new QToolButton(this);
        button->setArrowType(type);
        button->setAutoRepeat(true);
        button->setFocusPolicy(Qt::NoFocus);
        button->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Ignored);
        button->setFixedWidth(16);
        connect(button, &QToolButton::clicked, this, [this, direction] { stepBy(direction); });
        layout->addWidget(button);
        return button;
    };
    m_up = arrow(Qt::UpArrow, 1);
    m_down = arrow(Qt::DownArrow, -1);
    // As tall as the box: the two arrows share its height.
    setFixedHeight(m_buddy->sizeHint().height());
    m_buddy->installEventFilter(this);
}

double UpDown::value() const
{
    return std::clamp(ReadBoxNumber(m_buddy->text()), m_minimum, m_maximum);
}

void UpDown::stepBy(int steps)
{
    // A typed value between two steps counts as the nearest step, so that steps stay round.
    const double from = std::round(value() / m_step);
    const double next = std::clamp((from + steps) * m_step, m_minimum, m_maximum);
    const QString text = QString::number(next, 'G', 15);
    if (text == m_buddy->text())
        return;
    m_buddy->setText(text);
    Q_EMIT changed();
}

bool UpDown::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != m_buddy || !isEnabled())
        return QWidget::eventFilter(watched, event);
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        const int steps = key == Qt::Key_Up         ? 1
                          : key == Qt::Key_Down     ? -1
                          : key == Qt::Key_PageUp   ? 10
                          : key == Qt::Key_PageDown ? -10
                                                    : 0;
        if (steps != 0) {
            stepBy(steps);
            return true;
        }
    } else if (event->type() == QEvent::Wheel) {
        wheelEvent(static_cast<QWheelEvent*>(event));
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void UpDown::wheelEvent(QWheelEvent* event)
{
    m_wheelAngle += event->angleDelta().y();
    const int steps = m_wheelAngle / 120;
    m_wheelAngle -= steps * 120;
    if (steps != 0)
        stepBy(steps);
    event->accept();
}

#pragma once

#include <QWidget>

class QLineEdit;
class QToolButton;

// Two arrow buttons bound to a number box: an arrow click (or Up, Down, Page Up, Page Down and
// the wheel over the box) steps the box's number within the range, to the nearest multiple of
// the step, and writes it back. The box's text is the value, so a number typed or loaded into
// the box is where the next step starts from.
class UpDown final : public QWidget {
    Q_OBJECT

public:
    UpDown(QLineEdit* buddy, double minimum, double maximum, double step, QWidget* parent);

    // The box's number brought into the range.
    double value() const;
    // Steps as a user does: writes the box and reports `changed` when its text changed.
    void stepBy(int steps);

    QToolButton* upButton() const { return m_up; }
    QToolButton* downButton() const { return m_down; }

Q_SIGNALS:
    // A user step wrote a new number into the box. Setting the box's text from code does not
    // report anything.
    void changed();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    QLineEdit* m_buddy;
    QToolButton* m_up;
    QToolButton* m_down;
    double m_minimum;
    double m_maximum;
    double m_step;
    int m_wheelAngle = 0; // the part of a wheel turn not stepped yet (touchpads send small ones)
};

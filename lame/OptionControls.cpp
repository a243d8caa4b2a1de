#include "lame/OptionControls.h"

#include "lame/LameOptions.h"
#include "lame/frmOptionLame.h"
#include "settings/NumberText.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QSlider>

#include <algorithm>

QString ControlValue(const frmOptionLame& window, const char* control, ControlKind kind)
{
    const QString name = QLatin1String(control);
    switch (kind) {
    case ControlKind::Text:
        if (const auto* box = window.findChild<QLineEdit*>(name))
            return box->text();
        break;
    case ControlKind::Rate:
        if (const auto* slider = window.findChild<QSlider*>(name))
            return QString::number(IndexToKbps(slider->value()));
        break;
    case ControlKind::Position:
        if (const auto* slider = window.findChild<QSlider*>(name))
            return QString::number(slider->value());
        break;
    case ControlKind::List:
        if (const auto* list = window.findChild<QComboBox*>(name))
            return QString::number(list->currentIndex());
        break;
    case ControlKind::Box:
        if (const auto* box = window.findChild<QCheckBox*>(name))
            return QString::number(frmOptionLame::BoxState(box));
        break;
    }
    return {};
}

bool ApplyControlValue(frmOptionLame& window, const char* control, ControlKind kind,
                       const QString& text)
{
    const QString name = QLatin1String(control);
    if (kind == ControlKind::Text) {
        auto* box = window.findChild<QLineEdit*>(name);
        if (box)
            box->setText(text);
        return box != nullptr;
    }
    const std::optional<qint32> number = ToWholeNumber(text);
    if (!number)
        return false;
    switch (kind) {
    case ControlKind::Rate:
        if (auto* slider = window.findChild<QSlider*>(name)) {
            slider->setValue(KbpsToIndex(*number));
            return true;
        }
        break;
    case ControlKind::Position:
        if (auto* slider = window.findChild<QSlider*>(name)) {
            slider->setValue(std::clamp(*number, slider->minimum(), slider->maximum()));
            return true;
        }
        break;
    case ControlKind::List:
        if (auto* list = window.findChild<QComboBox*>(name);
            list && *number >= 0 && *number < list->count()) {
            list->setCurrentIndex(*number);
            return true;
        }
        break;
    case ControlKind::Box:
        if (auto* box = window.findChild<QCheckBox*>(name))
            return frmOptionLame::SetBoxState(box, *number);
        break;
    case ControlKind::Text:
        break;
    }
    return false;
}

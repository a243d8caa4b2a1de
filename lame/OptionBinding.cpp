// The LAME options window's bindings: each row of the option table to its control, both ways,
// with the enabled-state rules the rows carry and the preview.
#include "lame/frmOptionLame.h"

#include "lame/LameOptions.h"
#include "lame/OptionPages.h"
#include "lame/OptionTable.h"
#include "lame/UpDown.h"
#include "settings/NumberText.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTabBar>

#include <algorithm>

namespace {

QString kbpsText(qint32 kbps)
{
    return QString::number(kbps) + QStringLiteral(" kbps");
}

// The row's value in the options being edited, as a number.
double number(const KeptOptions& kept, const OptionRow& row)
{
    return std::visit(
        [&](auto member) -> double {
            using M = decltype(member);
            if constexpr (std::is_same_v<M, QString KeptOptions::*>)
                return 0;
            else if constexpr (std::is_same_v<M, bool KeptOptions::*>)
                return kept.*member ? 1 : 0;
            else
                return kept.options.*member;
        },
        row.field);
}

void setNumber(KeptOptions& kept, const OptionRow& row, double value)
{
    std::visit(
        [&](auto member) {
            using M = decltype(member);
            if constexpr (std::is_same_v<M, bool KeptOptions::*>)
                kept.*member = value == 1;
            else if constexpr (std::is_same_v<M, qint32 LameOptions::*>)
                kept.options.*member = qint32(value);
            else if constexpr (std::is_same_v<M, double LameOptions::*>)
                kept.options.*member = value;
        },
        row.field);
}

QStringList names(const char* list)
{
    return list ? QString::fromLatin1(list).split(QLatin1Char(' ')) : QStringList();
}

} // namespace

void frmOptionLame::connectRows()
{
    connect(m_ui->TabOption, &QTabBar::currentChanged, this,
            [this](int tab) { m_ui->showPage(tab); });
    for (const OptionRow& row : OptionTable())
        connectRow(row);
    connect(m_ui->optMemeDossier, &QRadioButton::toggled, this, [this](bool selected) {
        if (!selected)
            return;
        m_ui->txtDossierSortie->clear();
        m_ui->txtDossierSortie->setEnabled(false);
        m_ui->cmdDossier->setEnabled(false);
    });
    connect(m_ui->optChoixDossier, &QRadioButton::toggled, this, [this](bool selected) {
        if (!selected)
            return;
        m_ui->txtDossierSortie->setEnabled(true);
        m_ui->cmdDossier->setEnabled(true);
    });
}

void frmOptionLame::connectRow(const OptionRow& row)
{
    const QString name = QLatin1String(row.control);
    const OptionRow* r = &row;
    switch (row.kind) {
    case OptionKind::Text:
        if (auto* box = findChild<QLineEdit*>(name); box && !box->isReadOnly())
            connect(box, &QLineEdit::textChanged, this, [this, r](const QString& text) {
                if (const auto* member = std::get_if<QString KeptOptions::*>(&r->field))
                    m_edit.** member = text;
            });
        break;
    case OptionKind::Rate:
    case OptionKind::Position:
        // Every user action (drag, click on the groove, keys, wheel), and only those.
        if (auto* slider = findChild<QSlider*>(name))
            connect(slider, &QAbstractSlider::actionTriggered, this, [this, r, slider] {
                // The action has moved the position already; the value follows right after.
                const int position = slider->sliderPosition();
                setNumber(m_edit, *r,
                          r->kind == OptionKind::Rate ? IndexToKbps(position) : position);
                showRate(*r);
                refreshPreview();
            });
        break;
    case OptionKind::List:
        if (auto* list = findChild<QComboBox*>(name))
            connect(list, &QComboBox::currentIndexChanged, this, [this, r](int index) {
                setNumber(m_edit, *r, index);
                refreshPreview();
            });
        break;
    case OptionKind::Box:
        if (auto* box = findChild<QCheckBox*>(name))
            connect(box, &QCheckBox::stateChanged, this, [this, r, box] {
                const int state = BoxState(box);
                if (state != 2)
                    box->setTristate(false); // a user click never makes a box greyed
                setNumber(m_edit, *r, state);
                applyRule(*r, state);
                refreshPreview();
            });
        break;
    case OptionKind::Quality:
    case OptionKind::Frequency:
        // Typed or stepped by the arrows.
        if (auto* box = findChild<QLineEdit*>(name))
            connect(box, &QLineEdit::textChanged, this, [this, r](const QString& text) {
                setNumber(m_edit, *r,
                          r->kind == OptionKind::Quality ? ReadBoxWholeNumber(text)
                                                         : ReadBoxNumber(text));
                refreshPreview();
            });
        break;
    }
}

void frmOptionLame::applyRule(const OptionRow& row, int state)
{
    // A greyed box, which only a load can give, changes no enabled state.
    if (state == 2)
        return;
    for (const QString& name : names(state == 1 ? row.enables : row.disables)) {
        if (auto* control = findChild<QWidget*>(name))
            control->setEnabled(state == 1);
    }
}

void frmOptionLame::showRate(const OptionRow& row)
{
    if (auto* label = findChild<QLabel*>(QLatin1String(row.label)))
        label->setText(kbpsText(qint32(number(m_edit, row))));
}

void frmOptionLame::showOptions(const KeptOptions& options)
{
    m_edit = options;
    const auto rows = OptionTable();
    // A rate the sliders cannot show is shown, and used, as the nearest one they can.
    for (const OptionRow& row : rows) {
        const double value = number(m_edit, row);
        const double shown = row.kind == OptionKind::Rate ? NearestKbps(qint32(value))
                             : row.kind == OptionKind::Position
                                 ? std::clamp(qint32(value), kAbrMinimum, kAbrMaximum)
                                 : value;
        if (shown != value) {
            setNumber(m_edit, row, shown);
            m_edit.switches.clear();
        }
    }
    // Every governed control starts as a cleared box leaves it; the boxes' rules then follow
    // in table order, as they would had the user ticked them one by one.
    for (const OptionRow& row : rows) {
        for (const QString& name : names(row.disables)) {
            if (auto* control = findChild<QWidget*>(name))
                control->setEnabled(false);
        }
    }
    for (const OptionRow& row : rows) {
        QWidget* control = findChild<QWidget*>(QLatin1String(row.control));
        if (!control)
            continue;
        const QSignalBlocker quiet(control);
        const double value = number(m_edit, row);
        switch (row.kind) {
        case OptionKind::Text:
            if (const auto* member = std::get_if<QString KeptOptions::*>(&row.field))
                static_cast<QLineEdit*>(control)->setText(m_edit.**member);
            break;
        case OptionKind::Rate:
            static_cast<QSlider*>(control)->setValue(KbpsToIndex(qint32(value)));
            showRate(row);
            break;
        case OptionKind::Position:
            static_cast<QSlider*>(control)->setValue(qint32(value));
            showRate(row);
            break;
        case OptionKind::List:
            static_cast<QComboBox*>(control)->setCurrentIndex(qint32(value));
            break;
        case OptionKind::Box: {
            auto* box = static_cast<QCheckBox*>(control);
            box->setTristate(false);
            SetBoxState(box, qint32(value));
            applyRule(row, qint32(value));
            break;
        }
        case OptionKind::Quality:
            static_cast<QLineEdit*>(control)->setText(QString::number(qint32(value)));
            break;
        case OptionKind::Frequency:
            static_cast<QLineEdit*>(control)->setText(FormatFrequency(value));
            break;
        }
    }
    const bool chosen = !m_edit.outputFolder.isEmpty();
    (chosen ? m_ui->optChoixDossier : m_ui->optMemeDossier)->setChecked(true);
    m_ui->txtDossierSortie->setText(m_edit.outputFolder);
    m_ui->txtDossierSortie->setEnabled(chosen);
    m_ui->cmdDossier->setEnabled(chosen);
    // Switches typed into the store by hand show until an option changes.
    if (m_edit.switches.isEmpty())
        refreshPreview();
    else
        showNotes();
}

void frmOptionLame::refreshPreview()
{
    m_edit.switches = BuildLameCommand(m_edit.options) + QLatin1Char(' ');
    m_ui->txtOption->setText(m_edit.switches);
    showNotes();
}

int frmOptionLame::BoxState(const QCheckBox* box)
{
    switch (box->checkState()) {
    case Qt::Checked:
        return 1;
    case Qt::PartiallyChecked:
        return 2;
    default:
        return 0;
    }
}

bool frmOptionLame::SetBoxState(QCheckBox* box, int state)
{
    switch (state) {
    case 0:
        box->setCheckState(Qt::Unchecked);
        return true;
    case 1:
        box->setCheckState(Qt::Checked);
        return true;
    case 2:
        box->setTristate(true);
        box->setCheckState(Qt::PartiallyChecked);
        return true;
    default:
        return false;
    }
}

#include "settings/Captions.h"

#include "settings/Language.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QHash>
#include <QLabel>
#include <QMenu>
#include <QSet>
#include <QTabBar>
#include <QTabWidget>
#include <QWidget>

namespace {

QString caption(const QObject* control, const CaptionEntry& entry)
{
    switch (entry.kind) {
    case CaptionKind::Caption:
        if (const auto* menu = qobject_cast<const QMenu*>(control))
            return menu->title();
        if (const auto* action = qobject_cast<const QAction*>(control))
            return action->text();
        if (const auto* group = qobject_cast<const QGroupBox*>(control))
            return group->title();
        if (const auto* button = qobject_cast<const QAbstractButton*>(control))
            return button->text();
        if (const auto* label = qobject_cast<const QLabel*>(control))
            return label->text();
        break;
    case CaptionKind::ColumnHeader:
        if (const auto* view = qobject_cast<const QAbstractItemView*>(control);
            view && view->model())
            return view->model()->headerData(entry.index, Qt::Horizontal).toString();
        break;
    case CaptionKind::ListEntry:
        if (const auto* list = qobject_cast<const QComboBox*>(control);
            list && entry.index < list->count())
            return list->itemText(entry.index);
        break;
    case CaptionKind::Tab:
        if (const auto* tabs = qobject_cast<const QTabWidget*>(control);
            tabs && entry.index < tabs->count())
            return tabs->tabText(entry.index);
        if (const auto* bar = qobject_cast<const QTabBar*>(control);
            bar && entry.index < bar->count())
            return bar->tabText(entry.index);
        break;
    }
    return {};
}

// The caption a control was built with, kept on the control the first time a language reaches
// it: what a language file that lacks the key shows instead of an empty caption.
QString builtInCaption(QObject* control, const CaptionEntry& entry)
{
    const QByteArray property = QByteArrayLiteral("quenzalBuiltIn_") + entry.section + '_' +
                                entry.key + '_' + QByteArray::number(entry.index);
    const QVariant kept = control->property(property.constData());
    if (kept.isValid())
        return kept.toString();
    const QString text = caption(control, entry);
    control->setProperty(property.constData(), text);
    return text;
}

void setCaption(QObject* control, const CaptionEntry& entry, const QString& text)
{
    switch (entry.kind) {
    case CaptionKind::Caption:
        if (auto* menu = qobject_cast<QMenu*>(control))
            menu->setTitle(text);
        else if (auto* action = qobject_cast<QAction*>(control))
            action->setText(text);
        else if (auto* group = qobject_cast<QGroupBox*>(control))
            group->setTitle(text);
        else if (auto* button = qobject_cast<QAbstractButton*>(control))
            button->setText(text);
        else if (auto* label = qobject_cast<QLabel*>(control)) {
            // A language text is shown as it is written, never as markup (an <img> in it
            // would load a local file).
            label->setTextFormat(Qt::PlainText);
            label->setText(text);
        }
        break;
    case CaptionKind::ColumnHeader:
        if (auto* view = qobject_cast<QAbstractItemView*>(control); view && view->model())
            view->model()->setHeaderData(entry.index, Qt::Horizontal, text);
        break;
    case CaptionKind::ListEntry:
        if (auto* list = qobject_cast<QComboBox*>(control); list && entry.index < list->count())
            list->setItemText(entry.index, text);
        break;
    case CaptionKind::Tab:
        if (auto* tabs = qobject_cast<QTabWidget*>(control); tabs && entry.index < tabs->count())
            tabs->setTabText(entry.index, text);
        else if (auto* bar = qobject_cast<QTabBar*>(control); bar && entry.index < bar->count())
            bar->setTabText(entry.index, text);
        break;
    }
}

} // namespace

void ApplyCaptions(QWidget* window, const Language& language, std::span<const CaptionEntry> table)
{
    for (const CaptionEntry& entry : table) {
        // Control names are UTF-8 source text, and some carry accents.
        const QString name = QString::fromUtf8(entry.control);
        QObject* control =
            window->objectName() == name ? window : window->findChild<QObject*>(name);
        if (!control)
            continue;
        const QString builtIn = builtInCaption(control, entry);
        const QString text =
            language.GetLangText(QLatin1String(entry.section), QLatin1String(entry.key), 255);
        setCaption(control, entry, text.isEmpty() ? builtIn : text);
    }
}

void ApplyFontFace(QWidget* window, std::span<const char* const> controls, const QString& face)
{
    const QString family = face.isEmpty() ? QApplication::font().family() : face;
    QSet<QString> listed;
    for (const char* name : controls)
        listed.insert(QString::fromUtf8(name));
    for (const QString& name : listed) {
        auto* control = window->findChild<QWidget*>(name);
        if (!control)
            continue;
        QFont font = control->font();
        font.setFamily(family);
        control->setFont(font);
        // A frame hands its font down to the controls inside it; those that are not listed
        // keep the default face.
        if (!qobject_cast<QGroupBox*>(control))
            continue;
        for (QWidget* inner : control->findChildren<QWidget*>()) {
            if (inner->objectName().isEmpty() || listed.contains(inner->objectName()))
                continue;
            QFont own = inner->font();
            own.setFamily(QApplication::font(inner).family());
            inner->setFont(own);
        }
    }
}

namespace {

QString plain(QString text)
{
    text.remove(QLatin1Char('&'));
    return text.trimmed();
}

bool hasOwnText(const QWidget* control)
{
    const auto* button = qobject_cast<const QAbstractButton*>(control);
    if (!button)
        return false;
    const QString text = plain(button->text());
    return !text.isEmpty() && text != QLatin1String("...");
}

} // namespace

void NameControls(QWidget* window)
{
    const char* const kNamed = "quenzalNamed"; // names set here, which follow the captions
    QHash<const QWidget*, QString> labelled;
    for (const QLabel* label : window->findChildren<QLabel*>()) {
        if (label->buddy() && !plain(label->text()).isEmpty())
            labelled.insert(label->buddy(), plain(label->text()));
    }
    for (QWidget* control : window->findChildren<QWidget*>()) {
        if (control->window() != window || control->focusPolicy() == Qt::NoFocus ||
            hasOwnText(control) ||
            (!control->accessibleName().isEmpty() && !control->property(kNamed).toBool()))
            continue;
        QString name = labelled.value(control);
        for (QWidget* up = control->parentWidget(); name.isEmpty() && up && up != window;
             up = up->parentWidget()) {
            if (const auto* frame = qobject_cast<QGroupBox*>(up))
                name = plain(frame->title());
        }
        if (name.isEmpty())
            name = control->toolTip();
        if (!name.isEmpty()) {
            control->setAccessibleName(name);
            control->setProperty(kNamed, true);
        }
    }
}

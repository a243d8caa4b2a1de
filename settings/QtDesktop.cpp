#include "settings/QtDesktop.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QUrl>

namespace {

QWidget* widgetOf(QObject* owner)
{
    return qobject_cast<QWidget*>(owner);
}

} // namespace

void QtDesktop::showMessage(QObject* owner, const QString& text, const QString& title, Icon icon)
{
    const QMessageBox::Icon qtIcon = icon == Icon::Critical  ? QMessageBox::Critical
                                     : icon == Icon::Warning ? QMessageBox::Warning
                                                             : QMessageBox::Information;
    QMessageBox box(qtIcon, title, text, QMessageBox::Ok, widgetOf(owner));
    // Texts come from language files and file names: never markup to render.
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

QString QtDesktop::toQtFilter(const QString& filter)
{
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString display = parts.at(i).trimmed();
        QString pattern = parts.at(i + 1).trimmed();
        pattern.replace(QLatin1Char(';'), QLatin1Char(' '));
        filters << (display.contains(QLatin1Char('(')) ? display : display + " (" + pattern + ')');
    }
    return filters.join(QStringLiteral(";;"));
}

QUrl QtDesktop::toUrl(const QString& target)
{
    const QUrl url(target, QUrl::TolerantMode);
    if (url.scheme().size() > 1) // "C:" style drive letters are no scheme
        return url;
    return QUrl::fromLocalFile(target);
}

QStringList QtDesktop::openFileNames(QObject* owner, const QString& title, const QString& folder,
                                     const QString& filter)
{
    return QFileDialog::getOpenFileNames(widgetOf(owner), title, folder, toQtFilter(filter));
}

QString QtDesktop::openFileName(QObject* owner, const QString& title, const QString& folder,
                                const QString& filter, const QStringList& places)
{
    QList<QUrl> extra;
    for (const QString& place : places) {
        if (QFileInfo(place).isDir())
            extra << QUrl::fromLocalFile(place);
    }
    if (extra.isEmpty())
        return QFileDialog::getOpenFileName(widgetOf(owner), title, folder, toQtFilter(filter));
    // A desktop's own dialog would not show the extra places: Qt's dialog does.
    QFileDialog dialog(widgetOf(owner), title, folder, toQtFilter(filter));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    QList<QUrl> sidebar = dialog.sidebarUrls();
    for (const QUrl& url : extra) {
        if (!sidebar.contains(url))
            sidebar << url;
    }
    dialog.setSidebarUrls(sidebar);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

QString QtDesktop::saveFileName(QObject* owner, const QString& title, const QString& folder,
                                const QString& filter)
{
    return QFileDialog::getSaveFileName(widgetOf(owner), title, folder, toQtFilter(filter));
}

bool QtDesktop::ask(QObject* owner, const QString& text, const QString& title)
{
    QMessageBox box(QMessageBox::Question, title, text, QMessageBox::Yes | QMessageBox::No,
                    widgetOf(owner));
    box.setDefaultButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

QString QtDesktop::pickFolder(QObject* owner, const QString& title)
{
    return QFileDialog::getExistingDirectory(widgetOf(owner), title);
}

bool QtDesktop::openDocument(const QString& target)
{
    return QDesktopServices::openUrl(toUrl(target));
}

#pragma once

#include <QString>
#include <QStringList>

class QObject;

// Everything that would stop a test behind a modal system dialog goes through this seam:
// message boxes, file dialogs, the folder picker and opening documents or links.
// The program uses QtDesktop; tests put in a stand-in that records what would be shown.
class Desktop {
public:
    enum class Icon { Critical, Warning, Information };

    virtual ~Desktop() = default;

    // A modal message box with one OK button.
    virtual void showMessage(QObject* owner, const QString& text, const QString& title,
                             Icon icon) = 0;

    // Filters come as "Display text|pattern|Display text|pattern".
    // Each returns full paths; an empty result means the user cancelled.
    virtual QStringList openFileNames(QObject* owner, const QString& title, const QString& folder,
                                      const QString& filter) = 0;
    // `places` are folders offered beside the dialog's usual places, one click away from
    // `folder` (a folder that does not exist is left out).
    virtual QString openFileName(QObject* owner, const QString& title, const QString& folder,
                                 const QString& filter, const QStringList& places) = 0;
    virtual QString saveFileName(QObject* owner, const QString& title, const QString& folder,
                                 const QString& filter) = 0;

    // A question with Yes and No buttons; true when the user answers Yes.
    virtual bool ask(QObject* owner, const QString& text, const QString& title) = 0;

    // A folder picker; an empty result means the user cancelled.
    virtual QString pickFolder(QObject* owner, const QString& title) = 0;

    // A document path, a folder, a web address or a mailto link; false when nothing opened it.
    virtual bool openDocument(const QString& target) = 0;
};

#pragma once

#include "conversion/ConversionScript.h"

#include <QObject>
#include <QPointer>
#include <QStringList>

#include <memory>

class ConversionRun;
class Desktop;
class Language;
class QWidget;
class frmConsole;
struct RunResult;

// One Encode or Decode run, from its checks to the end of the script, shown in the console
// window. The caller hands in a plain request and hears of the end through `ended`; nothing
// waits in the meantime.
class ConversionSession final : public QObject {
    Q_OBJECT

public:
    ConversionSession(Desktop& desktop, const Language& language, frmConsole& console,
                      QWidget* owner, QObject* parent = nullptr);
    ~ConversionSession() override;

    // The checks (the encoder is there, the list is not empty), the script and the default
    // sub-folders, then the start. False when the run was refused: the user was told why and
    // nothing was started or created. `scriptPath` is where Quenzal.sh goes.
    bool start(const ConversionRequest& request, const QString& scriptPath);
    void stop();
    bool isRunning() const;
    // Once ended: the listed files that were not converted (failed, skipped, stopped).
    const QStringList& notConverted() const { return m_notConverted; }

Q_SIGNALS:
    // The run is over; the console window shows how it ended (and stays open when it failed).
    void ended(bool succeeded);
    // What became of one listed file: `text` is its row's state, or why it was skipped.
    void fileOutcome(const QString& source, bool ok, const QString& text);

private:
    void refuse(const QString& key, const QString& detail = QString());
    void onFinished(const RunResult& result);
    QString text(const char* key) const;

    Desktop& m_desktop;
    const Language& m_language;
    frmConsole& m_console;
    QPointer<QWidget> m_owner;
    std::unique_ptr<ConversionRun> m_run;
    QStringList m_notConverted;
};

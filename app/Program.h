#pragma once

#include "app/ProgramValues.h"
#include "conversion/Desktop.h"
#include "settings/Captions.h"

#include <QPointer>
#include <QString>

#include <memory>
#include <span>
#include <vector>

class frmConsole;
class frmDossier;
class frmMain;
class QWidget;

// The one program: its program-wide values, the desktop seam and the windows. This is the only
// place that knows every window: it makes them, dresses them in the chosen language and font,
// and loops over them when either changes. Windows never reach back into it.
class Program {
public:
    explicit Program(const QString& programFolder);
    ~Program();

    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    ProgramValues& values() { return m_values; }
    const ProgramValues& values() const { return m_values; }

    Desktop& desktop() { return *m_desktop; }
    // Tests put in a stand-in that records messages and answers dialogs.
    void setDesktop(std::unique_ptr<Desktop> desktop);

    frmMain* mainWindow();
    // Made when it is shown and discarded once closed: every showing starts afresh.
    frmDossier* folderWindow();
    frmDossier* existingFolderWindow() const;
    void discardFolderWindow();
    // The console window of conversion runs.
    frmConsole* consoleWindow();

    // The output folder of conversion runs (empty: beside each source) and the choice to
    // delete sources after encoding.
    QString outputFolderText() const { return m_outputFolder; }
    void setOutputFolderText(const QString& folder) { m_outputFolder = folder; }
    bool deleteSourcesAfterEncoding() const { return m_deleteSources; }
    void setDeleteSourcesAfterEncoding(bool on) { m_deleteSources = on; }

    // A message or hint in the current language, with the built-in text as a fallback.
    QString text(const QString& section, const QString& key) const;

    // The chosen language (the path of its file without ".lng"; empty: the built-in captions)
    // set on every window that exists; windows made later get it when they are made.
    void setLanguage(const QString& pathWithoutLng);
    void ApplyLanguage();
    // The chosen font face (empty: the default face), likewise.
    void setFontName(const QString& face);
    void ApplyFont();

private:
    struct Dressing {
        QWidget* window;
        std::span<const CaptionEntry> captions;
        std::span<const char* const> fontControls;
    };
    // The windows that exist, each with its caption table and the controls that follow the
    // font choice.
    std::vector<Dressing> windows() const;
    // Sets the captions and the font of one window just made: the same tables as the loops.
    void dress(QWidget* window) const;

    ProgramValues m_values;
    std::unique_ptr<Desktop> m_desktop;
    QString m_outputFolder;
    bool m_deleteSources = false;
    QPointer<frmMain> m_main;
    QPointer<frmDossier> m_dossier;
    QPointer<frmConsole> m_console;
};

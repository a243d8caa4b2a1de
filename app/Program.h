#pragma once

#include "app/ProgramValues.h"
#include "conversion/Desktop.h"

#include <QPointer>
#include <QString>

#include <memory>

class frmMain;
class frmConsole;
class frmDossier;
class QObject;
class QWidget;

// The one program: its program-wide values, the desktop seam and the windows. Each window is
// created on first use, hidden, and kept until it is discarded or the program ends.
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
    frmDossier* folderWindow();
    // The folder search window if one exists now.
    frmDossier* existingFolderWindow() const;
    // Shows the folder search window modally, then discards it.
    void showFolderWindow();

    // The console window of conversion runs; "still open" means a run is not over yet.
    frmConsole* consoleWindow();
    bool isConsoleOpen() const;

    // The output folder of conversion runs (empty: beside each source) and the choice to
    // delete sources after encoding. Both belong to the LAME options.
    QString outputFolderText() const { return m_values.outputFolder; }
    void setOutputFolderText(const QString& folder) { m_values.outputFolder = folder; }
    bool deleteSourcesAfterEncoding() const { return m_values.deleteSources; }

    // A message or hint in the current language, with the built-in text as a fallback.
    QString text(const QString& section, const QString& key) const;
    // A modal message box with one OK button; the title is "Quenzal" unless one is given.
    void showMessage(QObject* owner, const QString& section, const QString& key, Desktop::Icon icon,
                     const QString& title = QString());

    // The font face used by the windows' text controls; empty keeps the windows' default.
    QString fontName() const { return m_fontName; }
    void setFontName(const QString& name) { m_fontName = name; }

    // Sets the chosen face on the controls that follow the font choice, in every window,
    // creating the windows (hidden) that do not exist yet.
    void ApplyFont();

    // Discards every window but the main one, in the order the program closes them.
    void unloadSecondaryWindows();

private:
    // A window made anew takes the chosen language and font at once.
    void dressNewWindow(QWidget* window);

    ProgramValues m_values;
    std::unique_ptr<Desktop> m_desktop;
    QString m_fontName;
    QPointer<frmMain> m_main;
    QPointer<frmDossier> m_dossier;
    QPointer<frmConsole> m_console;
};

#pragma once

#include "app/ProgramValues.h"
#include "conversion/ConversionScript.h"
#include "lame/KeptOptions.h"
#include "settings/Captions.h"
#include "settings/Desktop.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <memory>
#include <optional>
#include <span>

class QTranslator;
class QWidget;
class RunController;
class frmConsole;
class frmDossier;
class frmInfo;
class frmMain;
class frmOption;
class frmOptionLame;
class frmTag;

// The one program: its program-wide values, the desktop seam, the windows and the run's owner.
// It makes the windows and wires their signals; nothing calls back up into it. The language
// and the font reach every window through `appearanceChanged`, to which each window is
// connected, with its own caption table and font controls, when it is made.
class Program final : public QObject {
    Q_OBJECT

public:
    // `dataFolder` is the user's own folder for what the program folder cannot take (empty: the
    // desktop's usual place for Quenzal's data, ~/.local/share/Orvanel/Quenzal).
    explicit Program(const QString& programFolder, const QString& dataFolder = QString());
    ~Program() override;

    ProgramValues& values() { return m_values; }
    const ProgramValues& values() const { return m_values; }

    Desktop& desktop() { return *m_desktop; }
    // Tests put in a stand-in that records messages and answers dialogs.
    void setDesktop(std::unique_ptr<Desktop> desktop);

    // The start sequence: the LAME options, the stored switches, the font and the language.
    // Each step restores one stored value; a value that is missing or empty leaves its part
    // as it is, and the other steps still run.
    void Form_Load();

    // The stored language's file without its ".lng", as a start applies it; empty when none
    // is stored or its file is gone.
    static QString StoredLanguage(const QString& langueFolder);

    // Each window is made on first use, hidden, and dressed at once. The main, LAME options
    // and general options windows are kept; the others are discarded once closed, so every
    // showing starts afresh.
    frmMain* mainWindow();
    frmOptionLame* optionLameWindow();
    frmOption* optionWindow();
    frmDossier* folderWindow();
    frmTag* tagWindow();
    frmInfo* infoWindow();
    frmConsole* consoleWindow();
    frmDossier* existingFolderWindow() const;
    RunController& runs();

    // A run of the listed files with the kept options; `outputFolder` replaces the kept one for
    // this run only.
    void startRun(Direction direction, const std::optional<QString>& outputFolder = {});

    // What the LAME options window last kept: the one value runs read of the LAME options.
    const KeptOptions& keptOptions() const { return m_kept; }

    // The LAME options window shown modally; Annuler and Escape put back what was kept.
    void showOptionLameWindow();
    // The general options window shown modally; Annuler discards it and the controls go back
    // to the default font.
    void showOptionWindow();
    // The tag editor, on `file` when it is an MP3 (empty: where it opens by default).
    void showTagWindow(const QString& file);
    void showInfoWindow();
    void showFolderWindow();
    // Discards every window but the main one, in the order the program closes them.
    void unloadWindows();

    // A message or hint in the current language, with the built-in text as a fallback.
    QString text(const QString& section, const QString& key) const;

    // The chosen language (the path of its file without ".lng"; empty: the built-in captions)
    // set on every window that exists; windows made later get it when they are made. Qt's own
    // dialogs follow it.
    void setLanguage(const QString& pathWithoutLng);
    void ApplyLanguage();
    // The chosen font face (empty: the default face), likewise.
    void setFontName(const QString& face);
    void ApplyFont();
    // The manual in the current language.
    QString manualPath() const;

    enum class Change { Language, Font };

Q_SIGNALS:
    void appearanceChanged(Program::Change change);

private:
    // Dresses a window just made in the current language and font, and keeps it dressed.
    void dress(QWidget* window, std::span<const CaptionEntry> captions,
               std::span<const char* const> fontControls);
    void loadQtTranslation();

    ProgramValues m_values;
    KeptOptions m_kept;
    std::unique_ptr<Desktop> m_desktop;
    std::unique_ptr<QTranslator> m_qtTranslation;
    QPointer<frmMain> m_main;
    QPointer<frmInfo> m_info;
    QPointer<frmDossier> m_dossier;
    QPointer<frmOption> m_option;
    QPointer<frmTag> m_tag;
    QPointer<frmOptionLame> m_optionLame;
    QPointer<frmConsole> m_console;
    QPointer<RunController> m_runs;
};

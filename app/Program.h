#pragma once

#include "app/ProgramValues.h"
#include "settings/Captions.h"
#include "settings/Desktop.h"

#include <QPointer>
#include <QString>

#include <memory>
#include <span>
#include <vector>

class QTranslator;
class QWidget;
class frmConsole;
class frmDossier;
class frmInfo;
class frmMain;
class frmOption;
class frmOptionLame;
class frmTag;

// The one program: its program-wide values, the desktop seam and the windows. This is the only
// place that knows every window: it makes them, dresses them in the chosen language and font,
// loops over them when either changes, and passes results from one to another. Windows never
// reach back into it.
class Program {
public:
    // `dataFolder` is the user's own folder for what the program folder cannot take (empty: the
    // desktop's usual place for Quenzal's data, ~/.local/share/Orvanel/Quenzal).
    explicit Program(const QString& programFolder, const QString& dataFolder = QString());
    ~Program();

    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    ProgramValues& values() { return m_values; }
    const ProgramValues& values() const { return m_values; }

    Desktop& desktop() { return *m_desktop; }
    // Tests put in a stand-in that records messages and answers dialogs.
    void setDesktop(std::unique_ptr<Desktop> desktop);

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

    // The LAME options window shown modally; after Escape it is made afresh and loaded from
    // the settings store again, so that OK never stores the design values by accident.
    void showOptionLameWindow();
    // The general options window shown modally; Annuler discards it and the controls go back
    // to the default font.
    void showOptionWindow();
    // The tag editor, on `file` when it is an MP3 (empty: where it opens by default).
    void showTagWindow(const QString& file);
    void showInfoWindow();
    // Discards every window but the main one, in the order the program closes them.
    void unloadWindows();

    // Makes the LAME options window and loads the stored options into it and the record.
    void LoadLameOptions();

    // The output folder of conversion runs (empty: beside each source) and the choice to
    // delete sources after encoding, both kept by the LAME options window.
    QString outputFolderText();
    void setOutputFolderText(const QString& folder);
    bool deleteSourcesAfterEncoding();

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

private:
    struct Dressing {
        QWidget* window;
        std::span<const CaptionEntry> captions;
        std::span<const char* const> fontControls;
    };
    // The windows that exist, in the order the language reaches them, each with its caption
    // table and the controls that follow the font choice.
    std::vector<Dressing> windows() const;
    // Sets the captions and the font of one window just made: the same tables as the loops.
    void dress(QWidget* window) const;
    void applyConsoleTexts();
    void loadQtTranslation();

    ProgramValues m_values;
    std::unique_ptr<Desktop> m_desktop;
    std::unique_ptr<QTranslator> m_qtTranslation;
    QPointer<frmMain> m_main;
    QPointer<frmInfo> m_info;
    QPointer<frmDossier> m_dossier;
    QPointer<frmOption> m_option;
    QPointer<frmTag> m_tag;
    QPointer<frmOptionLame> m_optionLame;
    QPointer<frmConsole> m_console;
};

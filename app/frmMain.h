#pragma once

#include "conversion/ConversionScript.h"
#include "settings/Captions.h"

#include <QMainWindow>
#include <QStringList>

#include <array>
#include <span>

class Desktop;
class FileListModel;
class Language;
struct FileEntry;
class QAction;
class QLabel;
class QMenu;
class QStatusBar;
class QToolButton;
class QTreeView;
class ScreenSaverInhibitor;

// The start window: the file list, the five image buttons, the status bar and the menus that
// lead to every other window. The only window that is not modal. It shows the list and says
// by signals what the user asked for; the program answers.
class frmMain : public QMainWindow {
    Q_OBJECT

public:
    // `language` gives the hints and messages; `desktop` the dialogs and links.
    frmMain(Desktop& desktop, const Language& language);
    ~frmMain() override;

    // Adds one file given by its full path; files that are not admitted are ignored.
    // The caller refreshes the row count.
    void AddFile(const QString& path);
    // Adds dropped files and folders (a folder adds its admitted files one level deep).
    void DropPaths(const QStringList& paths);
    // Rows found elsewhere (the folder search window).
    void addRows(const QList<FileEntry>& rows);
    // The picture buttons' hints as their tooltips and accessible names, and the list's name,
    // in the current language.
    void showHints();
    // Files handed over from outside (a second start of Quenzal): the window comes to the
    // front and they are added as a drop adds them; during a run they wait until it is over,
    // so that the list never changes under a run.
    void receivePaths(const QStringList& paths);
    // Panel 1 of the status bar: the number of rows.
    void ShowRowCount();
    FileListModel& fileList() { return *m_files; }

    static const QString kHomePage;
    static const QString kMailAddress;

    static std::span<const CaptionEntry> captionTable();
    static std::span<const char* const> fontControls();

    // A conversion run or its end-of-run notice is under way: the window and its actions
    // are disabled meanwhile, and files handed over wait for the end.
    bool isBusy() const { return m_busy; }
    void setBusy(bool busy);

Q_SIGNALS:
    void runRequested(Direction direction);
    void folderSearchRequested();
    void tagRequested(const QString& file); // the selected MP3, or empty
    void optionLameRequested();
    void optionRequested();
    void infoRequested();
    void manualRequested();
    // Closing while busy: the owner of the run decides; the window stays meanwhile.
    void closeWhileBusyRequested();
    // The window is closing: Quenzal ends.
    void closing();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Menu and button handlers.
    void mnuAjoutFichier_Click();
    void mnuAjoutDossier_Click();
    void mnuSupprimer_Click();
    void mnuEffacer_Click();
    void mnuEncode_Click();
    void mnuDecode_Click();
    void mnuVeile_Click();
    void mnuDoc_Click();
    void mnuTag_Click();
    void mnuAccueil_Click();
    void mnuMail_Click();
    void cmdBouton_Click(int index);
    void cmdBouton_MouseMove(int index);

    // Controls, named as the language files, fonts and tests know them (tests reach them by
    // their object names).
    QTreeView* lstMain = nullptr;
    std::array<QToolButton*, 5> cmdBouton{};
    QLabel* lblBouton = nullptr;
    QStatusBar* stbMain = nullptr;
    QLabel* stbPanel1 = nullptr; // row count
    QLabel* stbPanel2 = nullptr; // button hints

    QMenu* mnuFichier = nullptr;
    QAction* mnuAjoutFichier = nullptr;
    QAction* mnuAjoutDossier = nullptr;
    QAction* mnuTag = nullptr;
    QAction* mnuEspFichier = nullptr;
    QAction* mnuQuitter = nullptr;
    QMenu* mnuEdition = nullptr;
    QAction* mnuSupprimer = nullptr;
    QAction* mnuEffacer = nullptr;
    QAction* mnuEspEdition = nullptr;
    QAction* mnuOptionLame = nullptr;
    QAction* mnuOption = nullptr;
    QMenu* mnuAction = nullptr;
    QAction* mnuEncode = nullptr;
    QAction* mnuEspAction = nullptr;
    QAction* mnuDecode = nullptr;
    QMenu* mnuAffichage = nullptr;
    QAction* mnuVeile = nullptr;
    QMenu* mnuAide = nullptr;
    QAction* mnuDoc = nullptr;
    QAction* mnuAccueil = nullptr;
    QAction* mnuMail = nullptr;
    QAction* mnuEspInfo = nullptr;
    QAction* mnuInfo = nullptr;

    void createMenus();
    void createControls();
    void Form_Resize();
    // False when nothing was selected.
    bool removeSelectedRows();
    // Shows a menu as a popup at `where`, with some of its items hidden for the time it is
    // open; they are shown again as soon as it closes.
    void popup(QMenu* menu, const QList<QAction*>& hidden, const QPoint& where);
    // The size column as wide as the largest size listed.
    void fitSizeColumn();

    QString text(const char* key) const;

    Desktop& m_desktop;
    const Language& m_language;
    FileListModel* m_files = nullptr;
    ScreenSaverInhibitor* m_screenSaver = nullptr;
    bool m_busy = false;
    QStringList m_waitingPaths; // handed over during a run
    QString m_lastFolder;       // where the Add files dialog last took files
    QStringList m_arriving;     // handed over, added a share at a time
    void addArriving();
};

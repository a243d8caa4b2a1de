#include "settings/ApplyLanguage.h"

#include "app/Program.h"
#include "app/frmDossier.h"
#include "app/frmMain.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QTabWidget>
#include <QWidget>

#include <span>

namespace {

enum class Kind { Caption, ColumnHeader, ListEntry, Tab };

struct CaptionEntry {
    const char* section;
    const char* key;
    const char* control;
    Kind kind = Kind::Caption;
    int index = 0; // column, list entry or tab
};

const CaptionEntry kMainCaptions[] = {
    {"Main", "mnuFile", "mnuFichier"},
    {"Main", "mnuAddFile", "mnuAjoutFichier"},
    {"Main", "mnuAddFolder", "mnuAjoutDossier"},
    {"Main", "mnuTagEdit", "mnuTag"},
    {"Main", "mnuExit", "mnuQuitter"},
    {"Main", "mnuEdit", "mnuEdition"},
    {"Main", "mnuDelete", "mnuSupprimer"},
    {"Main", "mnuClean", "mnuEffacer"},
    {"Main", "mnuOptLame", "mnuOptionLame"},
    {"Main", "mnuOption", "mnuOption"},
    {"Main", "mnuAction", "mnuAction"},
    {"Main", "mnuEncode", "mnuEncode"},
    {"Main", "mnuDecode", "mnuDecode"},
    {"Main", "mnuDisplay", "mnuAffichage"},
    {"Main", "mnuScreenSaver", "mnuVeile"},
    {"Main", "mnuHelp", "mnuAide"},
    {"Main", "mnuDoc", "mnuDoc"},
    {"Main", "mnuMail", "mnuMail"},
    {"Main", "mnuHomePage", "mnuAccueil"},
    {"Main", "mnuInfo", "mnuInfo"},
    {"Main", "Lstmain1", "lstMain", Kind::ColumnHeader, 0},
    {"Main", "Lstmain2", "lstMain", Kind::ColumnHeader, 1},
    {"Main", "Lstmain3", "lstMain", Kind::ColumnHeader, 2},
    {"Main", "Lstmain4", "lstMain", Kind::ColumnHeader, 3},
    {"Main", "Lstmain5", "lstMain", Kind::ColumnHeader, 4},
};

const CaptionEntry kFolderCaptions[] = {
    {"Folder", "frmSearch", "frmDos"},
    {"Folder", "frmExtension", "frmExt"},
    {"Folder", "cmdAddList", "cmdAjouter"},
};

void setCaption(QObject* control, const CaptionEntry& entry, const QString& text)
{
    switch (entry.kind) {
    case Kind::Caption:
        if (auto* menu = qobject_cast<QMenu*>(control))
            menu->setTitle(text);
        else if (auto* action = qobject_cast<QAction*>(control))
            action->setText(text);
        else if (auto* group = qobject_cast<QGroupBox*>(control))
            group->setTitle(text);
        else if (auto* button = qobject_cast<QAbstractButton*>(control))
            button->setText(text);
        else if (auto* label = qobject_cast<QLabel*>(control))
            label->setText(text);
        break;
    case Kind::ColumnHeader:
        if (auto* view = qobject_cast<QAbstractItemView*>(control); view && view->model())
            view->model()->setHeaderData(entry.index, Qt::Horizontal, text);
        break;
    case Kind::ListEntry:
        if (auto* list = qobject_cast<QComboBox*>(control); list && entry.index < list->count())
            list->setItemText(entry.index, text);
        break;
    case Kind::Tab:
        if (auto* tabs = qobject_cast<QTabWidget*>(control); tabs && entry.index < tabs->count())
            tabs->setTabText(entry.index, text);
        break;
    }
}

void applyCaptions(QObject* window, const Language& language, std::span<const CaptionEntry> entries)
{
    for (const CaptionEntry& entry : entries) {
        const QString name = QLatin1String(entry.control);
        QObject* control =
            window->objectName() == name ? window : window->findChild<QObject*>(name);
        if (control)
            setCaption(
                control, entry,
                language.GetLangText(QLatin1String(entry.section), QLatin1String(entry.key), 255));
    }
}

struct WindowCaptions {
    const char* window;
    std::span<const CaptionEntry> entries;
};

// The windows in the order their captions are set.
const WindowCaptions kWindows[] = {
    {"frmMain", kMainCaptions},
    {"frmDossier", kFolderCaptions},
};

} // namespace

void ApplyLanguageToWindow(QWidget* window, const Language& language)
{
    for (const WindowCaptions& w : kWindows) {
        if (window->objectName() == QLatin1String(w.window))
            applyCaptions(window, language, w.entries);
    }
}

void ApplyLanguage(Program& program)
{
    const Language& language = program.values().language;
    ApplyLanguageToWindow(program.mainWindow(), language);
    ApplyLanguageToWindow(program.folderWindow(), language);
}

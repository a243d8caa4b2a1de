#include "app/frmMain.h"

#include "app/FileListModel.h"
#include "app/MainLayout.h"
#include "app/ScreenSaver.h"
#include "settings/BuiltInTexts.h"
#include "settings/Desktop.h"
#include "settings/mdlFichier.h"
#include "settings/mdlMain.h"

#include <QAction>
#include <QCloseEvent>
#include <QDateTime>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPainter>
#include <QScreen>
#include <QScrollBar>
#include <QStatusBar>
#include <QSvgRenderer>
#include <QTimer>
#include <QToolButton>
#include <QTreeView>

#include <algorithm>
#include <utility>

const QString frmMain::kHomePage = QStringLiteral("https://www.orvanel.org/quenzal/");
const QString frmMain::kMailAddress = QStringLiteral("quenzal@orvanel.org");

namespace {

const CaptionEntry kCaptions[] = {
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
    {"Main", "Lstmain1", "lstMain", CaptionKind::ColumnHeader, 0},
    {"Main", "Lstmain2", "lstMain", CaptionKind::ColumnHeader, 1},
    {"Main", "Lstmain3", "lstMain", CaptionKind::ColumnHeader, 2},
    {"Main", "Lstmain4", "lstMain", CaptionKind::ColumnHeader, 3},
    {"Main", "Lstmain5", "lstMain", CaptionKind::ColumnHeader, 4},
};

const char* const kFontControls[] = {"lstMain", "stbMain"};

// Design positions of the image buttons, in twips.
constexpr std::array<int, 5> kButtonLeft = {1680, 2640, 3600, 5400, 6360};
constexpr int kButtonSize = 735;
constexpr int kWideButtonWidth = 1575;
constexpr int kButtonRowLeft = 1440;
constexpr int kButtonRowWidth = 5895;
constexpr int kButtonRowHeight = 975;
constexpr std::array<int, 5> kColumnWidths = {1440, 2000, 1000, 1200, 1440};
constexpr int kDesignClientWidth = 8475;
constexpr int kDesignClientHeight = 5010;

const char* const kButtonPictures[] = {":/icons/add.svg", ":/icons/remove.svg",
                                       ":/icons/convert.svg", ":/icons/info.svg",
                                       ":/icons/options.svg"};

QIcon svgIcon(const QString& resource, QSize size)
{
    QSvgRenderer renderer(resource);
    QIcon icon;
    for (const int scale : {1, 2}) {
        QPixmap pixmap(size * scale);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        renderer.render(&painter);
        painter.end();
        pixmap.setDevicePixelRatio(scale);
        icon.addPixmap(pixmap);
    }
    return icon;
}

QAction* addItem(QMenu* menu, const char* name, const QString& caption, Qt::Key key)
{
    QAction* action = menu->addAction(caption);
    action->setObjectName(QLatin1String(name));
    if (key != Qt::Key_unknown)
        action->setShortcut(QKeySequence(Qt::CTRL | key));
    return action;
}

QAction* addSeparator(QMenu* menu, const char* name)
{
    QAction* action = menu->addSeparator();
    action->setObjectName(QLatin1String(name));
    return action;
}

} // namespace

std::span<const CaptionEntry> frmMain::captionTable()
{
    return kCaptions;
}

std::span<const char* const> frmMain::fontControls()
{
    return kFontControls;
}

frmMain::frmMain(Desktop& desktop, const Language& language)
    : m_desktop(desktop)
    , m_language(language)
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("Quenzal"));
    m_screenSaver = new ScreenSaverInhibitor(this);
    createMenus();
    createControls();

    const double dpiX = logicalDpiX(), dpiY = logicalDpiY();
    setMinimumSize(TwipsToPixels(kMainMinWidth, dpiX),
                   TwipsToPixels(kMainMinHeight, dpiY) - TwipsToPixels(810, dpiY) +
                       menuBar()->sizeHint().height() + statusBar()->sizeHint().height());
    resize(TwipsToPixels(kDesignClientWidth, dpiX), TwipsToPixels(kDesignClientHeight, dpiY) +
                                                        menuBar()->sizeHint().height() +
                                                        statusBar()->sizeHint().height());
    if (const QScreen* s = screen())
        move(s->availableGeometry().center() - rect().center());
}

frmMain::~frmMain() = default;

void frmMain::createMenus()
{
    mnuFichier = menuBar()->addMenu(QStringLiteral("&Fichier"));
    mnuFichier->setObjectName(QStringLiteral("mnuFichier"));
    mnuAjoutFichier =
        addItem(mnuFichier, "mnuAjoutFichier", QStringLiteral("Ajout Fichier"), Qt::Key_A);
    mnuAjoutDossier =
        addItem(mnuFichier, "mnuAjoutDossier", QStringLiteral("Ajout Dossier"), Qt::Key_B);
    mnuTag = addItem(mnuFichier, "mnuTag", QStringLiteral("Editer Tag"), Qt::Key_T);
    mnuEspFichier = addSeparator(mnuFichier, "mnuEspFichier");
    mnuQuitter = addItem(mnuFichier, "mnuQuitter", QStringLiteral("Quitter"), Qt::Key_Q);

    mnuEdition = menuBar()->addMenu(QStringLiteral("&Edition"));
    mnuEdition->setObjectName(QStringLiteral("mnuEdition"));
    mnuSupprimer = addItem(mnuEdition, "mnuSupprimer", QStringLiteral("Supprimer"), Qt::Key_S);
    mnuEffacer = addItem(mnuEdition, "mnuEffacer", QStringLiteral("Remettre à Zéro"), Qt::Key_R);
    mnuEspEdition = addSeparator(mnuEdition, "mnuEspEdition");
    mnuOptionLame =
        addItem(mnuEdition, "mnuOptionLame", QStringLiteral("Option de LAME"), Qt::Key_L);
    mnuOption = addItem(mnuEdition, "mnuOption", QStringLiteral("Option"), Qt::Key_O);

    mnuAction = menuBar()->addMenu(QStringLiteral("&Action"));
    mnuAction->setObjectName(QStringLiteral("mnuAction"));
    mnuEncode = addItem(mnuAction, "mnuEncode", QStringLiteral("Encode"), Qt::Key_E);
    mnuEspAction = addSeparator(mnuAction, "mnuEspAction");
    mnuDecode = addItem(mnuAction, "mnuDecode", QStringLiteral("Decode"), Qt::Key_D);

    mnuAffichage = menuBar()->addMenu(QStringLiteral("&Affichage"));
    mnuAffichage->setObjectName(QStringLiteral("mnuAffichage"));
    mnuVeile =
        addItem(mnuAffichage, "mnuVeile", QStringLiteral("Interdire Mise en veille"), Qt::Key_N);
    mnuVeile->setCheckable(true);

    mnuAide = menuBar()->addMenu(QStringLiteral("&Aide"));
    mnuAide->setObjectName(QStringLiteral("mnuAide"));
    mnuDoc = addItem(mnuAide, "mnuDoc", QStringLiteral("Documentation"), Qt::Key_F);
    mnuAccueil = addItem(mnuAide, "mnuAccueil", QStringLiteral("Page d'accueil"), Qt::Key_P);
    mnuMail = addItem(mnuAide, "mnuMail", QStringLiteral("Mail"), Qt::Key_M);
    mnuEspInfo = addSeparator(mnuAide, "mnuEspInfo");
    mnuInfo = addItem(mnuAide, "mnuInfo", QStringLiteral("Info"), Qt::Key_I);

    connect(mnuAjoutFichier, &QAction::triggered, this, &frmMain::mnuAjoutFichier_Click);
    connect(mnuAjoutDossier, &QAction::triggered, this, &frmMain::mnuAjoutDossier_Click);
    connect(mnuQuitter, &QAction::triggered, this, &QWidget::close);
    connect(mnuSupprimer, &QAction::triggered, this, &frmMain::mnuSupprimer_Click);
    connect(mnuEffacer, &QAction::triggered, this, &frmMain::mnuEffacer_Click);
    connect(mnuEncode, &QAction::triggered, this, &frmMain::mnuEncode_Click);
    connect(mnuDecode, &QAction::triggered, this, &frmMain::mnuDecode_Click);
    connect(mnuVeile, &QAction::triggered, this, &frmMain::mnuVeile_Click);
    connect(mnuDoc, &QAction::triggered, this, &frmMain::mnuDoc_Click);
    connect(mnuTag, &QAction::triggered, this, &frmMain::mnuTag_Click);
    connect(mnuOptionLame, &QAction::triggered, this, &frmMain::optionLameRequested);
    connect(mnuOption, &QAction::triggered, this, &frmMain::optionRequested);
    connect(mnuInfo, &QAction::triggered, this, &frmMain::infoRequested);
    connect(mnuAccueil, &QAction::triggered, this, &frmMain::mnuAccueil_Click);
    connect(mnuMail, &QAction::triggered, this, &frmMain::mnuMail_Click);
}

void frmMain::createControls()
{
    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    setCentralWidget(client);

    m_files = new FileListModel(this);
    lstMain = new QTreeView(client);
    lstMain->setObjectName(QStringLiteral("lstMain"));
    lstMain->setModel(m_files);
    lstMain->setRootIsDecorated(false);
    lstMain->setItemsExpandable(false);
    lstMain->setUniformRowHeights(true); // keeps 100,000 rows fast
    lstMain->setSelectionMode(QAbstractItemView::ExtendedSelection);
    lstMain->setSelectionBehavior(QAbstractItemView::SelectRows);
    lstMain->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lstMain->setAcceptDrops(true);
    lstMain->viewport()->setAcceptDrops(true);
    lstMain->header()->setStretchLastSection(false);
    for (int c = 0; c < int(kColumnWidths.size()); ++c)
        lstMain->setColumnWidth(c, TwipsToPixels(kColumnWidths[c], logicalDpiX()));
    // A date and time in the user's locale is often wider than the designed column: widen it
    // so that the date is never cut.
    FileEntry sample;
    sample.modifiedMs = QDateTime(QDate(2026, 12, 28), QTime(23, 58, 59)).toMSecsSinceEpoch();
    const int dateWidth =
        lstMain->fontMetrics().horizontalAdvance(sample.text(FileEntry::DateColumn)) + 16;
    lstMain->setColumnWidth(FileEntry::DateColumn,
                            std::max(lstMain->columnWidth(FileEntry::DateColumn), dateWidth));
    lstMain->installEventFilter(this);
    lstMain->viewport()->installEventFilter(this);

    lblBouton = new QLabel(client);
    lblBouton->setObjectName(QStringLiteral("lblBouton"));
    lblBouton->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);

    for (int i = 0; i < 5; ++i) {
        auto* button = new QToolButton(client);
        button->setObjectName(QStringLiteral("cmdBouton_%1").arg(i));
        const QSize picture = i == 2 ? QSize(96, 38) : QSize(40, 38);
        button->setIcon(svgIcon(QLatin1String(kButtonPictures[i]), picture));
        button->setIconSize(picture);
        button->setAutoRaise(false);
        button->setMouseTracking(true);
        button->installEventFilter(this);
        connect(button, &QToolButton::clicked, this, [this, i] { cmdBouton_Click(i); });
        cmdBouton[i] = button;
    }

    stbMain = statusBar();
    stbMain->setObjectName(QStringLiteral("stbMain"));
    stbMain->setSizeGripEnabled(true);
    stbPanel1 = new QLabel(QStringLiteral("0"), stbMain);
    stbPanel1->setObjectName(QStringLiteral("stbPanel1"));
    stbPanel1->setMinimumWidth(TwipsToPixels(1200, logicalDpiX()));
    stbPanel2 = new QLabel(stbMain);
    stbPanel2->setObjectName(QStringLiteral("stbPanel2"));
    stbMain->addWidget(stbPanel1);
    stbMain->addWidget(stbPanel2, 1);
}

QString frmMain::text(const char* key) const
{
    return MessageText(m_language, QStringLiteral("Main"), QLatin1String(key));
}

void frmMain::Form_Resize()
{
    if (isMinimized() || !lstMain)
        return;
    const double dpiX = logicalDpiX(), dpiY = logicalDpiY();
    const QSize outer = frameGeometry().size();
    const MainLayout layout =
        ComputeMainLayout(PixelsToTwips(outer.width(), dpiX), PixelsToTwips(outer.height(), dpiY));
    const auto x = [dpiX](int twips) {
        return TwipsToPixels(twips, dpiX);
    };
    const auto y = [dpiY](int twips) {
        return TwipsToPixels(twips, dpiY);
    };

    lstMain->setGeometry(x(layout.list.left()), y(layout.list.top()), x(layout.list.width()),
                         y(layout.list.height()));
    lblBouton->setGeometry(x(layout.labelLeft), y(layout.labelTop), x(kButtonRowWidth),
                           y(kButtonRowHeight));
    for (int i = 0; i < 5; ++i) {
        cmdBouton[i]->setGeometry(x(kButtonLeft[i]), y(layout.buttonsTop),
                                  x(i == 2 ? kWideButtonWidth : kButtonSize), y(kButtonSize));
    }
}

void frmMain::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    Form_Resize();
}

void frmMain::closeEvent(QCloseEvent* event)
{
    if (m_busy) {
        event->ignore();
        Q_EMIT closeWhileBusyRequested();
        return;
    }
    Q_EMIT closing();
    event->accept();
}

void frmMain::AddFile(const QString& path)
{
    if (const auto entry = MakeFileEntry(path)) {
        m_files->append(*entry);
        fitSizeColumn();
    }
}

void frmMain::fitSizeColumn()
{
    const int needed =
        lstMain->fontMetrics().horizontalAdvance(QString::number(m_files->largestSize())) + 16;
    if (lstMain->columnWidth(FileEntry::SizeColumn) < needed)
        lstMain->setColumnWidth(FileEntry::SizeColumn, needed);
}

void frmMain::DropPaths(const QStringList& paths)
{
    // Every item on its own: one that cannot be read is skipped and the drop goes on.
    QList<FileEntry> rows;
    const auto add = [&rows](const QString& path) {
        if (const auto entry = MakeFileEntry(path))
            rows.append(*entry);
    };
    for (const QString& item : paths) {
        if (QFileInfo(item).isDir()) {
            QStringList listing;
            ListFiles(item, QStringLiteral("*.*"), listing, false);
            const QString folder = item.endsWith(QLatin1Char('/')) ? item : item + QLatin1Char('/');
            for (const QString& element : listing) {
                if (!CleanString(element).isEmpty())
                    add(folder + element);
            }
        } else {
            add(item);
        }
    }
    m_files->append(rows);
    fitSizeColumn();
    ShowRowCount();
}

void frmMain::showHints()
{
    for (int i = 0; i < 5; ++i) {
        const QString hint =
            MessageText(m_language, QStringLiteral("Main"), QStringLiteral("stb%1").arg(i + 1));
        cmdBouton[i]->setToolTip(hint);
        cmdBouton[i]->setAccessibleName(hint);
    }
    lstMain->setAccessibleName(text("accList"));
    ShowRowCount();     // its accessible name carries the count, in the language
    stbPanel2->clear(); // a hint in the language before would stay there
}

void frmMain::receivePaths(const QStringList& paths)
{
    if (isMinimized())
        showNormal();
    raise();
    activateWindow();
    if (m_busy) {
        m_waitingPaths << paths;
        return;
    }
    // A long list is added a share at a time, so that the window keeps answering meanwhile.
    const bool idle = m_arriving.isEmpty();
    m_arriving << paths;
    if (idle && !m_arriving.isEmpty())
        QTimer::singleShot(0, this, &frmMain::addArriving);
}

void frmMain::addArriving()
{
    constexpr qsizetype kShare = 2000;
    if (m_busy) { // a run began meanwhile: the rest waits for its end
        m_waitingPaths << std::exchange(m_arriving, {});
        return;
    }
    DropPaths(m_arriving.mid(0, kShare));
    m_arriving.remove(0, std::min(kShare, m_arriving.size()));
    if (!m_arriving.isEmpty())
        QTimer::singleShot(0, this, &frmMain::addArriving);
}

void frmMain::ShowRowCount()
{
    const QString count = QString::number(m_files->rowCount());
    stbPanel1->setText(count);
    // A screen reader hears a label's name instead of its text: the name says both.
    stbPanel1->setAccessibleName(text("accRowCount") + QStringLiteral(": ") + count);
}

void frmMain::mnuAjoutFichier_Click()
{
    // Every kind of audio Quenzal takes first, then each kind; the dialog opens where the user
    // last took files.
    const QStringList chosen = m_desktop.openFileNames(
        this, text("dlgAddFiles"), m_lastFolder,
        text("dlgFilterAudio") + QStringLiteral("|*.wav;*.aif;*.aiff;*.aifc;*.mp3|") +
            text("dlgFilterWav") + QStringLiteral("|*.wav|") + text("dlgFilterAiff") +
            QStringLiteral("|*.aif;*.aiff;*.aifc|") + text("dlgFilterMp3") +
            QStringLiteral("|*.mp3"));
    if (!chosen.isEmpty())
        m_lastFolder = QFileInfo(chosen.first()).absolutePath();
    QList<FileEntry> rows;
    for (const QString& path : chosen) {
        if (const auto entry = MakeFileEntry(path))
            rows.append(*entry);
    }
    m_files->append(rows);
    fitSizeColumn();
    ShowRowCount();
}

void frmMain::mnuAjoutDossier_Click()
{
    Q_EMIT folderSearchRequested();
}

void frmMain::addRows(const QList<FileEntry>& rows)
{
    m_files->append(rows);
    fitSizeColumn();
    ShowRowCount();
}

bool frmMain::removeSelectedRows()
{
    // The selection's ranges, not selectedRows(): the latter checks every row against every
    // range, which takes seconds for 10,000 scattered rows.
    QList<int> rows;
    for (const QItemSelectionRange& range : lstMain->selectionModel()->selection()) {
        for (int r = range.top(); r <= range.bottom(); ++r)
            rows.append(r);
    }
    if (rows.isEmpty())
        return false;
    const int first = *std::min_element(rows.cbegin(), rows.cend());
    const int scroll = lstMain->verticalScrollBar()->value();
    m_files->removeRowNumbers(rows);
    lstMain->verticalScrollBar()->setValue(scroll);
    // Keep the place in the list, but select nothing: a second Delete must not remove rows
    // the user never chose.
    if (m_files->rowCount() > 0)
        lstMain->selectionModel()->setCurrentIndex(
            m_files->index(std::min(first, m_files->rowCount() - 1), 0),
            QItemSelectionModel::NoUpdate);
    return true;
}

void frmMain::mnuSupprimer_Click()
{
    removeSelectedRows();
    ShowRowCount();
}

void frmMain::mnuEffacer_Click()
{
    m_files->clear();
    ShowRowCount();
}

void frmMain::mnuEncode_Click()
{
    Q_EMIT runRequested(Direction::Encode);
}

void frmMain::mnuDecode_Click()
{
    Q_EMIT runRequested(Direction::Decode);
}

void frmMain::setBusy(bool busy)
{
    m_busy = busy;
    setEnabled(!busy);
    // Disabled actions cannot be triggered through their shortcuts or from outside the
    // window (an accessibility client), which the disabled window alone would not prevent.
    for (QAction* action : findChildren<QAction*>())
        action->setEnabled(!busy);
    if (!busy && !m_waitingPaths.isEmpty())
        DropPaths(std::exchange(m_waitingPaths, {}));
}

void frmMain::mnuVeile_Click()
{
    m_screenSaver->setInhibited(mnuVeile->isChecked(), text("msgScreenSaverOff"));
}

void frmMain::mnuDoc_Click()
{
    Q_EMIT manualRequested();
}

void frmMain::mnuTag_Click()
{
    // The selected row's file, so that editing a listed MP3 takes one click.
    const QModelIndex current = lstMain->selectionModel()->currentIndex();
    const bool selected =
        current.isValid() && lstMain->selectionModel()->isRowSelected(current.row());
    Q_EMIT tagRequested(selected ? m_files->entry(current.row()).fullPath() : QString());
}

void frmMain::mnuAccueil_Click()
{
    OpenDocument(m_desktop, kHomePage);
}

void frmMain::mnuMail_Click()
{
    OpenDocument(m_desktop,
                 QStringLiteral("mailto:") + kMailAddress + QStringLiteral("?Subject=Quenzal"));
}

void frmMain::popup(QMenu* menu, const QList<QAction*>& hidden, const QPoint& where)
{
    for (QAction* action : hidden)
        action->setVisible(false);
    menu->exec(where);
    for (QAction* action : hidden)
        action->setVisible(true);
}

void frmMain::cmdBouton_Click(int index)
{
    const QPoint below = cmdBouton[index]->mapToGlobal(QPoint(0, cmdBouton[index]->height()));
    switch (index) {
    case 0:
        popup(mnuFichier, {mnuTag, mnuEspFichier, mnuQuitter}, below);
        break;
    case 1:
        popup(mnuEdition, {mnuEspEdition, mnuOption, mnuOptionLame}, below);
        break;
    case 2:
        popup(mnuAction, {}, below);
        break;
    case 3:
        mnuInfo->trigger();
        break;
    case 4:
        mnuOptionLame->trigger();
        break;
    default:
        break;
    }
}

void frmMain::cmdBouton_MouseMove(int index)
{
    stbPanel2->setText(
        MessageText(m_language, QStringLiteral("Main"), QStringLiteral("stb%1").arg(index + 1)));
}

bool frmMain::eventFilter(QObject* watched, QEvent* event)
{
    for (int i = 0; i < 5; ++i) {
        if (watched == cmdBouton[i] &&
            (event->type() == QEvent::Enter || event->type() == QEvent::MouseMove))
            cmdBouton_MouseMove(i);
    }
    if (watched == lstMain && event->type() == QEvent::KeyRelease &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Delete) {
        if (removeSelectedRows()) // with nothing selected even the count stays as it is
            ShowRowCount();
        return true;
    }
    if (watched == lstMain->viewport()) {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
            if (auto* mouse = static_cast<QMouseEvent*>(event);
                mouse->button() == Qt::RightButton) {
                // A right click on a row outside the selection selects that row, as in a file
                // manager; on the selection it keeps it, so the popup acts on all of it.
                const QModelIndex under = lstMain->indexAt(mouse->position().toPoint());
                if (under.isValid() && !lstMain->selectionModel()->isRowSelected(under.row()))
                    lstMain->setCurrentIndex(under);
                popup(mnuEdition, {}, mouse->globalPosition().toPoint());
                return true;
            }
            break;
        case QEvent::DragEnter:
        case QEvent::DragMove: {
            auto* drag = static_cast<QDragMoveEvent*>(event);
            if (drag->mimeData()->hasUrls()) {
                drag->acceptProposedAction();
                return true;
            }
            break;
        }
        case QEvent::Drop: {
            auto* drop = static_cast<QDropEvent*>(event);
            QStringList paths;
            for (const QUrl& url : drop->mimeData()->urls()) {
                if (url.isLocalFile())
                    paths << url.toLocalFile();
            }
            DropPaths(paths);
            drop->acceptProposedAction();
            return true;
        }
        default:
            break;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

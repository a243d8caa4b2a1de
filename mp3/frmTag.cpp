#include "mp3/frmTag.h"

#include "mp3/Genres.h"
#include "mp3/Id3v1.h"
#include "mp3/clsMP3.h"
#include "settings/BuiltInTexts.h"
#include "settings/Desktop.h"
#include "settings/TextCodec.h"
#include "settings/Twips.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHash>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QStorageInfo>
#include <QStringListModel>
#include <QTreeWidget>
#include <QValidator>

#include <algorithm>

namespace {

// Design lengths in twips. Only the top part shows until a file is clicked.
constexpr int kClientWidth = 10200;
constexpr int kCollapsedHeight = 3255;
constexpr int kExpandedHeight = 6330;
constexpr int kMargin = 120;
constexpr int kTreeWidth = 3600;
constexpr int kFramesTop = 3240;
constexpr int kFrameHeight = 2535;
constexpr int kTagFrameWidth = 5160;

constexpr int kPathRole = Qt::UserRole;

const CaptionEntry kCaptions[] = {
    {"Tag", "frmInfo", "frmMPEGinfo"},  {"Tag", "lblSize", "lblTaille"},
    {"Tag", "lblTime", "lblDurée"},     {"Tag", "lblTitle", "lblTitre"},
    {"Tag", "lblArtist", "lblArtiste"}, {"Tag", "lblAlbum", "lblAlbum"},
    {"Tag", "lblYear", "lblAnnee"},     {"Tag", "lblGenre", "lblGenre"},
    {"Tag", "lblComm", "lblCom"},       {"Tag", "chkReadOnly", "chkLectureSeul"},
    {"Tag", "lblSecond", "lblsecond"},  {"Tag", "lblOctet", "lblOctet"},
};

// Keeps a text box within the width of its tag field, counted in the bytes the tag will
// hold, so that a written tag never cuts what the user typed. Typing past the limit is
// refused; a pasted text keeps as much as fits.
class TagFieldValidator final : public QValidator {
public:
    TagFieldValidator(int bytes, QObject* parent)
        : QValidator(parent)
        , m_bytes(bytes)
    {}

    State validate(QString& input, int& pos) const override
    {
        // What was just typed or pasted ends at the cursor: the excess goes from there back.
        // A character the tag cannot hold is one "?" byte, so no character is worth more
        // than one byte and the loop ends within a few rounds.
        for (qsizetype excess; (excess = TextCodec::toWindows1252(input).size() - m_bytes) > 0;) {
            const qsizetype end = pos > 0 ? pos : input.size();
            qsizetype from = std::max<qsizetype>(0, end - excess);
            if (from > 0 && input.at(from).isLowSurrogate() && input.at(from - 1).isHighSurrogate())
                --from;
            input.remove(from, end - from);
            if (pos > 0)
                pos = int(from);
        }
        return Acceptable;
    }

private:
    int m_bytes;
};

// The wait cursor for as long as a folder is being read.
class WaitCursor {
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

template <typename T> T* named(QWidget* parent, const QString& name)
{
    auto* control = new T(parent);
    control->setObjectName(name);
    return control;
}

QLabel* label(QWidget* parent, const QString& name, const QString& caption = QString())
{
    auto* control = named<QLabel>(parent, name);
    control->setText(caption);
    return control;
}

QLineEdit* textBox(QWidget* parent, const QString& name, int bytes)
{
    auto* control = named<QLineEdit>(parent, name);
    control->setValidator(new TagFieldValidator(bytes, control));
    return control;
}

QString joinPath(const QString& folder, const QString& name)
{
    return folder.endsWith(u'/') ? folder + name : folder + u'/' + name;
}

// A volume can be browsed when it is mounted and ready and its root folder can be listed.
bool volumeReady(const QString& root)
{
    const QStorageInfo volume(root);
    const QFileInfo folder(root);
    return volume.isValid() && volume.isReady() && folder.isDir() && folder.isReadable() &&
           folder.isExecutable();
}

QStringList subfolders(const QString& folder)
{
    return QDir(folder).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
}

} // namespace

frmTag::frmTag(QWidget* parent, Desktop& desktop, const Language& language)
    : QDialog(parent)
    , m_desktop(desktop)
    , m_language(language)
{
    setObjectName(QStringLiteral("frmTag"));
    setWindowTitle(QStringLiteral("Quenzal"));
    createTopPart();
    createTagFrame();
    createInfoFrame();

    const double dpiX = logicalDpiX(), dpiY = logicalDpiY();
    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    // Enter in a text box must not write the tag: only a click on OK does.
    cmdOK->setAutoDefault(false);
    cmdOK->setGeometry(TwipsToPixels(kClientWidth - kMargin - 1215, dpiX),
                       TwipsToPixels(kFramesTop + kFrameHeight + 75, dpiY),
                       TwipsToPixels(1215, dpiX), TwipsToPixels(405, dpiY));
    connect(cmdOK, &QPushButton::clicked, this, &frmTag::cmdOK_Click);

    // The lower part appears with the first file shown.
    for (QWidget* lower : {static_cast<QWidget*>(frmTags), static_cast<QWidget*>(frmMPEGinfo),
                           static_cast<QWidget*>(cmdOK)})
        lower->hide();
    setClientHeight(kCollapsedHeight);

    genre->addItems(GenreNames());
    genre->setCurrentIndex(12);

    fillVolumes();
    openFolder(QDir::homePath());
}

frmTag::~frmTag() = default;

std::span<const CaptionEntry> frmTag::captionTable()
{
    return kCaptions;
}

void frmTag::createTopPart()
{
    const double dpiX = logicalDpiX(), dpiY = logicalDpiY();
    const auto place = [&](QWidget* control, int x, int y, int w, int h) {
        control->setGeometry(TwipsToPixels(x, dpiX), TwipsToPixels(y, dpiY), TwipsToPixels(w, dpiX),
                             TwipsToPixels(h, dpiY));
    };
    const int right = kClientWidth - kMargin;
    const int listLeft = kMargin + kTreeWidth + kMargin;

    lblChemin = label(this, QStringLiteral("lblChemin"));
    lblChemin->setTextInteractionFlags(Qt::TextSelectableByMouse);
    place(lblChemin, kMargin, 60, right - kMargin, 300);

    drvDur = named<QComboBox>(this, QStringLiteral("drvDur"));
    place(drvDur, kMargin, 420, kTreeWidth, 345);

    dirDur = named<QTreeWidget>(this, QStringLiteral("dirDur"));
    dirDur->setHeaderHidden(true);
    dirDur->setColumnCount(1);
    dirDur->setUniformRowHeights(true);
    place(dirDur, kMargin, 825, kTreeWidth, 3150 - 825);

    m_files = new QStringListModel(this);
    fleDur = named<QListView>(this, QStringLiteral("fleDur"));
    fleDur->setModel(m_files);
    fleDur->setUniformItemSizes(true); // a folder of thousands of files stays quick
    fleDur->setEditTriggers(QAbstractItemView::NoEditTriggers);
    fleDur->setSelectionMode(QAbstractItemView::SingleSelection);
    fleDur->viewport()->installEventFilter(this);
    place(fleDur, listLeft, 420, right - listLeft, 3150 - 420);

    // Their names for screen readers, which the tooltips give.
    const auto hint = [this](QWidget* control, const char* key) {
        control->setToolTip(MessageText(m_language, QStringLiteral("Tag"), QLatin1String(key)));
    };
    hint(drvDur, "accDrive");
    hint(dirDur, "accFolders");
    hint(fleDur, "accFiles");

    connect(drvDur, &QComboBox::currentIndexChanged, this, &frmTag::drvDur_Change);
    connect(dirDur, &QTreeWidget::currentItemChanged, this, &frmTag::dirDur_Change);
    connect(dirDur, &QTreeWidget::itemExpanded, this, [this](QTreeWidgetItem* item) {
        if (item->childIndicatorPolicy() == QTreeWidgetItem::ShowIndicator)
            loadSubfolders(item); // opened for the first time
    });
    // Choosing another file, with the mouse or the keys, shows it; so does a click on the
    // file already chosen (after writing its tag, for one).
    connect(fleDur->selectionModel(), &QItemSelectionModel::currentChanged, this,
            &frmTag::fleDur_Click);
    connect(fleDur, &QListView::clicked, this, [this](const QModelIndex& index) {
        if (index == m_currentAtPress)
            fleDur_Click();
    });
}

void frmTag::createTagFrame()
{
    const double dpiX = logicalDpiX(), dpiY = logicalDpiY();
    frmTags = named<QGroupBox>(this, QStringLiteral("frmTags"));
    frmTags->setTitle(QStringLiteral("ID3v1"));
    frmTags->setGeometry(TwipsToPixels(kMargin, dpiX), TwipsToPixels(kFramesTop, dpiY),
                         TwipsToPixels(kTagFrameWidth, dpiX), TwipsToPixels(kFrameHeight, dpiY));

    lblTitre = label(frmTags, QStringLiteral("lblTitre"), QStringLiteral("Titre:"));
    lblArtiste = label(frmTags, QStringLiteral("lblArtiste"), QStringLiteral("Artiste:"));
    lblAlbum = label(frmTags, QStringLiteral("lblAlbum"), QStringLiteral("Album:"));
    lblAnnee = label(frmTags, QStringLiteral("lblAnnee"), QStringLiteral("Année:"));
    lblCom = label(frmTags, QStringLiteral("lblCom"), QStringLiteral("Commentaire:"));
    lblGenre = label(frmTags, QStringLiteral("lblGenre"), QStringLiteral("Genre:"));
    txtTitre = textBox(frmTags, QStringLiteral("txtTitre"), 30);
    txtArtiste = textBox(frmTags, QStringLiteral("txtArtiste"), 30);
    txtAlbum = textBox(frmTags, QStringLiteral("txtAlbum"), 30);
    txtAnnee = textBox(frmTags, QStringLiteral("txtAnnee"), 4);
    txtAnnee->setFixedWidth(txtAnnee->fontMetrics().horizontalAdvance(QStringLiteral("00000")) +
                            12);
    txtCommentaire = textBox(frmTags, QStringLiteral("txtCommentaire"), 30);
    genre = named<QComboBox>(frmTags, QStringLiteral("genre"));
    genre->setMaxVisibleItems(20);
    lblGenreNum = label(frmTags, QStringLiteral("lblGenreNum"));
    lblGenreNum->setAlignment(Qt::AlignCenter);
    lblGenreNum->setMinimumWidth(
        lblGenreNum->fontMetrics().horizontalAdvance(QStringLiteral("0000")));
    chkLectureSeul = named<QCheckBox>(frmTags, QStringLiteral("chkLectureSeul"));
    chkLectureSeul->setText(QStringLiteral("Lecture Seule"));
    // It tells whether the file can be written; ticking it could not change that.
    chkLectureSeul->setAttribute(Qt::WA_TransparentForMouseEvents);
    chkLectureSeul->setFocusPolicy(Qt::NoFocus);

    auto* grid = new QGridLayout(frmTags);
    grid->setContentsMargins(8, 2, 8, 6);
    grid->setVerticalSpacing(2);
    const std::pair<QLabel*, QWidget*> rows[] = {{lblTitre, txtTitre},     {lblArtiste, txtArtiste},
                                                 {lblAlbum, txtAlbum},     {lblAnnee, txtAnnee},
                                                 {lblCom, txtCommentaire}, {lblGenre, genre}};
    for (int row = 0; row < int(std::size(rows)); ++row) {
        grid->addWidget(rows[row].first, row, 0);
        if (rows[row].second == txtAnnee) {
            auto* yearRow = new QHBoxLayout;
            yearRow->addWidget(txtAnnee);
            yearRow->addStretch();
            yearRow->addWidget(chkLectureSeul);
            grid->addLayout(yearRow, row, 1, 1, 2);
        } else if (rows[row].second == genre) {
            grid->addWidget(genre, row, 1);
            grid->addWidget(lblGenreNum, row, 2);
        } else {
            grid->addWidget(rows[row].second, row, 1, 1, 2);
        }
    }
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(int(std::size(rows)), 1);
}

void frmTag::createInfoFrame()
{
    const double dpiX = logicalDpiX(), dpiY = logicalDpiY();
    frmMPEGinfo = named<QGroupBox>(this, QStringLiteral("frmMPEGinfo"));
    frmMPEGinfo->setTitle(QStringLiteral("Info MPEG"));
    const int left = kMargin + kTagFrameWidth + kMargin;
    frmMPEGinfo->setGeometry(TwipsToPixels(left, dpiX), TwipsToPixels(kFramesTop, dpiY),
                             TwipsToPixels(kClientWidth - kMargin - left, dpiX),
                             TwipsToPixels(kFrameHeight, dpiY));

    lblTaille = label(frmMPEGinfo, QStringLiteral("lblTaille"), QStringLiteral("Taille:"));
    lblDurée = label(frmMPEGinfo, QStringLiteral("lblDurée"), QStringLiteral("Durée:"));
    lblCrc = label(frmMPEGinfo, QStringLiteral("lblCrc"), QStringLiteral("CRC:"));
    lblCopyright =
        label(frmMPEGinfo, QStringLiteral("lblCopyright"), QStringLiteral("Copyrighted:"));
    lblOriginal = label(frmMPEGinfo, QStringLiteral("lblOriginal"), QStringLiteral("Original:"));
    lblEmphasis = label(frmMPEGinfo, QStringLiteral("lblEmphasis"), QStringLiteral("Emphasis:"));
    lblTaille2 = label(frmMPEGinfo, QStringLiteral("lblTaille2"));
    lblOctet = label(frmMPEGinfo, QStringLiteral("lblOctet"), QStringLiteral("octets"));
    lblDuree2 = label(frmMPEGinfo, QStringLiteral("lblDuree2"));
    lblsecond = label(frmMPEGinfo, QStringLiteral("lblsecond"), QStringLiteral("secondes"));
    lblMpg = label(frmMPEGinfo, QStringLiteral("lblMpg"));
    lblBitFrame = label(frmMPEGinfo, QStringLiteral("lblBitFrame"));
    lblHzSon = label(frmMPEGinfo, QStringLiteral("lblHzSon"));
    lblCrc2 = label(frmMPEGinfo, QStringLiteral("lblCrc2"));
    lblCopyright2 = label(frmMPEGinfo, QStringLiteral("lblCopyright2"));
    lblOriginal2 = label(frmMPEGinfo, QStringLiteral("lblOriginal2"));
    lblEmphasis2 = label(frmMPEGinfo, QStringLiteral("lblEmphasis2"));

    // The size and duration lines read as one text each: value and unit side by side.
    const auto line = [this](QLabel* value, QLabel* unit) {
        auto* row = new QHBoxLayout;
        row->setSpacing(4);
        row->addWidget(value);
        row->addWidget(unit);
        row->addStretch();
        return row;
    };
    auto* grid = new QGridLayout(frmMPEGinfo);
    grid->setContentsMargins(8, 4, 8, 6);
    grid->setHorizontalSpacing(6);
    grid->addWidget(lblTaille, 0, 0);
    grid->addLayout(line(lblTaille2, lblOctet), 0, 1);
    grid->addWidget(lblDurée, 1, 0);
    grid->addLayout(line(lblDuree2, lblsecond), 1, 1);
    grid->addWidget(lblMpg, 2, 0, 1, 2);
    grid->addWidget(lblBitFrame, 3, 0, 1, 2);
    grid->addWidget(lblHzSon, 4, 0, 1, 2);
    const std::pair<QLabel*, QLabel*> flags[] = {{lblCrc, lblCrc2},
                                                 {lblCopyright, lblCopyright2},
                                                 {lblOriginal, lblOriginal2},
                                                 {lblEmphasis, lblEmphasis2}};
    for (int row = 0; row < int(std::size(flags)); ++row) {
        grid->addWidget(flags[row].first, row, 2);
        grid->addWidget(flags[row].second, row, 3);
    }
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(5, 1);
}

void frmTag::setClientHeight(int twips)
{
    setFixedSize(TwipsToPixels(kClientWidth, logicalDpiX()), TwipsToPixels(twips, logicalDpiY()));
}

// Every mounted volume whose root is a folder: a file mounted on its own cannot be browsed.
// The root of the file system is always offered, as the place to fall back on.
void frmTag::fillVolumes()
{
    QList<QStorageInfo> volumes = QStorageInfo::mountedVolumes();
    std::sort(volumes.begin(), volumes.end(), [](const QStorageInfo& a, const QStorageInfo& b) {
        return a.rootPath() < b.rootPath();
    });
    const QSignalBlocker blocker(drvDur);
    drvDur->clear();
    drvDur->addItem(QStringLiteral("/"), QStringLiteral("/"));
    for (const QStorageInfo& volume : volumes) {
        const QString root = volume.rootPath();
        if (root == u'/' || !QFileInfo(root).isDir() || drvDur->findData(root) >= 0)
            continue;
        const QString name = volume.name();
        drvDur->addItem(name.isEmpty() ? root : root + QStringLiteral(" [") + name + u']', root);
    }
}

void frmTag::selectVolumeOf(const QString& folder)
{
    const QString root = QStorageInfo(folder).rootPath();
    const QSignalBlocker blocker(drvDur);
    int index = drvDur->findData(root.isEmpty() ? QStringLiteral("/") : root);
    if (index < 0) {
        drvDur->addItem(root, root);
        index = drvDur->count() - 1;
    }
    drvDur->setCurrentIndex(index);
}

void frmTag::openFolder(const QString& folder)
{
    selectVolumeOf(folder);
    showFolderTree(drvDur->currentData().toString(), folder);
}

void frmTag::drvDur_Change()
{
    const QString root = drvDur->currentData().toString();
    if (volumeReady(root)) {
        showFolderTree(root, root);
        return;
    }
    m_desktop.showMessage(
        this, MessageText(m_language, QStringLiteral("Tag"), QStringLiteral("msgErrDevice")),
        QStringLiteral("Quenzal"), Desktop::Icon::Information);
    openFolder(QStringLiteral("/"));
}

void frmTag::showFolderTree(const QString& root, const QString& folder)
{
    {
        // The old tree goes without a choice of folder in between.
        const QSignalBlocker blocker(dirDur);
        dirDur->clear();
        auto* top = new QTreeWidgetItem(dirDur, {root});
        top->setData(0, kPathRole, root);
        top->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
    }
    dirDur->setCurrentItem(folderItem(folder));
}

// The item of a folder of the shown volume, its parents loaded and opened on the way; the
// volume's root when the folder lies elsewhere. A folder the tree leaves out (a hidden one)
// is added where it belongs.
QTreeWidgetItem* frmTag::folderItem(const QString& folder)
{
    QTreeWidgetItem* item = dirDur->topLevelItem(0);
    const QString root = item->data(0, kPathRole).toString();
    const QString clean = QDir::cleanPath(folder);
    if (clean != root && !clean.startsWith(joinPath(root, QString())))
        return item;
    const QStringList names = clean.mid(root.size()).split(u'/', Qt::SkipEmptyParts);
    for (const QString& name : names) {
        item->setExpanded(true);
        QTreeWidgetItem* next = nullptr;
        for (int i = 0; i < item->childCount() && !next; ++i) {
            if (item->child(i)->text(0) == name)
                next = item->child(i);
        }
        if (!next) {
            next = new QTreeWidgetItem(item, {name});
            next->setData(0, kPathRole, joinPath(item->data(0, kPathRole).toString(), name));
            next->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
        }
        item = next;
    }
    return item;
}

// Reads the sub-folders of a folder afresh. Those still there keep their items (and what was
// loaded under them); new ones come in, in order, and vanished ones go.
void frmTag::loadSubfolders(QTreeWidgetItem* item)
{
    const QString path = item->data(0, kPathRole).toString();
    QHash<QString, QTreeWidgetItem*> known;
    for (QTreeWidgetItem* child : item->takeChildren())
        known.insert(child->text(0), child);
    QList<QTreeWidgetItem*> children;
    for (const QString& name : subfolders(path)) {
        QTreeWidgetItem* child = known.take(name);
        if (!child) {
            child = new QTreeWidgetItem({name});
            child->setData(0, kPathRole, joinPath(path, name));
            // Whether it has sub-folders is known once it is opened.
            child->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
        }
        children << child;
    }
    qDeleteAll(known);
    item->setChildIndicatorPolicy(QTreeWidgetItem::DontShowIndicatorWhenChildless);
    item->addChildren(children);
}

QString frmTag::folderPath() const
{
    const QTreeWidgetItem* item = dirDur->currentItem();
    return item ? item->data(0, kPathRole).toString() : QString();
}

QString frmTag::selectedFilePath() const
{
    const QModelIndex current = fleDur->currentIndex();
    return joinPath(folderPath(), current.isValid() ? current.data().toString() : QString());
}

void frmTag::dirDur_Change()
{
    QStringList names;
    if (QTreeWidgetItem* item = dirDur->currentItem()) {
        const WaitCursor wait;
        // The folder opens as it is chosen, so that its sub-folders are at hand, and a folder
        // made since it was last read shows up.
        loadSubfolders(item);
        item->setExpanded(true);
        // Name patterns of QDir ignore case: SONG.MP3 is listed too.
        names =
            QDir(folderPath())
                .entryList({QStringLiteral("*.mp3")}, QDir::Files, QDir::Name | QDir::IgnoreCase);
    }
    m_files->setStringList(names);
}

void frmTag::fleDur_Click()
{
    if (!fleDur->currentIndex().isValid())
        return;
    const QString path = QDir::cleanPath(QFileInfo(selectedFilePath()).absoluteFilePath());
    lblChemin->setText(QDir::toNativeSeparators(path));
    showHeader(path);
    showTag(path);
    chkLectureSeul->setChecked(!(QFileInfo(path).permissions() & QFileDevice::WriteOwner));
    frmTags->show();
    frmMPEGinfo->show();
    cmdOK->show();
    setClientHeight(kExpandedHeight);
}

// Every line is filled, also for a file without a readable header: the reader leaves its
// fields reset or as the last rejected candidate left them.
void frmTag::showHeader(const QString& path)
{
    m_mp3.setFileName(path);
    m_mp3.refresh();
    lblTaille2->setText(QString::number(m_mp3.FileSize()));
    lblDuree2->setText(QString::number(m_mp3.seconds()) + u' ');
    lblMpg->setText(m_mp3.VersionText() + u' ' + m_mp3.LayerText());
    lblBitFrame->setText(QString::number(m_mp3.Bitrate() / 1000) + QStringLiteral("kbit, ") +
                         QString::number(m_mp3.frames()) + QStringLiteral(" frames"));
    lblHzSon->setText(QString::number(m_mp3.Frequency()) + QStringLiteral("Hz ") +
                      m_mp3.ChannelModeText());
    lblCopyright2->setText(yesNo(m_mp3.Copyright()));
    lblOriginal2->setText(yesNo(m_mp3.original()));
    lblCrc2->setText(yesNo(m_mp3.CRCProtected()));
    lblEmphasis2->setText(m_mp3.EmphasisText());
}

void frmTag::showTag(const QString& path)
{
    const std::optional<Id3v1Tag> tag = ReadId3v1(path);
    if (!tag) {
        for (QLineEdit* box : {txtTitre, txtArtiste, txtAlbum, txtAnnee, txtCommentaire})
            box->clear();
        genre->setCurrentIndex(12);
        return;
    }
    // Many taggers (lame among them) pad with NUL bytes: the text is what comes before them.
    const auto text = [](const QString& field) {
        return field.left(field.indexOf(QChar(0)));
    };
    txtTitre->setText(text(tag->title));
    txtArtiste->setText(text(tag->artist));
    txtAlbum->setText(text(tag->album));
    txtAnnee->setText(text(tag->year));
    txtCommentaire->setText(text(tag->comment));
    lblGenreNum->setText(QString::number(tag->genre));
    // A number without a name keeps the genre chosen before.
    if (tag->genre < genre->count())
        genre->setCurrentIndex(tag->genre);
}

QString frmTag::yesNo(bool value) const
{
    return MessageText(m_language, QStringLiteral("Tag"),
                       value ? QStringLiteral("msgYes") : QStringLiteral("msgNo"));
}

void frmTag::cmdOK_Click()
{
    const Id3v1Tag tag{txtTitre->text(), txtArtiste->text(),     txtAlbum->text(),
                       txtAnnee->text(), txtCommentaire->text(), genre->currentIndex()};
    // A file that is busy or too short to be an MP3 is left as it is, without a word.
    if (WriteId3v1(selectedFilePath(), tag) == TagWriteResult::ReadOnly)
        m_desktop.showMessage(
            this, MessageText(m_language, QStringLiteral("Tag"), QStringLiteral("msgErrFile")),
            QStringLiteral("Error"), Desktop::Icon::Information);
}

void frmTag::showFile(const QString& path)
{
    const QFileInfo file(path);
    const QString folder = QFileInfo(file.absolutePath()).canonicalFilePath();
    if (folder.isEmpty())
        return;
    openFolder(folder);
    const int row = int(m_files->stringList().indexOf(file.fileName()));
    if (row >= 0)
        fleDur->setCurrentIndex(m_files->index(row));
}

bool frmTag::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == fleDur->viewport() && event->type() == QEvent::MouseButtonPress)
        m_currentAtPress = fleDur->currentIndex();
    return QDialog::eventFilter(watched, event);
}

#include "mp3/frmTag.h"

#include "mp3/Genres.h"
#include "mp3/Id3v1.h"
#include "mp3/frmTagUi.h"
#include "settings/BuiltInTexts.h"
#include "settings/Desktop.h"
#include "settings/TextCodec.h"
#include "settings/WaitCursor.h"
#include "settings/mdlMain.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QAbstractFileIconProvider>
#include <QFileSystemModel>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QStorageInfo>
#include <QTreeView>
#include <QValidator>

#include <algorithm>

namespace {

const CaptionEntry kCaptions[] = {
    {"Tag", "frmInfo", "frmMPEGinfo"},
    {"Tag", "lblSize", "lblTaille"},
    {"Tag", "lblCopyright", "lblCopyright"},
    {"Tag", "lblEmphasis", "lblEmphasis"},
    {"Tag", "lblTime", "lblDurée"},
    {"Tag", "lblTitle", "lblTitre"},
    {"Tag", "lblArtist", "lblArtiste"},
    {"Tag", "lblAlbum", "lblAlbum"},
    {"Tag", "lblYear", "lblAnnee"},
    {"Tag", "lblGenre", "lblGenre"},
    {"Tag", "lblComm", "lblCom"},
    {"Tag", "chkReadOnly", "chkLectureSeul"},
    {"Tag", "lblSecond", "lblsecond"},
    {"Tag", "lblOctet", "lblOctet"},
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

// A volume can be browsed when it is mounted and ready and its root folder can be listed.
bool volumeReady(const QString& root)
{
    const QStorageInfo volume(root);
    const QFileInfo folder(root);
    return volume.isValid() && volume.isReady() && folder.isDir() && folder.isReadable() &&
           folder.isExecutable();
}

bool isListedMp3(const QFileInfo& file)
{
    return file.isFile() && !file.isHidden() &&
           file.fileName().endsWith(QLatin1String(".mp3"), Qt::CaseInsensitive);
}

// Genre names as TagLib gives them may differ from Quenzal's in blanks and case ("Hip-Hop").
int genreIndex(const QString& name)
{
    const auto key = [](QString text) {
        return text.remove(u' ').toCaseFolded();
    };
    const QStringList& names = GenreNames();
    for (int i = 0; i < names.size(); ++i) {
        if (!name.isEmpty() && key(names[i]) == key(name))
            return i;
    }
    return -1;
}

} // namespace

frmTag::frmTag(QWidget* parent, Desktop& desktop, const Language& language)
    : QDialog(parent)
    , ui(std::make_unique<frmTagUi>())
    , m_desktop(desktop)
    , m_language(language)
{
    ui->setupUi(this);
    constexpr std::array kWidths = {30, 30, 30, 4, 30};
    for (std::size_t i = 0; i < kWidths.size(); ++i) {
        m_limits[i] = new TagFieldValidator(kWidths[i], textBoxes()[i]);
        textBoxes()[i]->setValidator(m_limits[i]);
    }
    // Captions the language gives at once (a language file that lacks them falls back to the
    // built-in text).
    ui->genre->addItems(GenreNames());
    ui->genre->setCurrentIndex(12);

    // Folders only in the tree; in the list, the files named "*.mp3" in any case (the name
    // filter of the model ignores case), hidden ones left out as before.
    m_folders = new QFileSystemModel(this);
    m_folders->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot);
    m_folders->setReadOnly(true);
    ui->dirDur->setModel(m_folders);
    for (int column = 1; column < m_folders->columnCount(); ++column)
        ui->dirDur->hideColumn(column);
    m_files = new QFileSystemModel(this);
    m_files->setFilter(QDir::Files);
    m_files->setNameFilters({QStringLiteral("*.mp3")});
    m_files->setNameFilterDisables(false);
    m_files->setReadOnly(true);
    // Names only, as the list always showed them: looking up each file's icon took most of
    // the time a large folder needs to show.
    static QAbstractFileIconProvider noIcons;
    m_files->setIconProvider(&noIcons);
    ui->fleDur->setModel(m_files);

    // Their names for screen readers, which the tooltips give.
    const auto hint = [this](QWidget* control, const char* key) {
        control->setToolTip(text(key));
    };
    hint(ui->drvDur, "accDrive");
    hint(ui->dirDur, "accFolders");
    hint(ui->fleDur, "accFiles");

    fillVolumes();
    connectControls();
    openFolder(QDir::homePath());
}

frmTag::~frmTag() = default;

std::array<QLineEdit*, 5> frmTag::textBoxes() const
{
    return {ui->txtTitre, ui->txtArtiste, ui->txtAlbum, ui->txtAnnee, ui->txtCommentaire};
}

QString frmTag::text(const char* key) const
{
    return MessageText(m_language, QStringLiteral("Tag"), QLatin1String(key));
}

std::span<const CaptionEntry> frmTag::captionTable()
{
    return kCaptions;
}

void frmTag::connectControls()
{
    connect(ui->drvDur, &QComboBox::currentIndexChanged, this, &frmTag::drvDur_Change);
    connect(ui->dirDur->selectionModel(), &QItemSelectionModel::currentChanged, this,
            &frmTag::dirDur_Change);
    // Choosing another file, with the mouse or the keys, shows it; so does a click on the
    // file already chosen (after writing its tag, for one).
    connect(ui->fleDur->selectionModel(), &QItemSelectionModel::currentChanged, this,
            &frmTag::fleDur_Click);
    ui->fleDur->viewport()->installEventFilter(this);
    connect(ui->fleDur, &QListView::clicked, this, [this](const QModelIndex& index) {
        if (index == m_currentAtPress)
            fleDur_Click();
    });
    connect(ui->cmdOK, &QPushButton::clicked, this, &frmTag::cmdOK_Click);
}

// Every mounted volume whose root is a folder: a file mounted on its own cannot be browsed.
// The root of the file system is always offered, as the place to fall back on.
void frmTag::fillVolumes()
{
    QList<QStorageInfo> volumes = QStorageInfo::mountedVolumes();
    std::sort(volumes.begin(), volumes.end(), [](const QStorageInfo& a, const QStorageInfo& b) {
        return a.rootPath() < b.rootPath();
    });
    const QSignalBlocker blocker(ui->drvDur);
    ui->drvDur->clear();
    ui->drvDur->addItem(QStringLiteral("/"), QStringLiteral("/"));
    for (const QStorageInfo& volume : volumes) {
        const QString root = volume.rootPath();
        if (root == u'/' || !QFileInfo(root).isDir() || ui->drvDur->findData(root) >= 0)
            continue;
        const QString name = volume.name();
        ui->drvDur->addItem(name.isEmpty() ? root : root + QStringLiteral(" [") + name + u']',
                            root);
    }
}

void frmTag::selectVolumeOf(const QString& folder)
{
    const QString root = QStorageInfo(folder).rootPath();
    const QSignalBlocker blocker(ui->drvDur);
    int index = ui->drvDur->findData(root.isEmpty() ? QStringLiteral("/") : root);
    if (index < 0) {
        ui->drvDur->addItem(root, root);
        index = ui->drvDur->count() - 1;
    }
    ui->drvDur->setCurrentIndex(index);
}

// The tree shows the folders of the chosen volume; its root is listed when no folder in it
// is chosen. A folder the tree leaves out (a hidden one) is shown where it belongs.
void frmTag::openFolder(const QString& folder)
{
    selectVolumeOf(folder);
    const QString root = ui->drvDur->currentData().toString();
    const QString clean = QDir::cleanPath(folder);
    {
        const QSignalBlocker blocker(ui->dirDur->selectionModel());
        ui->dirDur->setRootIndex(m_folders->setRootPath(root));
        ui->dirDur->selectionModel()->clear();
    }
    const bool inside = clean != root && clean.startsWith(root == u'/' ? root : root + u'/');
    if (!inside) {
        listFolder(root);
        return;
    }
    const QModelIndex index = m_folders->index(clean);
    ui->dirDur->setCurrentIndex(index);
    ui->dirDur->scrollTo(index);
}

void frmTag::drvDur_Change()
{
    const QString root = ui->drvDur->currentData().toString();
    if (volumeReady(root)) {
        openFolder(root);
        return;
    }
    m_desktop.showMessage(this, text("msgErrDevice"), QStringLiteral("Quenzal"),
                          Desktop::Icon::Information);
    openFolder(QStringLiteral("/"));
}

void frmTag::dirDur_Change(const QModelIndex& current)
{
    if (!current.isValid())
        return;
    // The folder opens as it is chosen, so that its sub-folders are at hand.
    ui->dirDur->expand(current);
    listFolder(m_folders->filePath(current));
}

void frmTag::listFolder(const QString& folder)
{
    m_folder = folder;
    ui->fleDur->selectionModel()->clear();
    ui->fleDur->setRootIndex(m_files->setRootPath(folder));
}

QString frmTag::selectedFilePath() const
{
    const QModelIndex current = ui->fleDur->currentIndex();
    return current.isValid() ? m_files->filePath(current) : QString();
}

void frmTag::fleDur_Click()
{
    const QString path = selectedFilePath();
    if (path.isEmpty())
        return;
    ui->lblChemin->setText(QDir::toNativeSeparators(path));
    showHeader(path);
    showTag(path);
    ui->chkLectureSeul->setChecked(!(QFileInfo(path).permissions() & QFileDevice::WriteOwner));
    ui->frmTags->show();
    ui->frmMPEGinfo->show();
    ui->cmdOK->show();
    ui->setClientHeight(this, frmTagUi::kExpandedHeight);
}

// Every line is filled, also for a file without a readable header: the reader leaves its
// fields reset or as the last rejected candidate left them.
void frmTag::showHeader(const QString& path)
{
    m_mp3.setFileName(path);
    m_mp3.refresh();
    ui->lblTaille2->setText(QString::number(m_mp3.FileSize()));
    ui->lblDuree2->setText(QString::number(m_mp3.seconds()) + u' ');
    ui->lblMpg->setText(m_mp3.VersionText() + u' ' + m_mp3.LayerText());
    // A variable rate shows as such, with the whole file's average.
    ui->lblBitFrame->setText((m_mp3.Vbr() ? QStringLiteral("VBR ") : QString()) +
                             QString::number(m_mp3.AverageBitrate() / 1000) +
                             QStringLiteral("kbit, ") + QString::number(m_mp3.frames()) +
                             QStringLiteral(" frames"));
    ui->lblHzSon->setText(QString::number(m_mp3.Frequency()) + QStringLiteral("Hz ") +
                          m_mp3.ChannelModeText());
    ui->lblCopyright2->setText(yesNo(m_mp3.Copyright()));
    ui->lblOriginal2->setText(yesNo(m_mp3.original()));
    ui->lblCrc2->setText(yesNo(m_mp3.CRCProtected()));
    ui->lblEmphasis2->setText(!m_mp3.EmphasisText().isEmpty() && m_mp3.Emphasis() == 0
                                  ? text("msgNone")
                                  : m_mp3.EmphasisText());
}

void frmTag::showTag(const QString& path)
{
    const std::optional<Id3v1Tag> tag = ReadId3v1(path);
    m_id3v2 = ReadId3v2(path);
    // Many taggers (lame among them) pad with NUL bytes: the text is what comes before them.
    const auto cut = [](const QString& field) {
        return CutAtNull(field);
    };
    const std::array<QString, 5> id3v1 =
        tag ? std::array{cut(tag->title), cut(tag->artist), cut(tag->album), cut(tag->year),
                         cut(tag->comment)}
            : std::array<QString, 5>{};
    // ID3v2 keeps whole texts, so the boxes take any length while its fields are shown; an
    // empty one shows the ID3v1 field, and OK writes it to both tags.
    const std::array<QString, 5> id3v2 =
        m_id3v2 ? std::array{m_id3v2->title, m_id3v2->artist, m_id3v2->album, m_id3v2->year,
                             m_id3v2->comment}
                : std::array<QString, 5>{};
    for (std::size_t i = 0; i < id3v1.size(); ++i) {
        textBoxes()[i]->setValidator(m_id3v2 ? nullptr : m_limits[i]);
        textBoxes()[i]->setText(id3v2[i].isEmpty() ? id3v1[i] : id3v2[i]);
    }
    ui->frmTags->setTitle(m_id3v2 ? QStringLiteral("ID3v2 + ID3v1") : QStringLiteral("ID3v1"));

    if (tag) {
        ui->lblGenreNum->setText(QString::number(tag->genre));
        m_genreFromId3v1 = tag->genre < ui->genre->count();
        // A number without a name keeps the genre chosen before.
        if (tag->genre < ui->genre->count())
            ui->genre->setCurrentIndex(tag->genre);
    } else {
        ui->lblGenreNum->clear();
        m_genreFromId3v1 = false;
        ui->genre->setCurrentIndex(12);
    }
    if (const int named = m_id3v2 ? genreIndex(m_id3v2->genre) : -1; named >= 0)
        ui->genre->setCurrentIndex(named);
    m_shownGenre = ui->genre->currentIndex();
}

QString frmTag::yesNo(bool value) const
{
    return text(value ? "msgYes" : "msgNo");
}

// The fields whose box differs from the file's ID3v2 tag. A genre the user did not choose is
// kept (ID3v2 holds any name, the list only 148), unless the tag has none and the ID3v1 tag
// gave one.
Id3v2Changes frmTag::id3v2Changes() const
{
    Id3v2Changes changes;
    if (!m_id3v2)
        return changes;
    const auto change = [](const QLineEdit* box, const QString& old) {
        return box->text() == old ? std::nullopt : std::optional(box->text());
    };
    changes.title = change(ui->txtTitre, m_id3v2->title);
    changes.artist = change(ui->txtArtiste, m_id3v2->artist);
    changes.album = change(ui->txtAlbum, m_id3v2->album);
    changes.year = change(ui->txtAnnee, m_id3v2->year);
    changes.comment = change(ui->txtCommentaire, m_id3v2->comment);
    if (ui->genre->currentIndex() != m_shownGenre || (m_id3v2->genre.isEmpty() && m_genreFromId3v1))
        changes.genre = ui->genre->currentText();
    return changes;
}

void frmTag::cmdOK_Click()
{
    const QString path = selectedFilePath();
    const Id3v1Tag tag{ui->txtTitre->text(), ui->txtArtiste->text(),     ui->txtAlbum->text(),
                       ui->txtAnnee->text(), ui->txtCommentaire->text(), ui->genre->currentIndex()};
    // Writing an ID3v2 tag copies the whole file.
    const TagWriteResult result = [&] {
        const WaitCursor wait;
        return WriteTags(path, tag, id3v2Changes());
    }();
    const char* error = nullptr;
    switch (result) {
    case TagWriteResult::Written:
        // What is now in the file is what the next OK compares with.
        m_id3v2 = ReadId3v2(path);
        m_shownGenre = ui->genre->currentIndex();
        return;
    case TagWriteResult::ReadOnly:
        error = "msgErrFile";
        break;
    case TagWriteResult::Failed:
        error = "msgErrWrite";
        break;
    case TagWriteResult::NotMp3:
    case TagWriteResult::TooShort:
        error = "msgErrNotMp3";
        break;
    }
    m_desktop.showMessage(this, text(error), text("titleError"), Desktop::Icon::Critical);
}

void frmTag::showFile(const QString& path)
{
    const QFileInfo file(path);
    const QString folder = QFileInfo(file.absolutePath()).canonicalFilePath();
    if (folder.isEmpty())
        return;
    openFolder(folder);
    const QFileInfo listed(QDir(folder).filePath(file.fileName()));
    if (isListedMp3(listed))
        ui->fleDur->setCurrentIndex(m_files->index(listed.filePath()));
}

bool frmTag::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == ui->fleDur->viewport() && event->type() == QEvent::MouseButtonPress)
        m_currentAtPress = ui->fleDur->currentIndex();
    return QDialog::eventFilter(watched, event);
}

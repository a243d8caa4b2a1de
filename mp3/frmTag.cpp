#include "mp3/frmTag.h"

#include "mp3/Genres.h"
#include "mp3/Id3v1.h"
#include "mp3/frmTagUi.h"
#include "settings/BuiltInTexts.h"
#include "settings/Desktop.h"
#include "settings/TextCodec.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
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

} // namespace

frmTag::frmTag(QWidget* parent, Desktop& desktop, const Language& language)
    : QDialog(parent)
    , ui(std::make_unique<frmTagUi>())
    , m_desktop(desktop)
    , m_language(language)
{
    ui->setupUi(this);
    for (const auto& [box, bytes] : {std::pair(ui->txtTitre, 30),
                                     {ui->txtArtiste, 30},
                                     {ui->txtAlbum, 30},
                                     {ui->txtAnnee, 4},
                                     {ui->txtCommentaire, 30}})
        box->setValidator(new TagFieldValidator(bytes, box));
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
    ui->fleDur->setModel(m_files);

    // Their names for screen readers, which the tooltips give.
    const auto hint = [this](QWidget* control, const char* key) {
        control->setToolTip(MessageText(m_language, QStringLiteral("Tag"), QLatin1String(key)));
    };
    hint(ui->drvDur, "accDrive");
    hint(ui->dirDur, "accFolders");
    hint(ui->fleDur, "accFiles");

    fillVolumes();
    connectControls();
    openFolder(QDir::homePath());
}

frmTag::~frmTag() = default;

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
    m_desktop.showMessage(
        this, MessageText(m_language, QStringLiteral("Tag"), QStringLiteral("msgErrDevice")),
        QStringLiteral("Quenzal"), Desktop::Icon::Information);
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
    ui->lblBitFrame->setText(QString::number(m_mp3.Bitrate() / 1000) + QStringLiteral("kbit, ") +
                             QString::number(m_mp3.frames()) + QStringLiteral(" frames"));
    ui->lblHzSon->setText(QString::number(m_mp3.Frequency()) + QStringLiteral("Hz ") +
                          m_mp3.ChannelModeText());
    ui->lblCopyright2->setText(yesNo(m_mp3.Copyright()));
    ui->lblOriginal2->setText(yesNo(m_mp3.original()));
    ui->lblCrc2->setText(yesNo(m_mp3.CRCProtected()));
    ui->lblEmphasis2->setText(m_mp3.EmphasisText());
}

void frmTag::showTag(const QString& path)
{
    const std::optional<Id3v1Tag> tag = ReadId3v1(path);
    if (!tag) {
        for (QLineEdit* box :
             {ui->txtTitre, ui->txtArtiste, ui->txtAlbum, ui->txtAnnee, ui->txtCommentaire})
            box->clear();
        ui->genre->setCurrentIndex(12);
        return;
    }
    // Many taggers (lame among them) pad with NUL bytes: the text is what comes before them.
    const auto text = [](const QString& field) {
        return field.left(field.indexOf(QChar(0)));
    };
    ui->txtTitre->setText(text(tag->title));
    ui->txtArtiste->setText(text(tag->artist));
    ui->txtAlbum->setText(text(tag->album));
    ui->txtAnnee->setText(text(tag->year));
    ui->txtCommentaire->setText(text(tag->comment));
    ui->lblGenreNum->setText(QString::number(tag->genre));
    // A number without a name keeps the genre chosen before.
    if (tag->genre < ui->genre->count())
        ui->genre->setCurrentIndex(tag->genre);
}

QString frmTag::yesNo(bool value) const
{
    return MessageText(m_language, QStringLiteral("Tag"),
                       value ? QStringLiteral("msgYes") : QStringLiteral("msgNo"));
}

void frmTag::cmdOK_Click()
{
    const Id3v1Tag tag{ui->txtTitre->text(), ui->txtArtiste->text(),     ui->txtAlbum->text(),
                       ui->txtAnnee->text(), ui->txtCommentaire->text(), ui->genre->currentIndex()};
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

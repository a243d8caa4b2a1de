#include "lame/frmOptionLame.h"

#include "lame/LameCheck.h"
#include "lame/LameOptions.h"
#include "lame/LamePersistence.h"
#include "lame/OptionPages.h"
#include "lame/OptionTable.h"
#include "lame/PresetFile.h"
#include "settings/BuiltInTexts.h"
#include "settings/Desktop.h"
#include "settings/SettingsStore.h"
#include "settings/WaitCursor.h"
#include "settings/mdlFichier.h"
#include "settings/mdlMain.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>

namespace {

const CaptionEntry kCaptions[] = {
    {"OptLame", "cmdOpenOpt", "cmdOuvrir"},
    {"OptLame", "cmdSaveOpt", "cmdSauver"},
    {"OptLame", "TabTitle1", "TabOption", CaptionKind::Tab, 0},
    {"OptLame", "TabTitle2", "TabOption", CaptionKind::Tab, 1},
    {"OptLame", "TabTitle3", "TabOption", CaptionKind::Tab, 2},
    {"OptLame", "TabTitle4", "TabOption", CaptionKind::Tab, 3},
    {"OptLame", "TabTitle5", "TabOption", CaptionKind::Tab, 4},
    {"OptLame", "frmMode", "frmMode"},
    {"OptLame", "lblDefault", "cmbMode", CaptionKind::ListEntry, 4},
    {"OptLame", "TabFolder", "frmDossierSorti"},
    {"OptLame", "optSameFolder", "optMemeDossier"},
    {"OptLame", "optChooseFolder", "optChoixDossier"},
    {"OptLame", "frmOptimization", "frmOptimisation"},
    {"OptLame", "cmbOptimizationNone", "cmbOptimisation", CaptionKind::ListEntry, 0},
    {"OptLame", "cmbOptimizationSpeed", "cmbOptimisation", CaptionKind::ListEntry, 1},
    {"OptLame", "cmbOptimizationQuality", "cmbOptimisation", CaptionKind::ListEntry, 2},
    {"OptLame", "frmOption", "frmCrc"},
    {"OptLame", "chkCRC", "chkCrc"},
    {"OptLame", "frmFlag", "frmMarque"},
    {"OptLame", "chkCopy", "chkCopie"},
    {"OptLame", "chkCopyright", "chkCopyright"},
    {"OptLame", "frmDelete", "frmSuppression"},
    {"OptLame", "chkDelete", "chkSupp"},
    {"OptLame", "chkVBRActive", "chkActiveVBR"},
    {"OptLame", "frmVBR", "frmVBR"},
    {"OptLame", "frmQuality", "frmQualite"},
    {"OptLame", "chkDisableWriteTag", "chkDesactiveEcritureTag"},
    {"OptLame", "chkApplyMiniBitrate", "chkAppliquerBitrateMini"},
    {"OptLame", "chkABR", "chkABR"},
    {"OptLame", "frmABR", "frmABR"},
    {"OptLame", "frmATHControl", "frmControleATH"},
    {"OptLame", "lblControlMode", "lblATH"},
    {"OptLame", "lblATHLevel", "lblNiveauATH"},
    {"OptLame", "lblDefault", "cmbATH", CaptionKind::ListEntry, 0},
    {"OptLame", "cmbATHOnly", "cmbATH", CaptionKind::ListEntry, 1},
    {"OptLame", "cmbATHDisable", "cmbATH", CaptionKind::ListEntry, 2},
    {"OptLame", "cmbATHShortBlocs", "cmbATH", CaptionKind::ListEntry, 3},
    {"OptLame", "lblDefault", "cmbNiveauATH", CaptionKind::ListEntry, 0},
    {"OptLame", "lblDefault", "cmbFrequenceEchantillon", CaptionKind::ListEntry, 0},
    {"OptLame", "cmbFreq11", "cmbFrequenceEchantillon", CaptionKind::ListEntry, 2},
    {"OptLame", "cmbFreq22", "cmbFrequenceEchantillon", CaptionKind::ListEntry, 5},
    {"OptLame", "cmbFreq44", "cmbFrequenceEchantillon", CaptionKind::ListEntry, 8},
    {"OptLame", "chkApplyDifferBlocs", "chkAutoriserBlocDiferer"},
    {"OptLame", "chkFilterDisable", "chkDesactiveFiltrage"},
    {"OptLame", "chkBitReservoirDisable", "chkDesactiveBitReservoir"},
    {"OptLame", "chkShortBlocs", "chkDesactiveBlocCourt"},
    {"OptLame", "chkISONorm", "chkISO"},
    {"OptLame", "frmFrequency", "frmFrequenceEchantillon"},
    {"OptLame", "frmHighPassFilter", "frmFiltreHighpass"},
    {"OptLame", "chkFilterHihpass", "chkFiltrerHighpass"},
    {"OptLame", "chkHighpassWidth", "chkLargeurFiltreHighpass"},
    {"OptLame", "frmLowPassFilter", "frmFiltreLowpass"},
    {"OptLame", "chkFilterLowpass", "chkFiltrerLowpass"},
    {"OptLame", "chkLowpassWidth", "chkLargeurFiltreLowpass"},
    {"Main", "cmdCancel", "cmdAnnuler"},
};
static_assert(std::size(kCaptions) == 55);

const char* const kFontControls[] = {
    "TabOption",
    "txtdescription",
    "txtOption",
    "txtQualite",
    "frmBitrate",
    "frmMode",
    "cmbMode",
    "frmDossierSorti",
    "optChoixDossier",
    "optMemeDossier",
    "txtDossierSortie",
    "frmOptimisation",
    "cmbOptimisation",
    "frmMarque",
    "chkCopie",
    "chkCopyright",
    "frmCrc",
    "chkCrc",
    "chkSupp",
    "frmFiltreHighpass",
    "frmFiltreLowpass",
    "frmFrequenceEchantillon",
    "frmABR",
    "frmControleATH",
    "frmQualite",
    "frmSuppression",
    "frmVBR",
    "chkActiveVBR",
    "chkABR",
    "chkAppliquerBitrateMini",
    "chkAutoriserBlocDiferer",
    "chkDesactiveBitReservoir",
    "chkDesactiveBlocCourt",
    "chkDesactiveEcritureTag",
    "chkDesactiveFiltrage",
    "chkFiltrerHighpass",
    "chkFiltrerLowpass",
    "chkISO",
    "chkLargeurFiltreHighpass",
    "chkLargeurFiltreLowpass",
    "cmbATH",
    "cmbFrequenceEchantillon",
    "cmbNiveauATH",
    "lblATH",
    "lblNiveauATH",
};
static_assert(std::size(kFontControls) == 45);

const QString kPresetFilter = QStringLiteral("Quenzal Reglage (*.qzo)|*.qzo");

// The folder a run writes into for a folder text: "~" is the home folder, and a relative
// folder lies inside it.
QString folderOfRun(const QString& text)
{
    QString folder = text.trimmed();
    if (folder.isEmpty())
        return {}; // names no folder
    if (folder == QLatin1String("~") || folder.startsWith(QLatin1String("~/")))
        folder = QDir::homePath() + folder.mid(1);
    return QDir::home().filePath(folder);
}

} // namespace

std::span<const CaptionEntry> frmOptionLame::captionTable()
{
    return kCaptions;
}

std::span<const char* const> frmOptionLame::fontControls()
{
    return kFontControls;
}

frmOptionLame::frmOptionLame(QWidget* parent, const KeptOptions& kept, Desktop& desktop,
                             const Language& language, const QString& programFolder,
                             const QString& userPresetFolder)
    : QDialog(parent)
    , m_ui(std::make_unique<OptionPages>(this))
    , m_kept(kept)
    , m_desktop(desktop)
    , m_language(language)
    , m_programFolder(programFolder)
    , m_userPresetFolder(userPresetFolder)
{
    setObjectName(QStringLiteral("frmOptionLame"));
    setWindowTitle(QStringLiteral("Quenzal"));
    m_ui->txtdescription->setToolTip(text("accDescription"));
    m_ui->txtOption->setToolTip(text("accPreview"));
    connectRows();
    connect(m_ui->cmdOK, &QPushButton::clicked, this, &frmOptionLame::cmdOK_Click);
    connect(m_ui->cmdAnnuler, &QPushButton::clicked, this, &frmOptionLame::cmdAnnuler_Click);
    connect(m_ui->cmdOuvrir, &QPushButton::clicked, this, &frmOptionLame::cmdOuvrir_Click);
    connect(m_ui->cmdSauver, &QPushButton::clicked, this, &frmOptionLame::cmdSauver_Click);
    connect(m_ui->cmdDossier, &QPushButton::clicked, this, &frmOptionLame::cmdDossier_Click);
    showOptions(m_kept);

    // Enter and Escape are the window's, whichever control has the focus.
    for (QWidget* child : findChildren<QWidget*>())
        child->installEventFilter(this);
}

frmOptionLame::~frmOptionLame() = default;

void frmOptionLame::setKept(const KeptOptions& kept)
{
    m_kept = kept;
    showOptions(m_kept);
}

QString frmOptionLame::text(const char* key) const
{
    return MessageText(m_language, QStringLiteral("OptLame"), QLatin1String(key));
}

void frmOptionLame::showEvent(QShowEvent* event)
{
    showNotes();
    QDialog::showEvent(event);
}

void frmOptionLame::showNotes()
{
    QStringList notes;
    const LameOptions& o = m_edit.options;
    // -f and -h are quality levels of their own; lame keeps the last one given.
    if ((o.Optimisation == 1 || o.Optimisation == 2) && o.NiveauATH >= 1 && o.NiveauATH <= 10)
        notes << text("msgQualityWins")
                     .arg(QString::number(o.NiveauATH - 1), m_ui->cmbOptimisation->currentText());
    QStringList ignored;
    for (const DoubtfulSwitch& doubtful : DoubtfulSwitches()) {
        const QWidget* control = findChild<QWidget*>(QLatin1String(doubtful.control));
        const auto* box = qobject_cast<const QCheckBox*>(control);
        const auto* list = qobject_cast<const QComboBox*>(control);
        if ((box ? BoxState(box) : list ? list->currentIndex() : -1) != doubtful.value)
            continue;
        if (!m_ignored) {
            QStringList words;
            for (const DoubtfulSwitch& d : DoubtfulSwitches())
                words << QLatin1String(d.word);
            const WaitCursor wait;
            m_ignored = IgnoredSwitches(LamePath(m_programFolder), words);
        }
        if (m_ignored->contains(QLatin1String(doubtful.word)))
            ignored << (box ? box->text() : list->currentText()) + QStringLiteral(" (") +
                           QLatin1String(doubtful.word) + QLatin1Char(')');
    }
    if (!ignored.isEmpty())
        notes << text("msgIgnored").arg(ignored.join(QStringLiteral(", ")));
    m_ui->lblAvis->setText(notes.join(QLatin1Char('\n')));
    m_ui->lblAvis->setVisible(!notes.isEmpty());
}

bool frmOptionLame::optionsHold()
{
    if (m_ui->optChoixDossier->isChecked() &&
        !QFileInfo(folderOfRun(m_ui->txtDossierSortie->text())).isDir())
        m_desktop.showMessage(this, text("msgErrFolder"), QStringLiteral("Quenzal"),
                              Desktop::Icon::Warning);

    const LameOptions& o = m_edit.options;
    if (o.ABR == 1 && (o.BitrateABR < o.Bitrate || o.BitrateABR > o.BitrateVBR)) {
        m_desktop.showMessage(this, text("msgErrBitrate"), QStringLiteral("Quenzal"),
                              Desktop::Icon::Critical);
        return false;
    }
    return true;
}

void frmOptionLame::cmdOK_Click()
{
    if (!optionsHold())
        return;
    const QString switches = m_ui->txtOption->text();
    if (!lameAccepts(switches))
        return;

    KeptOptions kept = m_edit;
    kept.switches = switches;
    kept.outputFolder =
        m_ui->optChoixDossier->isChecked() ? m_ui->txtDossierSortie->text() : QString();
    if (!SaveKeptOptions(kept))
        m_desktop.showMessage(this,
                              text("msgSettingsNotSaved") + QStringLiteral("\n\n") +
                                  QDir::toNativeSeparators(SettingsFilePath()),
                              QStringLiteral("Quenzal"), Desktop::Icon::Critical);
    m_kept = kept;
    accept();
    Q_EMIT confirmed(m_kept);
}

bool frmOptionLame::lameAccepts(const QString& switches)
{
    LameVerdict verdict;
    {
        const WaitCursor wait;
        verdict = CheckLameSwitches(LamePath(m_programFolder), switches);
    }
    if (verdict.refusal) {
        const QString question = text("msgLameRefused") + QStringLiteral("\n\n") +
                                 *verdict.refusal + QStringLiteral("\n\n") + text("msgLameKeep");
        return m_desktop.ask(this, question, QStringLiteral("Quenzal"));
    }
    QStringList warnings = verdict.warnings;
    // What the options mean beside what lame does with them (switches typed into the store by
    // hand have no options to compare with).
    const LameOptions& o = m_edit.options;
    if (switches == BuildLameCommand(o) + QLatin1Char(' ')) {
        if (const QStringList filters = FiltersOutOfRange(o); !filters.isEmpty())
            warnings.prepend(text("msgFilterRange").arg(filters.join(QStringLiteral(", "))));
        // A constant rate the output's MPEG version does not have becomes another one.
        static const QRegularExpression cbr(QStringLiteral("Layer III \\([^)]*\\) +(\\d+) kbps"));
        const QRegularExpressionMatch rate = cbr.match(verdict.summary);
        if (o.ActiveVBR != 1 && rate.hasMatch() && rate.captured(1).toInt() != o.Bitrate)
            warnings.prepend(text("msgLameRate").arg(rate.captured(1), QString::number(o.Bitrate)));
    }
    if (!warnings.isEmpty()) {
        const QString question = text("msgLameWarns") + QStringLiteral("\n\n") +
                                 warnings.join(QLatin1Char('\n')) + QStringLiteral("\n\n") +
                                 text("msgLameKeepWarned");
        return m_desktop.ask(this, question, QStringLiteral("Quenzal"));
    }
    return true;
}

void frmOptionLame::cmdAnnuler_Click()
{
    showOptions(m_kept);
}

void frmOptionLame::reject()
{
    cmdAnnuler_Click();
    QDialog::reject();
}

QString frmOptionLame::presetFolder() const
{
    const QString folder = m_programFolder + QStringLiteral("/Preset/");
    return QFileInfo(folder).isDir() ? folder : m_programFolder;
}

QString frmOptionLame::ownPresetFolder() const
{
    if (m_userPresetFolder.isEmpty() || FolderTakesWrites(presetFolder()))
        return {};
    return m_userPresetFolder.endsWith(QLatin1Char('/')) ? m_userPresetFolder
                                                         : m_userPresetFolder + QLatin1Char('/');
}

void frmOptionLame::cmdOuvrir_Click()
{
    // The user's own presets are the ones most often wanted back; the shipped ones stay a
    // click away.
    const QString own = ownPresetFolder();
    QStringList places{presetFolder()};
    if (!m_userPresetFolder.isEmpty())
        places << m_userPresetFolder;
    const QString path = m_desktop.openFileName(
        this, text("dlgOpenPreset"),
        !own.isEmpty() && QFileInfo(own).isDir() ? own : presetFolder(), kPresetFilter, places);
    if (path.isEmpty())
        return;
    KeptOptions read = m_edit;
    const PresetResult result = ReadPresetFile(path, read);
    if (!result.ok) {
        m_desktop.showMessage(
            this, text("msgPresetStopped").arg(QDir::toNativeSeparators(path), result.stoppedAt),
            QStringLiteral("Quenzal"), Desktop::Icon::Warning);
        return;
    }
    read.switches.clear(); // rebuilt from the preset's options
    showOptions(read);
}

void frmOptionLame::cmdSauver_Click()
{
    QString folder = ownPresetFolder();
    if (folder.isEmpty() || !QDir().mkpath(folder))
        folder = presetFolder();
    QString path = m_desktop.saveFileName(this, text("dlgSavePreset"), folder, kPresetFilter);
    if (path.isEmpty())
        return;
    // Ouvrir lists *.qzo files only.
    if (!path.endsWith(QLatin1String(kPresetSuffix), Qt::CaseInsensitive))
        path += QLatin1String(kPresetSuffix);
    if (!WritePresetFile(m_edit, path).ok)
        m_desktop.showMessage(this,
                              text("msgPresetNotSaved") + QStringLiteral("\n\n") +
                                  QDir::toNativeSeparators(path),
                              QStringLiteral("Quenzal"), Desktop::Icon::Critical);
}

void frmOptionLame::cmdDossier_Click()
{
    const QString folder = BrowseForFolder(m_desktop, this, text("dlgFolder"));
    if (!folder.isEmpty())
        m_ui->txtDossierSortie->setText(folder);
}

bool frmOptionLame::eventFilter(QObject* watched, QEvent* event)
{
    // Only keys meant for this window: a list's open popup keeps its own Enter and Escape.
    if (event->type() == QEvent::KeyPress && watched->isWidgetType() &&
        static_cast<QWidget*>(watched)->window() == this) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            cmdOK_Click();
            return true;
        }
        if (key == Qt::Key_Escape) {
            reject();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void frmOptionLame::keyPressEvent(QKeyEvent* event)
{
    const int key = event->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter)
        cmdOK_Click();
    else if (key == Qt::Key_Escape)
        reject();
    else
        QDialog::keyPressEvent(event);
}

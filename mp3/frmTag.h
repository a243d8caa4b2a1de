#pragma once

#include "mp3/clsMP3.h"
#include "settings/Captions.h"

#include <QDialog>
#include <QPersistentModelIndex>

#include <span>

class Desktop;
class Language;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListView;
class QPushButton;
class QStringListModel;
class QTreeWidget;
class QTreeWidgetItem;

// The tag editor: the user browses to one MP3 file, sees its MPEG header and its ID3v1 tag,
// and writes an edited tag back. Shown modally; Escape or the close box rejects it, and the
// program then discards it, so every opening starts from the built-in state.
class frmTag final : public QDialog {
    Q_OBJECT

public:
    frmTag(QWidget* parent, Desktop& desktop, const Language& language);
    ~frmTag() override;

    // The captions that follow the language, in the order the program applies them.
    static std::span<const CaptionEntry> captionTable();

    // Selects the file's volume, folder and the file itself, and shows its information just as
    // a click on it would. A file that is missing, hidden or not listed as "*.mp3" leaves the
    // file unselected (its folder is still shown when it exists).
    void showFile(const QString& path);

    // The folder chosen in dirDur, and the path the selected file of fleDur has in it (the
    // folder followed by a separator when no file is selected).
    QString folderPath() const;
    QString selectedFilePath() const;

    void drvDur_Change();
    void dirDur_Change();
    void fleDur_Click();
    void cmdOK_Click();

    // Controls, named as the language files and tests know them.
    QLabel* lblChemin = nullptr;
    QComboBox* drvDur = nullptr;
    QTreeWidget* dirDur = nullptr;
    QListView* fleDur = nullptr;

    QGroupBox* frmTags = nullptr;
    QLabel* lblTitre = nullptr;
    QLabel* lblArtiste = nullptr;
    QLabel* lblAlbum = nullptr;
    QLabel* lblAnnee = nullptr;
    QLabel* lblCom = nullptr;
    QLabel* lblGenre = nullptr;
    QLineEdit* txtTitre = nullptr;
    QLineEdit* txtArtiste = nullptr;
    QLineEdit* txtAlbum = nullptr;
    QLineEdit* txtAnnee = nullptr;
    QLineEdit* txtCommentaire = nullptr;
    QComboBox* genre = nullptr;
    QLabel* lblGenreNum = nullptr;
    QCheckBox* chkLectureSeul = nullptr;

    QGroupBox* frmMPEGinfo = nullptr;
    QLabel* lblTaille = nullptr;
    QLabel* lblDurée = nullptr;
    QLabel* lblCrc = nullptr;
    QLabel* lblCopyright = nullptr;
    QLabel* lblOriginal = nullptr;
    QLabel* lblEmphasis = nullptr;
    QLabel* lblTaille2 = nullptr;
    QLabel* lblOctet = nullptr;
    QLabel* lblDuree2 = nullptr;
    QLabel* lblsecond = nullptr;
    QLabel* lblMpg = nullptr;
    QLabel* lblBitFrame = nullptr;
    QLabel* lblHzSon = nullptr;
    QLabel* lblCrc2 = nullptr;
    QLabel* lblCopyright2 = nullptr;
    QLabel* lblOriginal2 = nullptr;
    QLabel* lblEmphasis2 = nullptr;

    QPushButton* cmdOK = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void createTopPart();
    void createTagFrame();
    void createInfoFrame();
    void fillVolumes();
    // Chooses the volume of `folder` without reacting as a user's choice would.
    void selectVolumeOf(const QString& folder);
    // The chosen volume's folder tree, with `folder` (or the volume's root) chosen in it.
    void showFolderTree(const QString& root, const QString& folder);
    QTreeWidgetItem* folderItem(const QString& folder);
    void loadSubfolders(QTreeWidgetItem* item);
    void openFolder(const QString& folder);
    void showHeader(const QString& path);
    void showTag(const QString& path);
    QString yesNo(bool value) const;
    void setClientHeight(int twips);

    Desktop& m_desktop;
    const Language& m_language;
    QStringListModel* m_files = nullptr;
    clsMP3 m_mp3;
    // fleDur's current row as a mouse press began: a click on it shows the file again.
    QPersistentModelIndex m_currentAtPress;
};

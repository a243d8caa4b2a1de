#pragma once

class QCheckBox;
class QComboBox;
class QDialog;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListView;
class QPushButton;
class QTreeView;

// The tag editor's controls, made and laid out as designed (French design captions, lengths
// in twips). frmTag gives them their models and behaviour; nothing here reacts to anything.
struct frmTagUi {
    void setupUi(QDialog* window);

    QLabel* lblChemin = nullptr;
    QComboBox* drvDur = nullptr;
    QTreeView* dirDur = nullptr;
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

    // Only the top part shows until a file is shown; then the whole window.
    static constexpr int kCollapsedHeight = 3255;
    static constexpr int kExpandedHeight = 6330;
    void setClientHeight(QDialog* window, int twips) const;

private:
    void createTopPart(QDialog* window);
    void createTagFrame(QDialog* window);
    void createInfoFrame(QDialog* window);
};

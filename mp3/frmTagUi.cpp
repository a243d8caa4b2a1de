#include "mp3/frmTagUi.h"

#include "settings/Twips.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QTreeView>

namespace {

// Design lengths in twips.
constexpr int kClientWidth = 10200;
constexpr int kMargin = 120;
constexpr int kTreeWidth = 3600;
constexpr int kFramesTop = 3240;
constexpr int kFrameHeight = 2535;
constexpr int kTagFrameWidth = 5160;

template <typename T> T* named(QWidget* parent, const char* name)
{
    auto* control = new T(parent);
    control->setObjectName(QString::fromUtf8(name));
    return control;
}

QLabel* label(QWidget* parent, const char* name, const QString& caption = QString())
{
    auto* control = named<QLabel>(parent, name);
    control->setText(caption);
    // Values and captions read from files are shown as they stand, never as markup.
    control->setTextFormat(Qt::PlainText);
    return control;
}

// Places a control by its design rectangle.
void place(QWidget* control, int x, int y, int w, int h)
{
    const double dpiX = control->logicalDpiX(), dpiY = control->logicalDpiY();
    control->setGeometry(TwipsToPixels(x, dpiX), TwipsToPixels(y, dpiY), TwipsToPixels(w, dpiX),
                         TwipsToPixels(h, dpiY));
}

} // namespace

void frmTagUi::setupUi(QDialog* window)
{
    window->setObjectName(QStringLiteral("frmTag"));
    window->setWindowTitle(QStringLiteral("Quenzal"));
    createTopPart(window);
    createTagFrame(window);
    createInfoFrame(window);

    cmdOK = named<QPushButton>(window, "cmdOK");
    cmdOK->setText(QStringLiteral("OK"));
    // Enter in a text box must not write the tag: only a click on OK does.
    cmdOK->setAutoDefault(false);
    place(cmdOK, kClientWidth - kMargin - 1215, kFramesTop + kFrameHeight + 75, 1215, 405);

    for (QWidget* lower : {static_cast<QWidget*>(frmTags), static_cast<QWidget*>(frmMPEGinfo),
                           static_cast<QWidget*>(cmdOK)})
        lower->hide();
    setClientHeight(window, kCollapsedHeight);
}

void frmTagUi::setClientHeight(QDialog* window, int twips) const
{
    window->setFixedSize(TwipsToPixels(kClientWidth, window->logicalDpiX()),
                         TwipsToPixels(twips, window->logicalDpiY()));
}

void frmTagUi::createTopPart(QDialog* window)
{
    const int right = kClientWidth - kMargin;
    const int listLeft = kMargin + kTreeWidth + kMargin;

    lblChemin = label(window, "lblChemin");
    lblChemin->setTextInteractionFlags(Qt::TextSelectableByMouse);
    place(lblChemin, kMargin, 60, right - kMargin, 300);

    drvDur = named<QComboBox>(window, "drvDur");
    place(drvDur, kMargin, 420, kTreeWidth, 345);

    dirDur = named<QTreeView>(window, "dirDur");
    dirDur->setHeaderHidden(true);
    dirDur->setUniformRowHeights(true);
    dirDur->setEditTriggers(QAbstractItemView::NoEditTriggers);
    place(dirDur, kMargin, 825, kTreeWidth, 3150 - 825);

    fleDur = named<QListView>(window, "fleDur");
    fleDur->setUniformItemSizes(true); // a folder of thousands of files stays quick
    fleDur->setEditTriggers(QAbstractItemView::NoEditTriggers);
    fleDur->setSelectionMode(QAbstractItemView::SingleSelection);
    place(fleDur, listLeft, 420, right - listLeft, 3150 - 420);
}

void frmTagUi::createTagFrame(QDialog* window)
{
    frmTags = named<QGroupBox>(window, "frmTags");
    frmTags->setTitle(QStringLiteral("ID3v1"));
    place(frmTags, kMargin, kFramesTop, kTagFrameWidth, kFrameHeight);

    lblTitre = label(frmTags, "lblTitre", QStringLiteral("Titre:"));
    lblArtiste = label(frmTags, "lblArtiste", QStringLiteral("Artiste:"));
    lblAlbum = label(frmTags, "lblAlbum", QStringLiteral("Album:"));
    lblAnnee = label(frmTags, "lblAnnee", QStringLiteral("Année:"));
    lblCom = label(frmTags, "lblCom", QStringLiteral("Commentaire:"));
    lblGenre = label(frmTags, "lblGenre", QStringLiteral("Genre:"));
    txtTitre = named<QLineEdit>(frmTags, "txtTitre");
    txtArtiste = named<QLineEdit>(frmTags, "txtArtiste");
    txtAlbum = named<QLineEdit>(frmTags, "txtAlbum");
    txtAnnee = named<QLineEdit>(frmTags, "txtAnnee");
    txtAnnee->setFixedWidth(txtAnnee->fontMetrics().horizontalAdvance(QStringLiteral("00000")) +
                            12);
    txtCommentaire = named<QLineEdit>(frmTags, "txtCommentaire");
    genre = named<QComboBox>(frmTags, "genre");
    genre->setMaxVisibleItems(20);
    lblGenreNum = label(frmTags, "lblGenreNum");
    lblGenreNum->setAlignment(Qt::AlignCenter);
    lblGenreNum->setMinimumWidth(
        lblGenreNum->fontMetrics().horizontalAdvance(QStringLiteral("0000")));
    chkLectureSeul = named<QCheckBox>(frmTags, "chkLectureSeul");
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
        // The caption names its box for screen readers.
        rows[row].first->setBuddy(rows[row].second);
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

void frmTagUi::createInfoFrame(QDialog* window)
{
    frmMPEGinfo = named<QGroupBox>(window, "frmMPEGinfo");
    frmMPEGinfo->setTitle(QStringLiteral("Info MPEG"));
    const int left = kMargin + kTagFrameWidth + kMargin;
    place(frmMPEGinfo, left, kFramesTop, kClientWidth - kMargin - left, kFrameHeight);

    lblTaille = label(frmMPEGinfo, "lblTaille", QStringLiteral("Taille:"));
    lblDurée = label(frmMPEGinfo, "lblDurée", QStringLiteral("Durée:"));
    lblCrc = label(frmMPEGinfo, "lblCrc", QStringLiteral("CRC:"));
    lblCopyright = label(frmMPEGinfo, "lblCopyright", QStringLiteral("Droits d'auteur:"));
    lblOriginal = label(frmMPEGinfo, "lblOriginal", QStringLiteral("Original:"));
    lblEmphasis = label(frmMPEGinfo, "lblEmphasis", QStringLiteral("Emphase:"));
    lblTaille2 = label(frmMPEGinfo, "lblTaille2");
    lblOctet = label(frmMPEGinfo, "lblOctet", QStringLiteral("octets"));
    lblDuree2 = label(frmMPEGinfo, "lblDuree2");
    lblsecond = label(frmMPEGinfo, "lblsecond", QStringLiteral("secondes"));
    lblMpg = label(frmMPEGinfo, "lblMpg");
    lblBitFrame = label(frmMPEGinfo, "lblBitFrame");
    lblHzSon = label(frmMPEGinfo, "lblHzSon");
    lblCrc2 = label(frmMPEGinfo, "lblCrc2");
    lblCopyright2 = label(frmMPEGinfo, "lblCopyright2");
    lblOriginal2 = label(frmMPEGinfo, "lblOriginal2");
    lblEmphasis2 = label(frmMPEGinfo, "lblEmphasis2");

    // The size and duration lines read as one text each: value and unit side by side.
    const auto line = [](QLabel* value, QLabel* unit) {
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

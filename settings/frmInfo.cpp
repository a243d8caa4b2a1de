#include "settings/frmInfo.h"

#include <QApplication>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QSvgRenderer>
#include <QVBoxLayout>

namespace {

const CaptionEntry kCaptions[] = {{"Info", "msgUser", "lblAvertissement"}};

QFrame* line(QWidget* parent, const char* name)
{
    auto* frame = new QFrame(parent);
    frame->setObjectName(QLatin1String(name));
    frame->setFrameShape(QFrame::HLine);
    frame->setFrameShadow(QFrame::Sunken);
    return frame;
}

// The banner drawn from its SVG at the screen's pixel density.
QPixmap banner(qreal ratio)
{
    QPixmap pixmap(QSize(260, 50) * ratio);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    QSvgRenderer(QStringLiteral(":/banner.svg")).render(&painter);
    painter.end();
    pixmap.setDevicePixelRatio(ratio);
    return pixmap;
}

} // namespace

std::span<const CaptionEntry> frmInfo::captionTable()
{
    return kCaptions;
}

frmInfo::frmInfo(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("frmInfo"));
    setWindowTitle(QStringLiteral("Quenzal"));

    imgMp3 = new QLabel(this);
    imgMp3->setObjectName(QStringLiteral("imgMp3"));
    imgMp3->setPixmap(banner(devicePixelRatioF()));
    imgMp3->setFixedSize(260, 50);
    imgMp3->setAccessibleName(QStringLiteral("Quenzal"));
    // The version a user quotes in a report: information, so no accessible name of its own.
    lblVersion = new QLabel(QStringLiteral("Quenzal " QUENZAL_VERSION), this);
    lblVersion->setObjectName(QStringLiteral("lblVersion"));
    lblVersion->setTextInteractionFlags(Qt::TextSelectableByMouse);
    ln1 = line(this, "ln1");
    lblAvertissement = new QLabel(
        QStringLiteral("Ce logiciel est protégé. Il est utilisé selon les termes de sa licence : "
                       "Quenzal est un logiciel libre, fourni tel quel, sans aucune garantie. Il "
                       "utilise l'encodeur LAME, distribué sous sa propre licence."),
        this);
    lblAvertissement->setObjectName(QStringLiteral("lblAvertissement"));
    lblAvertissement->setWordWrap(true);
    lblAvertissement->setTextFormat(Qt::PlainText);
    ln2 = line(this, "ln2");
    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    connect(cmdOK, &QPushButton::clicked, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(imgMp3, 0, Qt::AlignHCenter);
    layout->addWidget(lblVersion, 0, Qt::AlignHCenter);
    layout->addWidget(ln1);
    layout->addWidget(lblAvertissement);
    layout->addWidget(ln2);
    layout->addWidget(cmdOK, 0, Qt::AlignRight);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    lblAvertissement->setFixedWidth(320);
}

void frmInfo::keyPressEvent(QKeyEvent* event)
{
    // Enter and Escape close the window whichever control has the focus.
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        accept();
        return;
    case Qt::Key_Escape:
        reject();
        return;
    default:
        QDialog::keyPressEvent(event);
    }
}

#pragma once

#include "settings/Captions.h"

#include <QDialog>

#include <span>

class QFrame;
class QLabel;
class QPushButton;

// The About window: the program's banner and a notice to the user. OK, Enter and Escape close
// it; the program discards it then, so the next opening makes it afresh.
class frmInfo final : public QDialog {
    Q_OBJECT

public:
    explicit frmInfo(QWidget* parent);

    static std::span<const CaptionEntry> captionTable();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    // Controls, reached by their object names.
    QLabel* imgMp3 = nullptr;
    QFrame* ln1 = nullptr;
    QFrame* ln2 = nullptr;
    QLabel* lblVersion = nullptr;
    QLabel* lblAvertissement = nullptr;
    QPushButton* cmdOK = nullptr;
};

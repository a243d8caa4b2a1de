#pragma once

#include "mp3/Mp3Tags.h"
#include "mp3/clsMP3.h"
#include "settings/Captions.h"

#include <QDialog>
#include <QPersistentModelIndex>

#include <array>
#include <memory>
#include <optional>
#include <span>

class Desktop;
class Language;
class QFileSystemModel;
class QLineEdit;
class QValidator;
struct frmTagUi;

// The tag editor: the user browses to one MP3 file, sees its MPEG header and its tags (the
// ID3v2 fields when the file has them, else the ID3v1 ones), and writes the edited fields
// back to both tags. Shown modally; Escape or the close box rejects it, and the
// program then discards it, so every opening starts from the built-in state. Its controls are
// private; tests reach them by their object names.
class frmTag final : public QDialog {
    Q_OBJECT

public:
    frmTag(QWidget* parent, Desktop& desktop, const Language& language);
    ~frmTag() override;

    // The captions that follow the language, in the order the program applies them.
    static std::span<const CaptionEntry> captionTable();

    // Selects the file's volume, folder and the file itself, and shows its information just as
    // a click on it would. A file that is missing, hidden or not named "*.mp3" leaves the file
    // unselected (its folder is still shown when it exists).
    void showFile(const QString& path);

    // The folder whose MP3 files the file list shows.
    QString folderPath() const { return m_folder; }

private:
    void connectControls();
    void fillVolumes();
    // Chooses the volume of `folder` without reacting as a user's choice would.
    void selectVolumeOf(const QString& folder);
    // The volume's folder tree, with `folder` chosen in it and its files listed.
    void openFolder(const QString& folder);
    void listFolder(const QString& folder);
    void drvDur_Change();
    void dirDur_Change(const QModelIndex& current);
    void fleDur_Click();
    void cmdOK_Click();
    QString selectedFilePath() const;
    void showHeader(const QString& path);
    void showTag(const QString& path);
    QString yesNo(bool value) const;
    QString text(const char* key) const;
    Id3v2Changes id3v2Changes() const;
    std::array<QLineEdit*, 5> textBoxes() const;
    bool eventFilter(QObject* watched, QEvent* event) override;

    std::unique_ptr<frmTagUi> ui;
    Desktop& m_desktop;
    const Language& m_language;
    QFileSystemModel* m_folders = nullptr; // the folders of the chosen volume
    QFileSystemModel* m_files = nullptr;   // the MP3 files of the chosen folder
    QString m_folder;
    clsMP3 m_mp3;
    // The text boxes' limits to the ID3v1 widths, lifted while ID3v2 fields are shown.
    std::array<QValidator*, 5> m_limits{};
    // The shown file's ID3v2 tag as read, and the genre shown: OK writes what differs.
    std::optional<Id3v2Text> m_id3v2;
    int m_shownGenre = 12;
    bool m_genreFromId3v1 = false; // the genre shown is the ID3v1 tag's
    // fleDur's current row as a mouse press began: a click on it shows the file again.
    QPersistentModelIndex m_currentAtPress;
};

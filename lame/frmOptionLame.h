#pragma once

#include "lame/KeptOptions.h"
#include "settings/Captions.h"

#include <QDialog>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>
#include <span>

class Desktop;
class Language;
class QCheckBox;
struct OptionPages;
struct OptionRow;

// The LAME options window: every encoding option on five pages, the live preview of the
// switches, presets, and the output folder of conversion runs. It edits a copy of the kept
// options and shows it; OK checks it with lame, stores it and hands it over through
// `confirmed`; Annuler and Escape put the kept options back. Controls are reached by their
// objectName (the option table names them).
class frmOptionLame final : public QDialog {
    Q_OBJECT

public:
    // `programFolder` holds `lame` and the preset folder `Preset/`. `userPresetFolder` is the
    // user's own preset folder: when Quenzal may not write into the program's Preset/ folder
    // (an installed program), Sauver saves there (making it when needed) and Ouvrir starts
    // there once it exists; Ouvrir always offers both folders. Empty: none.
    frmOptionLame(QWidget* parent, const KeptOptions& kept, Desktop& desktop,
                  const Language& language, const QString& programFolder,
                  const QString& userPresetFolder = QString());
    ~frmOptionLame() override;

    // The captions that follow the language and the controls that follow the chosen font;
    // the program applies them.
    static std::span<const CaptionEntry> captionTable();
    static std::span<const char* const> fontControls();

    // What OK last kept (or the window was made with).
    const KeptOptions& kept() const { return m_kept; }
    // Takes a new kept value (for example the output folder as a run cleaned it) and shows it.
    void setKept(const KeptOptions& kept);

    // A check box as the options keep it: 0 cleared, 1 ticked, 2 greyed.
    static int BoxState(const QCheckBox* box);
    // False, with the box unchanged, for any other state.
    static bool SetBoxState(QCheckBox* box, int state);

public Q_SLOTS:
    // Escape and the close box: the kept options come back, then the dialog ends.
    void reject() override;

Q_SIGNALS:
    // OK passed its checks and stored the options: the options to use from now on.
    void confirmed(const KeptOptions& kept);

protected:
    // The window sees Enter and Escape before the control that has the focus.
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    // The notes name controls by their captions, which follow the language chosen meanwhile.
    void showEvent(QShowEvent* event) override;

private:
    // Bindings between the option table and the controls (OptionBinding.cpp).
    void connectRows();
    void connectRow(const OptionRow& row);
    void showOptions(const KeptOptions& options);
    void applyRule(const OptionRow& row, int state);
    void showRate(const OptionRow& row);
    void refreshPreview();
    // Says under the preview what lame will not do as the controls say (frmOptionLame.cpp).
    void showNotes();

    // The buttons (frmOptionLame.cpp).
    void cmdOK_Click();
    void cmdAnnuler_Click();
    void cmdOuvrir_Click();
    void cmdSauver_Click();
    void cmdDossier_Click();
    // Asks lame about the switches; false when the user would rather go back.
    bool lameAccepts(const QString& switches);
    // The checks of OK before lame's: false when OK must stop here.
    bool optionsHold();
    QString text(const char* key) const;
    // The shipped presets' folder (the program folder when it has no Preset/).
    QString presetFolder() const;
    // The user's own folder when presets cannot go into presetFolder(); empty otherwise.
    QString ownPresetFolder() const;

    std::unique_ptr<OptionPages> m_ui;
    KeptOptions m_kept; // what OK last kept
    KeptOptions m_edit; // what the controls show
    Desktop& m_desktop;
    const Language& m_language;
    QString m_programFolder;
    QString m_userPresetFolder;
    std::optional<QStringList> m_ignored; // the switches the installed lame ignores, once asked
};

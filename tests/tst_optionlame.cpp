// The LAME options window on its own, under the offscreen platform: its reactions and rules,
// the settings store, preset files, OK, Annuler, the keys and lame's own check.
#include "FakeDesktop.h"
#include "TestEnvironment.h"
#include "TestFiles.h"

#include "lame/LameCheck.h"
#include "lame/LameOptions.h"
#include "lame/LamePersistence.h"
#include "lame/PresetFile.h"
#include "lame/UpDown.h"
#include "lame/frmOptionLame.h"
#include "settings/Language.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QSlider>
#include <QTabBar>
#include <QTest>
#include <QToolButton>

#include <memory>

namespace {

// Every control's state, found by kind rather than by name, to compare two windows.
QStringList snapshot(const frmOptionLame& w)
{
    QStringList states;
    for (const QCheckBox* b : w.findChildren<QCheckBox*>())
        states << b->objectName() + '=' + QString::number(frmOptionLame::BoxState(b));
    for (const QComboBox* c : w.findChildren<QComboBox*>())
        states << c->objectName() + '=' + QString::number(c->currentIndex());
    for (const QSlider* s : w.findChildren<QSlider*>())
        states << s->objectName() + '=' + QString::number(s->value());
    for (const QLineEdit* t : w.findChildren<QLineEdit*>())
        states << t->objectName() + '=' + t->text();
    return states;
}

// Moves every control away from its design value; every third check box greyed.
void setEverything(frmOptionLame& w)
{
    int i = 0;
    for (QCheckBox* b : w.findChildren<QCheckBox*>())
        frmOptionLame::SetBoxState(b, ++i % 3 == 0 ? 2 : 1);
    for (QComboBox* c : w.findChildren<QComboBox*>())
        c->setCurrentIndex(c->count() - 1);
    for (QSlider* s : w.findChildren<QSlider*>())
        s->setValue(s->minimum() + 7);
    w.txtdescription->setText(QString::fromUtf8("Réglages d'été"));
    w.txtQualite->setText("3");
    w.txtHighpass->setText("300");
    w.txtLargeurHighpass->setText("0.5");
    w.txtLowpass->setText("16");
    w.txtLargeurLowpass->setText("2");
}

// The text with the line of one key replaced.
QByteArray withLine(QByteArray text, const QByteArray& key, const QByteArray& line)
{
    const qsizetype at = text.indexOf("\n" + key + '=') + 1;
    return at > 0 ? text.replace(at, text.indexOf('\r', at) - at, line) : text;
}

} // namespace

class TestOptionLame : public QObject {
    Q_OBJECT

    TestEnvironment env;
    QTemporaryDir files;
    Language language;
    LameOptions opts;
    QString command;
    FakeDesktop desk;
    std::unique_ptr<frmOptionLame> w;

    std::unique_ptr<frmOptionLame> make()
    {
        return std::make_unique<frmOptionLame>(nullptr, opts, command, desk, language,
                                               env.programFolder());
    }

    QString preset(const QString& name) const { return files.filePath(name); }

private Q_SLOTS:
    void initTestCase() { language.setPath(env.programFolder() + "/Langue/English"); }

    void init()
    {
        env.clearSettings();
        opts = {};
        command.clear();
        desk = FakeDesktop();
        w = make();
    }
    void cleanup() { w.reset(); }

    void freshWindowAndPages()
    {
        // An empty store: only the five lists have written their fields.
        LameOptions expected;
        expected.Optimisation = 1;
        expected.NiveauATH = 3;
        QVERIFY(opts == expected);
        QCOMPARE(w->txtOption->text(), QString("-b 0 -m s -f -q 2 "));
        QCOMPARE(command, QString("-b 0 -m s -f -q 2"));
        QCOMPARE(w->lblBitrateActuel->text(), QString(" kbps"));
        QVERIFY(!w->txtDossierSortie->isEnabled() && !w->cmdDossier->isEnabled());
        QVERIFY(!w->frmABR->isEnabled() && !w->txtLargeurLowpass->isEnabled());

        const LameLoadResult first = LoadLameOptions(*w, opts);
        QCOMPARE(first.applied, 1);
        QCOMPARE(first.stoppedAt, QString("Bitrate"));
        QVERIFY(!first.copied);
        QCOMPARE(opts.Bitrate, 0);

        // Stored rates show in the labels of a new window.
        Store("Bitrate", "192");
        w = make();
        QCOMPARE(w->lblBitrateActuel->text(), QString("192 kbps"));

        w->show();
        QVERIFY(w->sldBitrate[0]->isVisible() && !w->chkISO->isVisible());
        QTest::mouseClick(w->TabOption, Qt::LeftButton, {}, w->TabOption->tabRect(3).center());
        for (const char* shown : {"chkISO", "cmbATH", "cmbNiveauATH", "chkDesactiveFiltrage"})
            QVERIFY(w->findChild<QWidget*>(shown)->isVisible());
        for (const char* hidden : {"sldBitrate_0", "optMemeDossier", "cmdDossier", "chkCrc",
                                   "chkActiveVBR", "chkABR", "txtHighpass", "cmbMode"})
            QVERIFY(!w->findChild<QWidget*>(hidden)->isVisible());
    }

    void reactionsAndEnabledRules()
    {
        w->cmbMode->setCurrentIndex(3);
        w->cmbFrequenceEchantillon->setCurrentIndex(5);
        w->chkCrc->click();
        QCOMPARE(opts.Mode, 3);
        QCOMPARE(opts.Crc, 1);
        QCOMPARE(w->txtOption->text(), QString("-b 0 -m m -f -p -q 2 --resample 22.05 "));

        // VBR gates six controls; chkABR keeps its tick while disabled.
        w->chkActiveVBR->click();
        QVERIFY(w->frmVBR->isEnabled() && w->chkABR->isEnabled() && w->frmABR->isEnabled());
        w->chkABR->click();
        w->chkActiveVBR->click();
        QVERIFY(!w->chkABR->isEnabled() && !w->frmABR->isEnabled() && !w->frmQualite->isEnabled());
        QVERIFY(w->chkABR->isChecked());
        QCOMPARE(opts.ABR, 1);
        // A greyed box writes 2 and leaves the enabled states alone.
        frmOptionLame::SetBoxState(w->chkActiveVBR, 2);
        QCOMPARE(opts.ActiveVBR, 2);
        QVERIFY(!w->frmVBR->isEnabled());
        w->chkActiveVBR->click(); // greyed → ticked, and never greyed by a click again
        QCOMPARE(opts.ActiveVBR, 1);
        QVERIFY(w->frmVBR->isEnabled() && w->frmABR->isEnabled());
        w->chkActiveVBR->click();
        QCOMPARE(opts.ActiveVBR, 0);

        // Filters: the width keeps its own state when the filter comes back.
        w->chkFiltrerHighpass->click();
        QVERIFY(w->txtHighpass->isEnabled() && !w->txtLargeurHighpass->isEnabled());
        w->chkLargeurFiltreHighpass->click();
        QVERIFY(w->txtLargeurHighpass->isEnabled() && w->upLargeurHighpass->isEnabled());
        w->chkFiltrerHighpass->click();
        w->chkFiltrerHighpass->click();
        QVERIFY(!w->txtLargeurHighpass->isEnabled() && !w->upLargeurHighpass->isEnabled());
        QCOMPARE(opts.LargeurFiltreHighpass, 1);

        // Up-downs write whole numbers into their read-only boxes; code setting a box does
        // not reach the record.
        w->chkFiltrerLowpass->click();
        w->upLowpass->upButton()->click();
        QCOMPARE(w->txtLowpass->text(), QString("100"));
        QCOMPARE(opts.Lowpass, 100.0);
        w->upLowpass->upButton()->click();
        QCOMPARE(opts.Lowpass, 200.0);
        w->txtLowpass->setText("16");
        QCOMPARE(opts.Lowpass, 200.0);
        w->upLowpass->downButton()->click();
        QCOMPARE(opts.Lowpass, 0.0); // 16 - 100, kept at the bottom of the range
        QTest::keyClick(w->txtLowpass, Qt::Key_PageUp);
        QCOMPARE(opts.Lowpass, 1000.0);

        // The quality box is read by the box reader (its rules in tst_lame); its up-down is 0 to 9.
        w->chkActiveVBR->click();
        w->txtQualite->setText(" 4.5 ");
        QCOMPARE(opts.Qualite, 4);
        w->txtQualite->setText("");
        w->upQualite->upButton()->click();
        QCOMPARE(w->txtQualite->text(), QString("1"));
        w->txtQualite->setText("12");
        w->upQualite->upButton()->click();
        QCOMPARE(opts.Qualite, 9);

        w->optChoixDossier->click();
        QVERIFY(w->txtDossierSortie->isEnabled() && w->cmdDossier->isEnabled());
        desk.folderAnswers << files.path();
        w->cmdDossier->click();
        w->cmdDossier->click(); // cancelled: nothing changes
        QCOMPARE(w->outputFolderText(), files.path());
        w->optMemeDossier->click();
        QVERIFY(w->outputFolderText().isEmpty() && !w->txtDossierSortie->isEnabled());
    }

    void slidersFollowEveryUserChange()
    {
        w->show();
        QSlider* rate = w->sldBitrate[0];
        QTest::keyClick(rate, Qt::Key_Right);
        QCOMPARE(opts.Bitrate, 144);
        QCOMPARE(w->lblBitrateActuel->text(), QString("144 kbps"));
        QTest::keyClick(rate, Qt::Key_End);
        QCOMPARE(opts.Bitrate, 320);
        QVERIFY(w->txtOption->text().startsWith("-b 320 "));

        // The wheel moves the handle itself, as a drag does, rather than stepping.
        QWheelEvent wheel(QPointF(5, 5), rate->mapToGlobal(QPointF(5, 5)), {}, {0, -120},
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(rate, &wheel);
        QVERIFY(rate->value() < 17);
        QCOMPARE(opts.Bitrate, IndexToKbps(rate->value()));

        w->TabOption->setCurrentIndex(2);
        w->chkActiveVBR->click();
        QTest::keyClick(w->sldBitrate[1], Qt::Key_PageUp);
        QCOMPARE(opts.BitrateVBR, 256);
        QCOMPARE(w->lblVBRActuel->text(), QString("256 kbps"));
        w->chkABR->click();
        QTest::keyClick(w->sldBitrateABR, Qt::Key_Left);
        QCOMPARE(opts.BitrateABR, 249);
        QCOMPARE(w->lblABRActuel->text(), QString("249 kbps"));

        // Positions set from code run no reaction.
        const LameOptions kept = opts;
        w->sldBitrate[0]->setValue(2);
        w->sldBitrateABR->setValue(100);
        QVERIFY(opts == kept);
        QCOMPARE(w->lblABRActuel->text(), QString("249 kbps"));
    }

    void storeRoundTrip()
    {
        setEverything(*w);
        SaveLameOptions(*w);
        QVERIFY(!Stored("HighPassWith Activé").isEmpty());
        QCOMPARE(Stored("Bitrate"), QString("64"));
        QCOMPARE(Stored("Qualité du VBR"), QString("3"));
        QCOMPARE(Stored("Commande LAME"), w->txtOption->text());

        LameOptions loaded;
        frmOptionLame other(nullptr, loaded, command, desk, language, env.programFolder());
        const LameLoadResult result = LoadLameOptions(other, loaded);
        QVERIFY(result.complete());
        QCOMPARE(result.applied, kLameValueCount);
        QCOMPARE(snapshot(other), snapshot(*w));
        QCOMPARE(loaded.Bitrate, 64);
        QCOMPARE(loaded.BitrateABR, 11);
        QCOMPARE(loaded.LargeurHighpass, 0.5);
        QCOMPARE(loaded.Crc, frmOptionLame::BoxState(w->chkCrc));

        // Without the switches text every option loads and the preview shows what they give
        // (an empty preview would hand empty switches over on OK).
        env.clearSettings();
        w = make();
        SaveLameOptions(*w); // a window at its design values: the number boxes are empty
        Store("Commande LAME", "");
        LameOptions fresh;
        frmOptionLame again(nullptr, fresh, command, desk, language, env.programFolder());
        QVERIFY(LoadLameOptions(again, fresh).complete());
        QCOMPARE(fresh.BitrateABR, 250);
        QCOMPARE(again.txtOption->text(), BuildLameCommand(fresh) + ' ');

        // Off-scale and out-of-range values.
        Store("Bitrate", "100");
        Store("Bitrate ABR", "1000");
        QVERIFY(LoadLameOptions(again, fresh).complete());
        QCOMPARE(again.sldBitrate[0]->value(), 0);
        QCOMPARE(fresh.BitrateABR, 310);
        Store("Bitrate ABR", "-3");
        QVERIFY(LoadLameOptions(again, fresh).complete());
        QCOMPARE(fresh.BitrateABR, 4);

        // Loads that stop, and where.
        const std::tuple<QString, QString, int> stops[] = {
            {"Mode", "5", 2}, {"Copie", "3", 5}, {"Niveau ATH", "abc", 16}};
        for (const auto& [name, value, applied] : stops) {
            SaveLameOptions(again);
            Store(name, value);
            fresh.Crc = 7;
            const LameLoadResult r = LoadLameOptions(again, fresh);
            QCOMPARE(r.stoppedAt, name);
            QCOMPARE(r.applied, applied);
            QCOMPARE(fresh.Crc, 7); // the record was not copied
        }
        SaveLameOptions(again);
        Store("Valeur LowPass", "abc");
        const LameLoadResult r = LoadLameOptions(again, fresh);
        QCOMPARE(r.applied, kLameValueCount);
        QCOMPARE(r.stoppedAt, QString("Lowpass"));
        QCOMPARE(fresh.Crc, 0); // fields before the bad box were copied
    }

    void presetFiles()
    {
        // Through the buttons: the dialogs start in Preset/.
        setEverything(*w);
        w->sldBitrate[0]->setValue(14);
        w->txtdescription->setText('"' + QString(298, QChar(0xE9)) + '"');
        const QString path = preset("mine.qzo");
        writeBytes(path, "[Autre outil]\r\nCle=valeur\r\n[General]\r\nBitrate=8\r\n");
        desk.saveAnswers << path;
        w->cmdSauver->click();
        QCOMPARE(desk.dialogs.last().folder, env.programFolder() + "/Preset/");
        const QByteArray bytes = readBytes(path);
        QVERIFY(bytes.startsWith(
            "[Autre outil]\r\nCle=valeur\r\n[General]\r\nBitrate=192\r\nDescription=\"\""));
        QVERIFY(bytes.contains("\r\n[VBR]\r\nActiverVBR=") &&
                bytes.contains("\r\nQualit\xE9=3\r\n"));

        opts = {};
        w = make();
        desk.openAnswers << path;
        w->cmdOuvrir->click();
        QCOMPARE(w->sldBitrate[0]->value(), 14);
        QCOMPARE(opts.Bitrate, 192);
        QCOMPARE(opts.BitrateABR, 11);
        QCOMPARE(w->lblBitrateActuel->text(), QString("192 kbps"));
        QCOMPARE(w->lblABRActuel->text(), QString("11 kbps"));
        QCOMPARE(w->txtdescription->text().size(), 300); // whole, quotes included
        QCOMPARE(w->txtOption->text(), BuildLameCommand(opts) + ' ');
        w->cmdOuvrir->click(); // cancelled: nothing changes
        QCOMPARE(opts.Bitrate, 192);

        // A text Windows-1252 cannot hold turns the file into UTF-8 rather than "?".
        w->txtdescription->setText(QString::fromUtf8("Voix 日本"));
        QVERIFY(WritePresetFile(*w, path).ok);
        QVERIFY(readBytes(path).startsWith("\xEF\xBB\xBF[Autre outil]"));
        w->txtdescription->clear();
        QVERIFY(ReadPresetIntoWindow(*w, path).ok);
        QCOMPARE(w->txtdescription->text(), QString::fromUtf8("Voix 日本"));

        // Off the scale: the slider falls to 8 kbps, the record keeps the file's rate.
        const QString bad = preset("bad.qzo");
        w->txtdescription->setText("plain");
        QVERIFY(WritePresetFile(*w, bad).ok);
        const QByteArray text = readBytes(bad);
        writeBytes(bad, withLine(text, "Bitrate", "Bitrate=100"));
        desk.openAnswers << bad;
        w->cmdOuvrir->click();
        QCOMPARE(w->sldBitrate[0]->value(), 0);
        QVERIFY(w->txtOption->text().startsWith("-b 100 "));

        // Reads that stop at the key concerned.
        for (const auto& [key, line] : {std::pair<QByteArray, QByteArray>("Mode", "Mode=5"),
                                        {"Copie", "Copie=3"},
                                        {"Norme ISO", "Norme=1"}}) {
            writeBytes(bad, withLine(text, key, line));
            const PresetResult r = ReadPresetIntoWindow(*w, bad);
            QVERIFY(!r.ok);
            QCOMPARE(r.stoppedAt.toUtf8(), key);
            QCOMPARE(ReadPresetIntoOptions(opts, bad).stoppedAt.toUtf8(), key);
        }
        writeBytes(bad, withLine(text, "Qualit\xE9", "Qualit\xE9=abc"));
        QVERIFY(ReadPresetIntoWindow(*w, bad).ok);
        QCOMPARE(ReadPresetIntoOptions(opts, bad).stoppedAt, QString::fromUtf8("Qualité"));

        // A preset written at the design values (empty number boxes) reads back completely.
        w = make();
        QVERIFY(WritePresetFile(*w, preset("plain.qzo")).ok);
        QVERIFY(ReadPresetIntoOptions(opts, preset("plain.qzo")).ok);

        // A failed write leaves the old file.
        QFile::setPermissions(path, QFileDevice::ReadOwner);
        const QByteArray old = readBytes(path);
        QVERIFY(!WritePresetFile(*w, path).ok);
        QCOMPARE(readBytes(path), old);

        // No Preset/ folder: the dialogs start in the program folder.
        QDir(env.programFolder() + "/Preset").removeRecursively();
        w->cmdOuvrir->click();
        QCOMPARE(desk.dialogs.last().folder, env.programFolder());
        QDir().mkpath(env.programFolder() + "/Preset");
    }

    void ownPresetsBesideAnInstalledPresetFolder()
    {
        const QString shipped = env.programFolder() + "/Preset/";
        const QString own = files.filePath("data/Quenzal/Preset");
        w->setUserPresetFolder(own);

        // A Preset/ folder Quenzal may write to keeps the presets; the user's is only offered.
        w->cmdSauver->click();
        QCOMPARE(desk.dialogs.last().folder, shipped);
        QVERIFY(!QFileInfo::exists(own));
        w->cmdOuvrir->click();
        QCOMPARE(desk.dialogs.last().folder, shipped);
        QCOMPARE(desk.dialogs.last().places, QStringList({shipped, own}));

        // Read-only (its owner-write bit off counts for root too): Ouvrir keeps to the
        // shipped presets while the user has none, Sauver makes the user's folder and
        // starts there, and from then on Ouvrir starts there too.
        SetWritable(shipped, false);
        w->cmdOuvrir->click();
        QCOMPARE(desk.dialogs.last().folder, shipped);
        desk.saveAnswers << own + "/mine.qzo";
        w->sldBitrate[0]->setValue(KbpsToIndex(160));
        w->cmdSauver->click();
        QCOMPARE(desk.dialogs.last().folder, own + '/');
        QVERIFY(QFileInfo::exists(own + "/mine.qzo"));
        desk.openAnswers << own + "/mine.qzo";
        w->sldBitrate[0]->setValue(KbpsToIndex(64));
        w->cmdOuvrir->click();
        QCOMPARE(desk.dialogs.last().folder, own + '/');
        QCOMPARE(desk.dialogs.last().places, QStringList({shipped, own}));
        QCOMPARE(opts.Bitrate, 160);

        // A user's folder that cannot be made: Sauver starts in the shipped folder, whose
        // write then fails plainly.
        QTemporaryDir locked;
        SetWritable(locked.path(), false);
        w->setUserPresetFolder(locked.path() + "/Quenzal/Preset");
        {
            NoFileAccessOverride asOwner;
            w->cmdSauver->click();
        }
        QCOMPARE(desk.dialogs.last().folder, shipped);
        SetWritable(locked.path(), true);
        SetWritable(shipped, true);
    }

    void badPresetFilesNeverCrash()
    {
        w->txtdescription->setText("mine");
        QByteArray garbage(70000, '\0');
        for (int i = 0; i < garbage.size(); ++i)
            garbage[i] = char((i * 7919) % 251);
        const QByteArray huge = "[General]\nDescription=big\nBitrate=" + QByteArray(2 << 20, '9');
        // {file, content, what the description box holds afterwards}: a huge file is not read.
        const std::tuple<QString, QByteArray, QString> cases[] = {{"garbage.qzo", garbage, ""},
                                                                  {"empty.qzo", {}, ""},
                                                                  {"huge.qzo", huge, "mine"},
                                                                  {"missing.qzo", "-", ""}};
        for (const auto& [name, content, description] : cases) {
            w->txtdescription->setText("mine");
            if (content != "-")
                writeBytes(preset(name), content);
            const LameOptions before = opts;
            desk.openAnswers << preset(name);
            w->cmdOuvrir->click();
            QCOMPARE(w->txtdescription->text(), description);
            QVERIFY(opts == before);
            QVERIFY(!ReadPresetIntoOptions(opts, preset(name)).ok);
        }
    }

    void shippedPresetsAreAcceptedByLame()
    {
        const QDir shipped(QStringLiteral(QUENZAL_BUILD_DIR) + "/Preset");
        const QStringList names = shipped.entryList({"*.qzo"}, QDir::Files);
        QVERIFY(names.size() >= 3);
        for (const QString& name : names) {
            opts = {};
            w = make();
            desk.openAnswers << shipped.filePath(name);
            w->cmdOuvrir->click();
            QVERIFY2(ReadPresetIntoOptions(opts, shipped.filePath(name)).ok, qPrintable(name));
            QVERIFY2(!CheckLameSwitches(QUENZAL_LAME, w->txtOption->text()), qPrintable(name));
            // Written exactly as Quenzal writes presets.
            QVERIFY(WritePresetFile(*w, preset(name)).ok);
            QCOMPARE(readBytes(preset(name)), readBytes(shipped.filePath(name)));
        }
    }

    void okAndItsChecks()
    {
        QSignalSpy confirmed(w.get(), &frmOptionLame::confirmed);
        w->open();
        // A chosen folder that does not exist is reported, and OK goes on.
        w->optChoixDossier->click();
        w->cmdOK->click();
        QCOMPARE(desk.messages.size(), 1);
        QCOMPARE(desk.messages[0].text, "The chosen output folder does not exist.");
        QCOMPARE(desk.messages[0].icon, Desktop::Icon::Warning);
        QCOMPARE(confirmed.size(), 1);
        QCOMPARE(confirmed[0][0].toString(), QString("-b 0 -m s -f -q 2 "));
        QCOMPARE(w->result(), int(QDialog::Accepted));
        QVERIFY(!w->isVisible());
        QCOMPARE(Stored("Bitrate"), QString("128"));
        QCOMPARE(Stored("Commande LAME"), QString("-b 0 -m s -f -q 2 "));

        // The ABR rate must lie from the minimum to the maximum, both allowed, VBR or not.
        w->optMemeDossier->click();
        desk.messages.clear();
        frmOptionLame::SetBoxState(w->chkABR, 1);
        opts.Bitrate = 128;
        opts.BitrateVBR = 256;
        for (const int abr : {127, 128, 256, 257}) {
            opts.BitrateABR = abr;
            w->cmdOK->click();
        }
        QCOMPARE(confirmed.size(), 3);
        QCOMPARE(desk.messages.size(), 2);
        QCOMPARE(
            desk.messages[0].text,
            "The ABR bit rate must lie between the minimum bit rate and the maximum VBR bit rate.");
        QCOMPARE(desk.messages[0].icon, Desktop::Icon::Critical);
        frmOptionLame::SetBoxState(w->chkABR, 2);
        w->cmdOK->click();
        QCOMPARE(confirmed.size(), 4);

        // Enter from a text box, and from a list, runs OK.
        w->open();
        QTest::keyClick(w->txtdescription, Qt::Key_Return);
        QCOMPARE(confirmed.size(), 5);
        QVERIFY(!w->isVisible());
        w->open();
        QTest::keyClick(w->cmbATH, Qt::Key_Enter);
        QCOMPARE(confirmed.size(), 6);
    }

    void annulerEscapeAndRecreation()
    {
        w->chkActiveVBR->click();
        QTest::keyClick(w->sldBitrate[0], Qt::Key_Right);
        SaveLameOptions(*w);
        w->show();
        QTest::keyClick(w->sldBitrate[0], Qt::Key_Home);
        w->chkCopie->click();
        w->cmbMode->setCurrentIndex(2);
        w->cmdAnnuler->click();
        QVERIFY(w->isVisible());
        QCOMPARE(w->sldBitrate[0]->value(), 12);
        QCOMPARE(w->lblBitrateActuel->text(), QString("144 kbps"));
        QCOMPARE(opts.Bitrate, 144);
        QCOMPARE(opts.Copie, 0);
        QCOMPARE(w->txtOption->text(), BuildLameCommand(opts) + ' ');

        // Escape from any control reverts and ends the dialog; a new window starts from the
        // design values and sets only its five lists in the record.
        QSignalSpy confirmed(w.get(), &frmOptionLame::confirmed);
        w->open();
        w->cmbMode->setCurrentIndex(4);
        w->chkISO->click();
        QTest::keyClick(w->chkISO, Qt::Key_Escape);
        QCOMPARE(w->result(), int(QDialog::Rejected));
        QVERIFY(!w->isVisible());
        QCOMPARE(opts.ISO, 0);
        QCOMPARE(opts.Mode, 0);
        QVERIFY(confirmed.isEmpty());
        opts.Mode = 3;
        opts.Optimisation = 2;
        w = make();
        QCOMPARE(w->sldBitrate[0]->value(), 11);
        QCOMPARE(w->sldBitrateABR->value(), 250);
        QVERIFY(!w->chkActiveVBR->isChecked());
        QCOMPARE(opts.Mode, 0);
        QCOMPARE(opts.Optimisation, 1);
        QCOMPARE(opts.Bitrate, 144);
        QCOMPARE(opts.ActiveVBR, 1);

        // The close box is Escape too.
        w->open();
        w->close();
        QCOMPARE(w->result(), int(QDialog::Rejected));
    }

    void lameHasTheLastWord()
    {
        QVERIFY(!CheckLameSwitches(QUENZAL_LAME, "-b 128 -m j -h "));
        QVERIFY(!CheckLameSwitches(env.programFolder() + "/none", "--bogus"));
        const auto refused = CheckLameSwitches(QUENZAL_LAME, "-b 128 --lowpass 0 ");
        QVERIFY(refused && refused->contains("lowpass"));

        // A ticked filter left at 0: lame's own line, then the user decides.
        QSignalSpy confirmed(w.get(), &frmOptionLame::confirmed);
        w->chkFiltrerLowpass->click();
        w->open();
        desk.askAnswers << false << true;
        w->cmdOK->click();
        QCOMPARE(desk.questions.size(), 1);
        QVERIFY(desk.questions[0].startsWith("LAME refuses these options:"));
        QVERIFY(desk.questions[0].contains(*refused));
        QVERIFY(desk.questions[0].endsWith(
            "Keep these options anyway? Every file of the conversion will fail."));
        QVERIFY(w->isVisible() && confirmed.isEmpty());
        w->cmdOK->click();
        QCOMPARE(confirmed.size(), 1);
        QVERIFY(!w->isVisible());
    }
};

QTEST_MAIN(TestOptionLame)
#include "tst_optionlame.moc"

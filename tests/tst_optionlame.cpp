// The LAME options: the option table with the settings store and preset files, and the options
// window on its own under the offscreen platform (controls by name), judged by lame itself.
#include "FakeDesktop.h"
#include "TestEnvironment.h"
#include "TestFiles.h"

#include "lame/LameCheck.h"
#include "lame/LameOptions.h"
#include "lame/LamePersistence.h"
#include "lame/OptionTable.h"
#include "lame/PresetFile.h"
#include "lame/UpDown.h"
#include "lame/frmOptionLame.h"
#include "settings/Language.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QSignalSpy>
#include <QSlider>
#include <QTabBar>
#include <QTest>
#include <QToolButton>

#include <memory>

namespace {

// Every control's state (what it shows, whether it is on and enabled), to compare two windows.
QStringList snapshot(const frmOptionLame& w)
{
    QStringList states;
    for (const QWidget* c : w.findChildren<QWidget*>()) {
        for (const char* property : {"currentIndex", "value", "text", "checked", "enabled"}) {
            if (const QVariant value = c->property(property); value.isValid())
                states << c->objectName() + '.' + property + '=' + value.toString();
        }
        if (const auto* box = qobject_cast<const QCheckBox*>(c))
            states << box->objectName() + '=' + QString::number(frmOptionLame::BoxState(box));
    }
    return states;
}

// Options away from the first-start values in every row; every third check box greyed.
KeptOptions everything()
{
    KeptOptions kept = FirstStartOptions();
    int boxes = 0;
    for (const OptionRow& row : OptionTable()) {
        const QString box = row.kind == OptionKind::Box && ++boxes % 3 == 0 ? "2" : "1";
        // In the order of OptionKind: Text, Rate, Position, List, Box, Quality, Frequency.
        const QString byKind[] = {QString::fromUtf8("Réglé"),
                                  "64",
                                  "11",
                                  QString::number(row.entries - 1),
                                  box,
                                  "3",
                                  "0.5"};
        if (!SetOptionText(kept, row, byKind[int(row.kind)]))
            qFatal("%s does not take %s", row.control, qPrintable(byKind[int(row.kind)]));
    }
    kept.switches = BuildLameCommand(kept.options) + ' ';
    return kept;
}

// What lame says it does with these switches: its "Using ..." and "Encoding as ..." lines.
QString lameSummary(const QString& switches)
{
    const LameVerdict verdict = CheckLameSwitches(QUENZAL_LAME, switches);
    return verdict.refusal ? *verdict.refusal : verdict.summary;
}

} // namespace

class TestOptionLame : public QObject {
    Q_OBJECT

    TestEnvironment env;
    QTemporaryDir files;
    Language language;
    FakeDesktop desk;
    std::unique_ptr<frmOptionLame> w;

    std::unique_ptr<frmOptionLame> make(const KeptOptions& kept = FirstStartOptions(),
                                        const QString& own = QString())
    {
        return std::make_unique<frmOptionLame>(nullptr, kept, desk, language, env.programFolder(),
                                               own);
    }
    template <class T = QWidget> T* find(const char* name) const
    {
        if (T* control = w->findChild<T*>(QLatin1String(name)))
            return control;
        qFatal("no control %s", name);
    }
    template <class... Names> void click(Names... names) const
    {
        (find<QAbstractButton>(names)->click(), ...);
    }
    QString text(const char* name) const { return find(name)->property("text").toString(); }
    QString preview() const { return text("txtOption"); }
    QString preset(const QString& name) const { return files.filePath(name); }
    // Each message shown; a critical one by its last paragraph (the file a failed save names).
    QStringList said() const
    {
        QStringList texts;
        for (const FakeDesktop::Message& m : desk.messages)
            texts << (m.icon == Desktop::Icon::Critical  ? m.text.section("\n\n", -1)
                      : m.icon == Desktop::Icon::Warning ? "warning: " + m.text
                                                         : "information: " + m.text);
        return texts;
    }

private Q_SLOTS:
    void initTestCase() { language.setPath(env.programFolder() + "/Langue/English"); }

    void init()
    {
        env.clearSettings();
        desk = FakeDesktop();
        w = make();
    }

    void firstStartAndEveryReaction()
    {
        // The values the controls show are the values used, from the first start.
        QCOMPARE(preview(), QString("-b 128 -m s -f -q 2 "));
        QVERIFY(lameSummary(preview()).contains("stereo MPEG-1 Layer III (11x) 128 kbps qval=2"));
        QCOMPARE((QStringList{text("lblBitrateActuel"), text("lblABRActuel"), text("txtQualite")}),
                 (QStringList{"128 kbps", "250 kbps", "4"}));
        QVERIFY(!find("txtDossierSortie")->isEnabled() && !find("cmdDossier")->isEnabled());
        QVERIFY(!find("frmABR")->isEnabled() && !find("txtLargeurLowpass")->isEnabled());
        // An empty store: the load stops at the first number, everything else stays, and a
        // run would use the switches the window shows.
        KeptOptions kept = FirstStartOptions();
        QVERIFY(LoadKeptOptions(kept).applied == 1 && kept == FirstStartOptions());
        QCOMPARE(LoadKeptOptions().switches, preview());
        // -q names lame's quality level, and the window says it overrides "Vitesse".
        QCOMPARE(text("lblNiveauATH"), QString::fromUtf8("Niveau de qualité (-q) :"));
        QVERIFY(text("lblAvis").contains("-q 2"));
        find<QComboBox>("cmbNiveauATH")->setCurrentIndex(0);
        QVERIFY(lameSummary(preview()).contains("qval=7")); // -f alone: lame's speed setting
        QVERIFY(text("lblAvis").isEmpty());

        // The sliders follow every user action; the wheel moves the handle itself, as a drag
        // does, rather than stepping.
        w->show();
        auto* rate = find<QSlider>("sldBitrate_0");
        QTest::keyClick(rate, Qt::Key_Left);
        QVERIFY(text("lblBitrateActuel") == "112 kbps" && preview().startsWith("-b 112 "));
        QWheelEvent wheel(QPointF(5, 5), rate->mapToGlobal(QPointF(5, 5)), {}, {0, -120},
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(rate, &wheel);
        QVERIFY(rate->value() < 10);
        QVERIFY(preview().startsWith(QString("-b %1 ").arg(IndexToKbps(rate->value()))));

        // The tabs show one page at a time.
        auto* tabs = find<QTabBar>("TabOption");
        QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(2).center());
        QVERIFY(find("chkABR")->isVisible() && find("sldBitrateABR")->isVisible());
        for (const char* hidden : {"sldBitrate_0", "cmdDossier", "chkCrc", "chkISO", "txtHighpass"})
            QVERIFY(!find(hidden)->isVisible());
        click("chkActiveVBR");
        QCOMPARE(preview().section(" -m s -f ", 1), QString("-V 4 -B 128 "));
        QVERIFY(lameSummary(preview()).contains("VBR(q=4)"));
        click("chkABR");
        QVERIFY(preview().endsWith("-B 128 --abr 250 "));
        QTest::keyClick(find<QSlider>("sldBitrateABR"), Qt::Key_Left);
        QVERIFY(text("lblABRActuel") == "249 kbps" && preview().endsWith("-B 128 --abr 249 "));

        // A clear disables what its box governs (chkABR keeps its tick), a tick enables it; a
        // greyed box is off and leaves the enabled states alone; a click never greys it.
        auto* vbr = find<QCheckBox>("chkActiveVBR");
        vbr->click();
        QVERIFY(!find("chkABR")->isEnabled() && !find("frmABR")->isEnabled() &&
                !find("frmQualite")->isEnabled() && find<QCheckBox>("chkABR")->isChecked());
        vbr->click();
        frmOptionLame::SetBoxState(vbr, 2);
        QVERIFY(!preview().contains("--abr") && find("frmVBR")->isEnabled());
        vbr->click();
        QVERIFY(find("frmABR")->isEnabled() && frmOptionLame::BoxState(vbr) == 1);

        // Filters: the width keeps its own state when the filter comes back.
        click("chkFiltrerHighpass", "chkLargeurFiltreHighpass");
        QVERIFY(find("txtHighpass")->isEnabled() && find("txtLargeurHighpass")->isEnabled());
        click("chkFiltrerHighpass", "chkFiltrerHighpass");
        QVERIFY(!find("txtLargeurHighpass")->isEnabled() &&
                !find("upLargeurHighpass")->isEnabled());

        // The filter boxes are in kHz: typed values taken as typed, steps of half a kHz.
        click("chkFiltrerHighpass", "chkFiltrerLowpass");
        QTest::keyClicks(find<QLineEdit>("txtLowpass"), "8");
        QVERIFY(preview().contains("--lowpass 8 "));
        QVERIFY(lameSummary(preview()).contains("transition band:  7913 Hz -  8180 Hz"));
        find<UpDown>("upLowpass")->upButton()->click();
        QVERIFY(text("txtLowpass") == "8.5" && preview().contains("--lowpass 8.5 "));

        // The folder picker only with a chosen folder; a cancelled pick changes nothing.
        desk.folderAnswers << files.path();
        click("optChoixDossier", "cmdDossier", "cmdDossier");
        QCOMPARE(text("txtDossierSortie"), files.path());
        click("optMemeDossier");
        QVERIFY(text("txtDossierSortie").isEmpty() && !find("txtDossierSortie")->isEnabled());

        // Switches the installed lame ignores are said in the window.
        click("chkAutoriserBlocDiferer", "chkDesactiveFiltrage", "chkDesactiveBlocCourt");
        find<QComboBox>("cmbATH")->setCurrentIndex(1);
        for (const QString& control :
             {text("chkAutoriserBlocDiferer"), text("chkDesactiveFiltrage"),
              text("chkDesactiveBlocCourt"), find<QComboBox>("cmbATH")->currentText()})
            QVERIFY2(text("lblAvis").contains(control), qPrintable(control));
    }

    void storeRoundTripAndBadStoredValues()
    {
        // Every row through the store and back.
        const KeptOptions all = everything();
        QVERIFY(SaveKeptOptions(all) && LoadKeptOptions() == all);

        // Out-of-range rates come in as the nearest the sliders show (label, slider and switches
        // agree); filters of 50 and more are Hz, as lame read them. A value its row cannot take
        // stops the load there (32: none did): the values before it are set, none after.
        const std::tuple<const char*, const char*, int, const char*, const char*, QString> loads[] =
            {{"Bitrate", "99999", 32, "-b 320 ", "lblBitrateActuel", "320 kbps"},
             {"Bitrate", "-5", 32, "-b 8 ", "lblBitrateActuel", "8 kbps"},
             {"Bitrate", "100", 32, "-b 96 ", "lblBitrateActuel", "96 kbps"},
             {"Bitrate ABR", "1000", 32, "--abr 310", "lblABRActuel", "310 kbps"},
             {"Bitrate ABR", "-3", 32, "--abr 4", "lblABRActuel", "4 kbps"},
             {"Valeur LowPass", "16000", 32, "--lowpass 16 ", "txtLowpass", "16"},
             {"Mode", "5", 2, "-b 64 ", "txtLargeurLowpass", "0"},
             {"Copie", "3", 6, "-b 64 ", "txtLargeurLowpass", "0"},
             {"Niveau ATH", "abc", 16, "-b 64 ", "txtLargeurLowpass", "0"},
             {"Valeur LowPass", "abc", 28, "-b 64 ", "txtLargeurLowpass", "0"}};
        for (const auto& [name, value, applied, switches, shownIn, shown] : loads) {
            QVERIFY(SaveKeptOptions(all));
            Store(name, value);
            Store("Commande LAME", "");
            LameLoadResult result;
            w = make(LoadKeptOptions(&result));
            QVERIFY2(result.applied == applied && preview().contains(switches), name);
            QCOMPARE(text(shownIn), shown);
        }
    }

    void presetFiles()
    {
        // The shipped presets: lame takes them without a word, and Sauver writes them again
        // byte for byte. The voice preset filters at 8 kHz, as its description says.
        const QDir shipped(QStringLiteral(QUENZAL_BUILD_DIR) + "/Preset");
        const QStringList names = shipped.entryList({"*.qzo"}, QDir::Files);
        QVERIFY(names.size() >= 3);
        for (const QString& name : names) {
            desk.openAnswers << shipped.filePath(name);
            desk.saveAnswers << preset(name);
            click("cmdOuvrir", "cmdSauver");
            const LameVerdict verdict = CheckLameSwitches(QUENZAL_LAME, preview());
            QVERIFY2(!verdict.refusal && verdict.warnings.isEmpty(), qPrintable(name));
            QCOMPARE(readBytes(preset(name)), readBytes(shipped.filePath(name)));
        }
        QVERIFY(preview().contains("--lowpass 8 ") && lameSummary(preview()).contains("22.05 kHz"));

        // Through the buttons: a name without ".qzo" gets it, the other lines of the file stay,
        // and the preset opened in a new window shows what was saved.
        KeptOptions kept = everything();
        kept.description = '"' + QString(298, QChar(0xE9)) + '"'; // its quotes kept
        w = make(kept);
        QVERIFY(!find("txtLargeurHighpass")->isEnabled()); // a greyed box leaves it as a clear
        const QStringList saved = snapshot(*w);
        const QString path = preset("mine.qzo");
        writeBytes(path, "[Autre outil]\r\nCle=valeur\r\n[General]\r\nBitrate=8\r\n");
        desk.saveAnswers << preset("mine");
        click("cmdSauver");
        QVERIFY(readBytes(path).startsWith(
            "[Autre outil]\r\nCle=valeur\r\n[General]\r\nBitrate=64\r\nDescription=\"\""));
        w = make();
        desk.openAnswers << path;
        click("cmdOuvrir", "cmdOuvrir"); // the second one cancelled: nothing changes
        QCOMPARE(snapshot(*w), saved);

        // A text Windows-1252 cannot hold turns the file into UTF-8 rather than "?".
        KeptOptions read = kept;
        read.description = QString::fromUtf8("Voix 日本");
        QVERIFY(WritePresetFile(read, path).ok);
        QVERIFY(readBytes(path).startsWith("\xEF\xBB\xBF[Autre outil]"));
        QVERIFY(ReadPresetFile(path, kept).ok && kept.description == read.description);

        // An old preset's filter in Hz is read as kHz.
        const QString bad = preset("bad.qzo");
        QVERIFY(WritePresetFile(FirstStartOptions(), bad).ok);
        const QByteArray text = readBytes(bad);
        writeBytes(bad, QByteArray(text).replace("LowPass=0", "LowPass=8000"));
        QVERIFY(ReadPresetFile(bad, read).ok && read.options.Lowpass == 8.0);

        // A preset that stops part-way, or is no preset, changes nothing and names the key.
        const std::pair<QByteArray, QByteArray> stops[] = {
            {QByteArray(text).replace("Mode=0", "Mode=99"), "Mode"},
            {QByteArray(text).replace("Copie=0", "Copie=3"), "Copie"},
            {QByteArray(text).replace("Norme ISO=0", "Norme=1"), "Norme ISO"},
            {QByteArray(text).replace("Qualit\xE9=4", "Qualit\xE9=abc"), "Qualit\xE9"},
            {readBytes(QUENZAL_LAME), "Bitrate"},
            {"[General]\nBitrate=" + QByteArray(2 << 20, '9'), "Description"},
            {"-", "Bitrate"}}; // no file at all
        const QString stopped = "The preset %1 was not opened: the key \"%2\" is missing or "
                                "cannot be read.";
        for (const auto& [content, key] : stops) {
            QVERIFY(content == "-" ? QFile::remove(bad) : writeBytes(bad, content));
            desk.openAnswers << bad;
            click("cmdOuvrir");
            QCOMPARE(snapshot(*w), saved);
            QCOMPARE(desk.messages.last().text, stopped.arg(bad, QString::fromLatin1(key)));
        }

        // Failed saves are said, with the file named; the old file stays whole.
        const QByteArray old = readBytes(path);
        QFile::setPermissions(path, QFileDevice::ReadOwner);
        QTemporaryDir locked;
        SetWritable(locked.path(), false);
        const QStringList failed = {path, locked.filePath("new.qzo"), preset("none/x.qzo"),
                                    preset("full.qzo")};
        desk.saveAnswers << failed;
        {
            const NoFileAccessOverride asOwner;
            click("cmdSauver", "cmdSauver", "cmdSauver");
            const FileSizeLimit full(100);
            click("cmdSauver");
        }
        SetWritable(locked.path(), true);
        QCOMPARE(readBytes(path), old);
        QCOMPARE(said().mid(std::size(stops)), failed);
        QVERIFY(!QFile::exists(preset("full.qzo")) && !QFile::exists(locked.filePath("new.qzo")));
    }

    void presetFolders()
    {
        // A Preset/ folder Quenzal may write to keeps the presets; the user's is only offered.
        // Read-only (its owner-write bit off counts for root too): Ouvrir keeps to the shipped
        // ones while the user has none, Sauver makes the user's folder and starts there, then so
        // does Ouvrir.
        const QString shipped = env.programFolder() + "/Preset/";
        const QString own = files.filePath("data/Quenzal/Preset");
        w = make(FirstStartOptions(), own);
        click("cmdSauver", "cmdOuvrir");
        QVERIFY(!QFileInfo::exists(own));
        SetWritable(shipped, false);
        desk.saveAnswers << own + "/mine.qzo";
        find<QSlider>("sldBitrate_0")->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        click("cmdOuvrir", "cmdSauver");
        desk.openAnswers << own + "/mine.qzo";
        find<QSlider>("sldBitrate_0")->triggerAction(QAbstractSlider::SliderToMinimum);
        click("cmdOuvrir");
        QVERIFY(preview().startsWith("-b 144 "));

        // A user's folder that cannot be made: Sauver starts in the shipped folder.
        QTemporaryDir locked;
        SetWritable(locked.path(), false);
        w = make(FirstStartOptions(), locked.path() + "/Quenzal/Preset");
        {
            NoFileAccessOverride asOwner;
            click("cmdSauver");
        }
        SetWritable(locked.path(), true);
        SetWritable(shipped, true);
        // No Preset/ folder at all: the dialogs start in the program folder.
        QDir(shipped).removeRecursively();
        click("cmdOuvrir");
        QDir().mkpath(shipped);
        // Each dialog's folder, then the folders Ouvrir offers.
        QStringList started;
        for (const FakeDesktop::Dialog& dialog : desk.dialogs)
            started << (dialog.folder + ' ' + dialog.places.join(' ')).trimmed();
        const QString offered = ' ' + shipped + ' ' + own;
        QCOMPARE(started, (QStringList{shipped, shipped + offered, shipped + offered, own + '/',
                                       own + '/' + offered, shipped,
                                       env.programFolder() + ' ' + env.programFolder() + ' ' +
                                           locked.path() + "/Quenzal/Preset"}));
    }

    void okAndLamesVerdict()
    {
        // A chosen folder that does not exist is reported, and OK goes on; "~/" is the home
        // folder, as a run takes it. Enter from a list runs OK (Return from a text box: each run
        // test's confirm); lame gets the words a run gives it (a stored quoted title).
        QSignalSpy confirmed(w.get(), &frmOptionLame::confirmed);
        KeptOptions titled = FirstStartOptions();
        titled.switches = "-b 128 --tt \"My Song\" ";
        w->setKept(titled);
        w->open();
        click("optChoixDossier", "cmdOK");
        find<QLineEdit>("txtDossierSortie")->setText("~/");
        w->open();
        QTest::keyClick(find("cmbATH"), Qt::Key_Enter);
        QVERIFY(confirmed.size() == 2 && confirmed[1][0].value<KeptOptions>() == w->kept());
        QVERIFY(w->kept().switches == titled.switches && w->kept().outputFolder == "~/");
        QVERIFY(w->result() == QDialog::Accepted && !w->isVisible() && desk.questions.isEmpty());
        QVERIFY(Stored("Bitrate") == "128" && Stored("Commande LAME") == titled.switches);

        // The ABR rate must lie from the minimum to the maximum, both allowed, VBR or not.
        KeptOptions abr = FirstStartOptions();
        abr.options.ABR = 1;
        abr.options.BitrateVBR = 256;
        for (const int rate : {127, 128, 256, 257}) {
            abr.options.BitrateABR = rate;
            w->setKept(abr);
            click("cmdOK");
        }
        QCOMPARE(confirmed.size(), 4);
        frmOptionLame::SetBoxState(find<QCheckBox>("chkABR"), 2);
        click("cmdOK");
        QCOMPARE(confirmed.size(), 5);

        // A settings file that cannot be written is said, naming it; the old file stays whole
        // and is written once per OK, all values at once.
        const QByteArray before = readBytes(env.settingsFile());
        QFile::setPermissions(env.settingsFile(), QFileDevice::ReadOwner);
        find<QComboBox>("cmbMode")->setCurrentIndex(3);
        {
            const NoFileAccessOverride asOwner;
            click("cmdOK");
            QFile::setPermissions(env.settingsFile(),
                                  QFileDevice::ReadOwner | QFileDevice::WriteOwner);
            const FileSizeLimit full(before.size() / 2);
            click("cmdOK");
        }
        QCOMPARE(readBytes(env.settingsFile()), before);
        QCOMPARE(confirmed.size(), 7); // the options still hold until Quenzal closes
        const QString abrRange =
            "The ABR bit rate must lie between the minimum bit rate and the maximum VBR bit rate.";
        QCOMPARE(said(), (QStringList{"warning: The chosen output folder does not exist.", abrRange,
                                      abrRange, env.settingsFile(), env.settingsFile()}));

        // lame itself: none to ask gives no verdict; a refusal is its own line.
        QVERIFY(!CheckLameSwitches(env.programFolder() + "/none", "--bogus").refusal);
        const auto refused = CheckLameSwitches(QUENZAL_LAME, "-b 128 --lowpass 0 ").refusal;
        QVERIFY(refused && refused->contains("lowpass"));
        QVERIFY(CheckLameSwitches(QUENZAL_LAME, "-d --noath").warnings ==
                QStringList({"WARNING: -d is obsolete.",
                             "WARNING: ignoring developer-only switch --noath"}));

        // A ticked filter left at 0: lame's own line, then the user decides.
        click("chkFiltrerLowpass");
        w->open();
        desk.askAnswers << false << true;
        click("cmdOK");
        QCOMPARE(
            desk.questions,
            QStringList("LAME refuses these options:\n\n" + *refused +
                        "\n\nKeep these options anyway? Every file of the conversion will fail."));
        QVERIFY(w->isVisible() && confirmed.size() == 7);
        click("cmdOK");
        QCOMPARE(confirmed.size(), 8);

        // lame's warnings, and values lame would take otherwise than the box says, at OK.
        find<QLineEdit>("txtLowpass")->setText("100");
        click("chkFiltrerHighpass", "chkDesactiveBlocCourt");
        find<QLineEdit>("txtHighpass")->setText("0.01");
        find<QSlider>("sldBitrate_0")->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        w->open();
        click("cmdOK");
        QCOMPARE(desk.questions.size(), 3);
        QVERIFY(desk.questions[2].startsWith("LAME will not do everything these options say:"));
        for (const char* said :
             {"--lowpass 100", "highpass frequency too small", "--noshort", "kbps, not 144 kbps"})
            QVERIFY(desk.questions[2].contains(said));
        QVERIFY(w->isVisible() && confirmed.size() == 8);

        // A lame that hangs is ended, with what it started, within the limit.
        QTemporaryDir hanging;
        StandInLame(hanging.path(), "sleep 600 & echo $! > \"$0.pid\"; wait\n");
        // The limit leaves the stand-in time to start its child even on a loaded machine.
        QVERIFY(!CheckLameSwitches(hanging.path() + "/lame", "-b 128", 1000).refusal);
        const QByteArray child = readBytes(hanging.filePath("lame.pid")).trimmed();
        QTRY_VERIFY(!child.isEmpty() && (!QFileInfo::exists("/proc/" + child) ||
                                         readBytes("/proc/" + child + "/stat").contains(") Z ")));

        // Annuler and Escape put back what was kept: here a kept output folder, and a preset
        // opened then cancelled on a first start.
        KeptOptions folder = FirstStartOptions();
        folder.outputFolder = files.path();
        w = make(folder);
        const QStringList shown = snapshot(*w);
        QVERIFY(find<QAbstractButton>("optChoixDossier")->isChecked());
        w->show();
        desk.openAnswers << QStringLiteral(QUENZAL_BUILD_DIR) + "/Preset/Voix mono.qzo";
        click("chkCopie", "optMemeDossier", "cmdOuvrir");
        QVERIFY(preview().contains("-m m"));
        click("cmdAnnuler");
        QVERIFY(w->isVisible());
        QCOMPARE(snapshot(*w), shown);
        // Escape from any control puts back the same and ends the dialog; so does the close box.
        QSignalSpy cancelled(w.get(), &frmOptionLame::confirmed);
        for (const bool escape : {true, false}) {
            w->open();
            click("optMemeDossier");
            if (escape)
                QTest::keyClick(find("chkISO"), Qt::Key_Escape);
            else
                w->close();
            QVERIFY(w->result() == QDialog::Rejected && !w->isVisible() && cancelled.isEmpty());
            QCOMPARE(snapshot(*w), shown);
        }
        QCOMPARE(w->kept().outputFolder, files.path());
    }
};

QTEST_MAIN(TestOptionLame)
#include "tst_optionlame.moc"

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
    for (const QLabel* l : w.findChildren<QLabel*>())
        states << l->objectName() + '=' + l->text();
    return states;
}

// Options away from the first-start values in every row; every third check box greyed.
KeptOptions everything()
{
    KeptOptions kept = FirstStartOptions();
    int i = 0;
    for (const OptionRow& row : OptionTable()) {
        const QString value = row.kind == OptionKind::Box         ? QString::number(++i % 3 ? 1 : 2)
                              : row.kind == OptionKind::List      ? QString::number(row.entries - 1)
                              : row.kind == OptionKind::Rate      ? "64"
                              : row.kind == OptionKind::Position  ? "11"
                              : row.kind == OptionKind::Quality   ? "3"
                              : row.kind == OptionKind::Frequency ? "0.5"
                                                                  : QString::fromUtf8("Réglé");
        if (!SetOptionText(kept, row, value))
            qFatal("%s does not take %s", row.control, qPrintable(value));
    }
    kept.switches = BuildLameCommand(kept.options) + ' ';
    return kept;
}

// The text with the line of one key replaced.
QByteArray withLine(QByteArray text, const QByteArray& key, const QByteArray& line)
{
    const qsizetype at = text.indexOf("\n" + key + '=') + 1;
    return at > 0 ? text.replace(at, text.indexOf('\r', at) - at, line) : text;
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
        T* control = w->findChild<T*>(QLatin1String(name));
        if (!control)
            qFatal("no control %s", name);
        return control;
    }
    QString preview() const { return find<QLineEdit>("txtOption")->text(); }
    QString preset(const QString& name) const { return files.filePath(name); }

private Q_SLOTS:
    void initTestCase() { language.setPath(env.programFolder() + "/Langue/English"); }

    void init()
    {
        env.clearSettings();
        desk = FakeDesktop();
        w = make();
    }
    void cleanup() { w.reset(); }

    void firstStartShowsWhatLameDoes()
    {
        // The values the controls show are the values used, from the first start.
        QCOMPARE(preview(), QString("-b 128 -m s -f -q 2 "));
        QVERIFY(lameSummary(preview()).contains("stereo MPEG-1 Layer III (11x) 128 kbps qval=2"));
        QCOMPARE((QStringList{find<QLabel>("lblBitrateActuel")->text(),
                              find<QLabel>("lblABRActuel")->text(),
                              find<QLineEdit>("txtQualite")->text()}),
                 (QStringList{"128 kbps", "250 kbps", "4"}));
        QVERIFY(!find("txtDossierSortie")->isEnabled() && !find("cmdDossier")->isEnabled());
        QVERIFY(!find("frmABR")->isEnabled() && !find("txtLargeurLowpass")->isEnabled());
        // -q names lame's quality level, and the window says it overrides "Vitesse".
        QCOMPARE(find<QLabel>("lblNiveauATH")->text(),
                 QString::fromUtf8("Niveau de qualité (-q) :"));
        QVERIFY(find<QLabel>("lblAvis")->text().contains("-q 2"));
        find<QComboBox>("cmbNiveauATH")->setCurrentIndex(0);
        QVERIFY(lameSummary(preview()).contains("qval=7")); // -f alone: lame's speed setting
        QVERIFY(find<QLabel>("lblAvis")->text().isEmpty());

        find<QCheckBox>("chkActiveVBR")->click();
        QCOMPARE(preview(), QString("-b 128 -m s -f -V 4 -B 128 "));
        QVERIFY(lameSummary(preview()).contains("VBR(q=4)"));
        find<QCheckBox>("chkABR")->click();
        QVERIFY(preview().endsWith("-B 128 --abr 250 "));

        // An empty store: the load stops at the first number, everything else stays, and a
        // run would use the switches the window shows.
        LameLoadResult first;
        const KeptOptions kept = LoadKeptOptions(&first);
        QVERIFY(first.applied == 1 && first.stoppedAt == "Bitrate");
        QVERIFY(kept.options == FirstStartOptions().options &&
                kept.switches == "-b 128 -m s -f -q 2 ");

        w->show();
        auto* tabs = find<QTabBar>("TabOption");
        QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(3).center());
        for (const char* shown : {"chkISO", "cmbATH", "cmbNiveauATH", "chkDesactiveFiltrage"})
            QVERIFY(find(shown)->isVisible());
        for (const char* hidden : {"sldBitrate_0", "optMemeDossier", "cmdDossier", "chkCrc",
                                   "chkActiveVBR", "chkABR", "txtHighpass", "cmbMode"})
            QVERIFY(!find(hidden)->isVisible());
    }

    void reactionsAndEnabledRules()
    {
        find<QComboBox>("cmbMode")->setCurrentIndex(3);
        find<QComboBox>("cmbFrequenceEchantillon")->setCurrentIndex(5);
        find<QCheckBox>("chkCrc")->click();
        QCOMPARE(preview(), QString("-b 128 -m m -f -p -q 2 --resample 22.05 "));
        QVERIFY(lameSummary(preview()).contains("22.05 kHz single-ch MPEG-2 Layer III"));

        // VBR gates six controls; chkABR keeps its tick while disabled.
        auto* vbr = find<QCheckBox>("chkActiveVBR");
        vbr->click();
        QVERIFY(find("frmVBR")->isEnabled() && find("chkABR")->isEnabled() &&
                find("frmABR")->isEnabled());
        find<QCheckBox>("chkABR")->click();
        vbr->click();
        QVERIFY(!find("chkABR")->isEnabled() && !find("frmABR")->isEnabled() &&
                !find("frmQualite")->isEnabled() && find<QCheckBox>("chkABR")->isChecked());
        // A greyed box is off and leaves the enabled states alone; a click never greys it.
        frmOptionLame::SetBoxState(vbr, 2);
        QVERIFY(!preview().contains("-V") && !find("frmVBR")->isEnabled());
        vbr->click();
        QVERIFY(find("frmVBR")->isEnabled() && find("frmABR")->isEnabled() &&
                frmOptionLame::BoxState(vbr) == 1);

        // Filters: the width keeps its own state when the filter comes back.
        find<QCheckBox>("chkFiltrerHighpass")->click();
        QVERIFY(find("txtHighpass")->isEnabled() && !find("txtLargeurHighpass")->isEnabled());
        find<QCheckBox>("chkLargeurFiltreHighpass")->click();
        QVERIFY(find("txtLargeurHighpass")->isEnabled() && find("upLargeurHighpass")->isEnabled());
        find<QCheckBox>("chkFiltrerHighpass")->click();
        find<QCheckBox>("chkFiltrerHighpass")->click();
        QVERIFY(!find("txtLargeurHighpass")->isEnabled() &&
                !find("upLargeurHighpass")->isEnabled());

        // The filter boxes are in kHz: steps of half a kHz, typed values taken as typed.
        find<QCheckBox>("chkFiltrerLowpass")->click();
        auto* up = find<UpDown>("upLowpass");
        up->upButton()->click();
        up->upButton()->click();
        QVERIFY(find<QLineEdit>("txtLowpass")->text() == "1" && preview().contains("--lowpass 1 "));
        find<QLineEdit>("txtLowpass")->clear();
        QTest::keyClicks(find<QLineEdit>("txtLowpass"), "8");
        find<QComboBox>("cmbFrequenceEchantillon")->setCurrentIndex(0);
        find<QCheckBox>("chkFiltrerHighpass")->click();
        QVERIFY(preview().contains("--lowpass 8 "));
        QVERIFY(lameSummary(preview()).contains("transition band:  7913 Hz -  8180 Hz"));
        up->upButton()->click();
        QCOMPARE(find<QLineEdit>("txtLowpass")->text(), QString("8.5"));

        // The quality box: typed or stepped from 0 to 9.
        find<QCheckBox>("chkABR")->click();
        find<QLineEdit>("txtQualite")->setText(" 4.5 ");
        QVERIFY(preview().contains("-V 4 "));
        find<QLineEdit>("txtQualite")->setText("12");
        find<UpDown>("upQualite")->upButton()->click();
        QVERIFY(preview().contains("-V 9 "));

        find<QRadioButton>("optChoixDossier")->click();
        QVERIFY(find("txtDossierSortie")->isEnabled() && find("cmdDossier")->isEnabled());
        desk.folderAnswers << files.path();
        find<QPushButton>("cmdDossier")->click();
        find<QPushButton>("cmdDossier")->click(); // cancelled: nothing changes
        QCOMPARE(find<QLineEdit>("txtDossierSortie")->text(), files.path());
        find<QRadioButton>("optMemeDossier")->click();
        QVERIFY(find<QLineEdit>("txtDossierSortie")->text().isEmpty() &&
                !find("txtDossierSortie")->isEnabled());

        // Switches the installed lame ignores are said in the window.
        for (const char* ignored :
             {"chkAutoriserBlocDiferer", "chkDesactiveFiltrage", "chkDesactiveBlocCourt"}) {
            find<QCheckBox>(ignored)->click();
            QVERIFY(find<QLabel>("lblAvis")->text().contains(find<QCheckBox>(ignored)->text()));
        }
        find<QComboBox>("cmbATH")->setCurrentIndex(1);
        QVERIFY(find<QLabel>("lblAvis")->text().contains(find<QComboBox>("cmbATH")->currentText()));
    }

    void slidersFollowEveryUserChange()
    {
        w->show();
        auto* rate = find<QSlider>("sldBitrate_0");
        QTest::keyClick(rate, Qt::Key_Left);
        QCOMPARE(find<QLabel>("lblBitrateActuel")->text(), QString("112 kbps"));
        QVERIFY(lameSummary(preview()).contains(" 112 kbps"));
        QTest::keyClick(rate, Qt::Key_End);
        QVERIFY(preview().startsWith("-b 320 "));

        // The wheel moves the handle itself, as a drag does, rather than stepping.
        QWheelEvent wheel(QPointF(5, 5), rate->mapToGlobal(QPointF(5, 5)), {}, {0, -120},
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(rate, &wheel);
        QVERIFY(rate->value() < 17);
        QVERIFY(preview().startsWith(QString("-b %1 ").arg(IndexToKbps(rate->value()))));

        find<QTabBar>("TabOption")->setCurrentIndex(2);
        find<QCheckBox>("chkActiveVBR")->click();
        QTest::keyClick(find<QSlider>("sldBitrate_1"), Qt::Key_PageUp);
        QCOMPARE(find<QLabel>("lblVBRActuel")->text(), QString("256 kbps"));
        find<QCheckBox>("chkABR")->click();
        QTest::keyClick(find<QSlider>("sldBitrateABR"), Qt::Key_Left);
        QCOMPARE(find<QLabel>("lblABRActuel")->text(), QString("249 kbps"));
        QVERIFY(preview().contains("-B 256 --abr 249 "));
    }

    void storeRoundTripAndOutOfRangeValues()
    {
        // Every row through the store and back, and into a window that shows the same.
        const KeptOptions all = everything();
        QVERIFY(SaveKeptOptions(all));
        QCOMPARE((QStringList{Stored("Bitrate"), Stored("Qualité du VBR"),
                              Stored("Valeur HighPassWith"), Stored("Commande LAME")}),
                 (QStringList{"64", "3", "0.5", all.switches}));
        KeptOptions loaded = FirstStartOptions();
        const LameLoadResult result = LoadKeptOptions(loaded);
        QVERIFY(result.complete());
        QCOMPARE(result.applied, 32);
        QVERIFY(loaded == all);
        w = make(all);
        const QStringList shown = snapshot(*w);
        w = make(loaded);
        QCOMPARE(snapshot(*w), shown);

        // Out-of-range rates come in as the nearest the sliders can show, so that label,
        // slider and switches agree; filter values of 50 and more are Hz, as lame read them.
        const std::tuple<const char*, const char*, QString, const char*, QString> ranges[] = {
            {"Bitrate", "99999", "-b 320 ", "lblBitrateActuel", "320 kbps"},
            {"Bitrate", "-5", "-b 8 ", "lblBitrateActuel", "8 kbps"},
            {"Bitrate", "100", "-b 96 ", "lblBitrateActuel", "96 kbps"},
            {"Bitrate ABR", "1000", "--abr 310", "lblABRActuel", "310 kbps"},
            {"Bitrate ABR", "-3", "--abr 4", "lblABRActuel", "4 kbps"},
            {"Valeur LowPass", "16000", "--lowpass 16 ", "txtLowpass", "16"},
            {"Valeur LowPass", "8", "--lowpass 8 ", "txtLowpass", "8"}};
        for (const auto& [name, value, switches, shownIn, shown] : ranges) {
            QVERIFY(SaveKeptOptions(all));
            Store(name, value);
            Store("Commande LAME", "");
            w = make(LoadKeptOptions());
            QVERIFY2(preview().contains(switches), qPrintable(preview()));
            const QWidget* control = find(shownIn);
            QCOMPARE(qobject_cast<const QLabel*>(control)
                         ? qobject_cast<const QLabel*>(control)->text()
                         : qobject_cast<const QLineEdit*>(control)->text(),
                     shown);
        }

        // Loads that stop, and where: the values before the stop are set, none after.
        for (const auto& [name, value, applied] :
             {std::tuple<QString, QString, int>{"Mode", "5", 2},
              {"Copie", "3", 6},
              {"Niveau ATH", "abc", 16},
              {"Valeur LowPass", "abc", 28}}) {
            QVERIFY(SaveKeptOptions(all));
            Store(name, value);
            loaded = FirstStartOptions();
            const LameLoadResult r = LoadKeptOptions(loaded);
            QCOMPARE(r.stoppedAt, name);
            QCOMPARE(r.applied, applied);
            QCOMPARE(loaded.options.Bitrate, 64);
            QCOMPARE(loaded.options.LargeurFiltreLowpass, 0);
        }
    }

    void presetFiles()
    {
        // Through the buttons: the dialogs start in Preset/, a name without ".qzo" gets it.
        KeptOptions kept = everything();
        kept.options.Bitrate = 192;
        kept.description = '"' + QString(298, QChar(0xE9)) + '"';
        w = make(kept);
        const QString path = preset("mine.qzo");
        writeBytes(path, "[Autre outil]\r\nCle=valeur\r\n[General]\r\nBitrate=8\r\n");
        desk.saveAnswers << preset("mine");
        find<QPushButton>("cmdSauver")->click();
        QCOMPARE(desk.dialogs.last().folder, env.programFolder() + "/Preset/");
        const QByteArray bytes = readBytes(path);
        QVERIFY(bytes.startsWith(
            "[Autre outil]\r\nCle=valeur\r\n[General]\r\nBitrate=192\r\nDescription=\"\""));
        QVERIFY(bytes.contains("\r\n[VBR]\r\nActiverVBR=") &&
                bytes.contains("\r\nQualit\xE9=3\r\n"));

        w = make();
        desk.openAnswers << path;
        find<QPushButton>("cmdOuvrir")->click();
        QCOMPARE(find<QSlider>("sldBitrate_0")->value(), 14);
        QCOMPARE(find<QLabel>("lblBitrateActuel")->text(), QString("192 kbps"));
        QCOMPARE(find<QLabel>("lblABRActuel")->text(), QString("11 kbps"));
        QCOMPARE(find<QLineEdit>("txtdescription")->text().size(), 300); // quotes included
        KeptOptions read = FirstStartOptions();
        QVERIFY(ReadPresetFile(path, read).ok);
        QCOMPARE(preview(), BuildLameCommand(read.options) + ' ');
        find<QPushButton>("cmdOuvrir")->click(); // cancelled: nothing changes
        QCOMPARE(find<QSlider>("sldBitrate_0")->value(), 14);

        // A text Windows-1252 cannot hold turns the file into UTF-8 rather than "?".
        read.description = QString::fromUtf8("Voix 日本");
        QVERIFY(WritePresetFile(read, path).ok);
        QVERIFY(readBytes(path).startsWith("\xEF\xBB\xBF[Autre outil]"));
        read.description.clear();
        QVERIFY(ReadPresetFile(path, read).ok);
        QCOMPARE(read.description, QString::fromUtf8("Voix 日本"));

        // The filter unit round trip: kHz as written, and an old preset's Hz read as kHz.
        const QString bad = preset("bad.qzo");
        read.description = "plain";
        read.options.Lowpass = 8;
        QVERIFY(WritePresetFile(read, bad).ok);
        const QByteArray text = readBytes(bad);
        QVERIFY(text.contains("\r\nFrequence LowPass=8\r\n"));
        writeBytes(bad, withLine(text, "Frequence LowPass", "Frequence LowPass=8000"));
        QVERIFY(ReadPresetFile(bad, read).ok);
        QCOMPARE(read.options.Lowpass, 8.0);

        // A preset that stops part-way, or is no preset, changes nothing and names the key.
        QByteArray garbage(70000, '\0');
        for (int i = 0; i < garbage.size(); ++i)
            garbage[i] = char((i * 7919) % 251);
        const std::pair<QByteArray, QByteArray> stops[] = {
            {withLine(text, "Mode", "Mode=99"), "Mode"},
            {withLine(text, "Copie", "Copie=3"), "Copie"},
            {withLine(text, "Norme ISO", "Norme=1"), "Norme ISO"},
            {withLine(text, "Qualit\xE9", "Qualit\xE9=abc"), "Qualit\xE9"},
            {garbage, "Bitrate"},
            {"", "Bitrate"},
            {"[General]\nBitrate=" + QByteArray(2 << 20, '9'), "Description"},
            {"-", "Bitrate"}}; // no file at all
        for (const auto& [content, key] : stops) {
            QFile::remove(bad);
            if (content != "-")
                writeBytes(bad, content);
            const QStringList before = snapshot(*w);
            desk.openAnswers << bad;
            find<QPushButton>("cmdOuvrir")->click();
            QCOMPARE(snapshot(*w), before);
            QCOMPARE(desk.messages.last().text,
                     QString("The preset %1 was not opened: the key \"%2\" is missing or cannot "
                             "be read.")
                         .arg(bad, QString::fromLatin1(key)));
            QCOMPARE(ReadPresetFile(bad, read).stoppedAt, QString::fromLatin1(key));
        }
        desk.messages.clear();

        // Failed saves are said, with the file named; the old file stays whole.
        const QByteArray old = readBytes(path);
        QFile::setPermissions(path, QFileDevice::ReadOwner);
        QTemporaryDir locked;
        SetWritable(locked.path(), false);
        {
            const NoFileAccessOverride asOwner;
            desk.saveAnswers << path << locked.filePath("new.qzo") << preset("none/x.qzo");
            for (int i = 0; i < 3; ++i)
                find<QPushButton>("cmdSauver")->click();
        }
        {
            const FileSizeLimit full(100);
            desk.saveAnswers << preset("full.qzo");
            find<QPushButton>("cmdSauver")->click();
        }
        SetWritable(locked.path(), true);
        QCOMPARE(readBytes(path), old);
        const QStringList failed = {path, locked.filePath("new.qzo"), preset("none/x.qzo"),
                                    preset("full.qzo")};
        QCOMPARE(desk.messages.size(), 4);
        for (int i = 0; i < 4; ++i) {
            QVERIFY(desk.messages[i].text.endsWith("\n\n" + failed[i]));
            QCOMPARE(desk.messages[i].icon, Desktop::Icon::Critical);
        }
        QVERIFY(!QFile::exists(preset("full.qzo")) && !QFile::exists(locked.filePath("new.qzo")));

        // No Preset/ folder: the dialogs start in the program folder.
        QDir(env.programFolder() + "/Preset").removeRecursively();
        find<QPushButton>("cmdOuvrir")->click();
        QCOMPARE(desk.dialogs.last().folder, env.programFolder());
        QDir().mkpath(env.programFolder() + "/Preset");
    }

    void ownPresetsBesideAnInstalledPresetFolder()
    {
        const QString shipped = env.programFolder() + "/Preset/";
        const QString own = files.filePath("data/Quenzal/Preset");
        const QStringList both = {shipped, own};
        const auto startedIn = [this](const QString& folder) {
            return desk.dialogs.last().folder == folder;
        };
        w = make(FirstStartOptions(), own);

        // A Preset/ folder Quenzal may write to keeps the presets; the user's is only offered.
        find<QPushButton>("cmdSauver")->click();
        QVERIFY(startedIn(shipped) && !QFileInfo::exists(own));
        find<QPushButton>("cmdOuvrir")->click();
        QVERIFY(startedIn(shipped) && desk.dialogs.last().places == both);

        // Read-only (its owner-write bit off counts for root too): Ouvrir keeps to the
        // shipped presets while the user has none, Sauver makes the user's folder and
        // starts there, and from then on Ouvrir starts there too.
        SetWritable(shipped, false);
        find<QPushButton>("cmdOuvrir")->click();
        QVERIFY(startedIn(shipped));
        desk.saveAnswers << own + "/mine.qzo";
        find<QSlider>("sldBitrate_0")->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        find<QPushButton>("cmdSauver")->click();
        QVERIFY(startedIn(own + '/') && QFileInfo::exists(own + "/mine.qzo"));
        desk.openAnswers << own + "/mine.qzo";
        find<QSlider>("sldBitrate_0")->triggerAction(QAbstractSlider::SliderToMinimum);
        find<QPushButton>("cmdOuvrir")->click();
        QVERIFY(startedIn(own + '/') && desk.dialogs.last().places == both);
        QVERIFY(preview().startsWith("-b 144 "));

        // A user's folder that cannot be made: Sauver starts in the shipped folder.
        QTemporaryDir locked;
        SetWritable(locked.path(), false);
        w = make(FirstStartOptions(), locked.path() + "/Quenzal/Preset");
        {
            NoFileAccessOverride asOwner;
            find<QPushButton>("cmdSauver")->click();
        }
        QVERIFY(startedIn(shipped));
        SetWritable(locked.path(), true);
        SetWritable(shipped, true);
    }

    void shippedPresetsAreAcceptedByLame()
    {
        const QDir shipped(QStringLiteral(QUENZAL_BUILD_DIR) + "/Preset");
        const QStringList names = shipped.entryList({"*.qzo"}, QDir::Files);
        QVERIFY(names.size() >= 3);
        for (const QString& name : names) {
            w = make();
            desk.openAnswers << shipped.filePath(name);
            find<QPushButton>("cmdOuvrir")->click();
            const LameVerdict verdict = CheckLameSwitches(QUENZAL_LAME, preview());
            QVERIFY2(!verdict.refusal && verdict.warnings.isEmpty(), qPrintable(name));
            // Written exactly as Quenzal writes presets.
            KeptOptions read;
            QVERIFY(ReadPresetFile(shipped.filePath(name), read).ok);
            QVERIFY(WritePresetFile(read, preset(name)).ok);
            QCOMPARE(readBytes(preset(name)), readBytes(shipped.filePath(name)));
        }
        // The voice preset filters at 8 kHz, as its description says.
        QVERIFY(lameSummary(preview()).contains("22.05 kHz single-ch"));
        QVERIFY(preview().contains("--lowpass 8 "));
    }

    void okAndItsChecks()
    {
        QSignalSpy confirmed(w.get(), &frmOptionLame::confirmed);
        w->open();
        // A chosen folder that does not exist is reported, and OK goes on; "~/" is the home
        // folder, as a run takes it.
        find<QRadioButton>("optChoixDossier")->click();
        find<QPushButton>("cmdOK")->click();
        find<QRadioButton>("optChoixDossier")->click();
        find<QLineEdit>("txtDossierSortie")->setText("~/");
        find<QPushButton>("cmdOK")->click();
        QCOMPARE(desk.messages.size(), 1);
        QCOMPARE(desk.messages[0].text, "The chosen output folder does not exist.");
        QVERIFY(desk.messages[0].icon == Desktop::Icon::Warning && confirmed.size() == 2);
        const auto kept = confirmed[1][0].value<KeptOptions>();
        QVERIFY(kept.switches == "-b 128 -m s -f -q 2 " && kept.outputFolder == "~/");
        QVERIFY(kept == w->kept());
        QCOMPARE(w->result(), int(QDialog::Accepted));
        QVERIFY(!w->isVisible());
        QCOMPARE(Stored("Bitrate"), QString("128"));
        QCOMPARE(Stored("Commande LAME"), QString("-b 128 -m s -f -q 2 "));

        // The ABR rate must lie from the minimum to the maximum, both allowed, VBR or not.
        desk.messages.clear();
        KeptOptions abr = FirstStartOptions();
        abr.options.ABR = 1;
        abr.options.BitrateVBR = 256;
        for (const int rate : {127, 128, 256, 257}) {
            abr.options.BitrateABR = rate;
            w->setKept(abr);
            find<QPushButton>("cmdOK")->click();
        }
        QCOMPARE(confirmed.size(), 4);
        QCOMPARE(desk.messages.size(), 2);
        QCOMPARE(
            desk.messages[0].text,
            "The ABR bit rate must lie between the minimum bit rate and the maximum VBR bit rate.");
        QCOMPARE(desk.messages[0].icon, Desktop::Icon::Critical);
        frmOptionLame::SetBoxState(find<QCheckBox>("chkABR"), 2);
        find<QPushButton>("cmdOK")->click();
        QCOMPARE(confirmed.size(), 5);

        // Enter from a text box, and from a list, runs OK; lame is given the words a run
        // gives it (switches typed into the store with a quoted title).
        KeptOptions titled = FirstStartOptions();
        titled.switches = "-b 128 --tt \"My Song\" ";
        w->setKept(titled);
        w->open();
        QTest::keyClick(find("txtdescription"), Qt::Key_Return);
        QVERIFY(desk.questions.isEmpty() && w->kept().switches == titled.switches);
        QCOMPARE(confirmed.size(), 6);
        QVERIFY(!w->isVisible());
        w->open();
        QTest::keyClick(find("cmbATH"), Qt::Key_Enter);
        QCOMPARE(confirmed.size(), 7);

        // A settings file that cannot be written is said, naming it; the old file stays whole
        // and is written once per OK, all values at once.
        const QByteArray before = readBytes(env.settingsFile());
        QFile::setPermissions(env.settingsFile(), QFileDevice::ReadOwner);
        find<QComboBox>("cmbMode")->setCurrentIndex(3);
        {
            const NoFileAccessOverride asOwner;
            find<QPushButton>("cmdOK")->click();
        }
        QCOMPARE(readBytes(env.settingsFile()), before);
        QFile::setPermissions(env.settingsFile(), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        {
            const FileSizeLimit full(before.size() / 2);
            find<QPushButton>("cmdOK")->click();
        }
        QCOMPARE(readBytes(env.settingsFile()), before);
        QCOMPARE(desk.messages.size(), 4);
        for (const auto& message : desk.messages.mid(2)) {
            QVERIFY(message.text.endsWith("\n\n" + env.settingsFile()));
            QCOMPARE(message.icon, Desktop::Icon::Critical);
        }
        QCOMPARE(confirmed.size(), 9); // the options still hold until Quenzal closes
    }

    void annulerAndEscapePutBackWhatWasKept()
    {
        // A kept output folder, and a preset opened then cancelled on a first start.
        KeptOptions kept = FirstStartOptions();
        kept.outputFolder = files.path();
        w = make(kept);
        const QStringList shown = snapshot(*w);
        QVERIFY(find<QRadioButton>("optChoixDossier")->isChecked());
        w->show();
        QTest::keyClick(find("sldBitrate_0"), Qt::Key_Home);
        find<QCheckBox>("chkCopie")->click();
        find<QRadioButton>("optMemeDossier")->click();
        desk.openAnswers << QStringLiteral(QUENZAL_BUILD_DIR) + "/Preset/Voix mono.qzo";
        find<QPushButton>("cmdOuvrir")->click();
        QVERIFY(preview().contains("-m m"));
        find<QPushButton>("cmdAnnuler")->click();
        QVERIFY(w->isVisible());
        QCOMPARE(snapshot(*w), shown);

        // Escape from any control puts back the same and ends the dialog.
        QSignalSpy confirmed(w.get(), &frmOptionLame::confirmed);
        w->open();
        find<QComboBox>("cmbMode")->setCurrentIndex(4);
        find<QRadioButton>("optMemeDossier")->click();
        QTest::keyClick(find("chkISO"), Qt::Key_Escape);
        QCOMPARE(w->result(), int(QDialog::Rejected));
        QVERIFY(!w->isVisible() && confirmed.isEmpty());
        QCOMPARE(snapshot(*w), shown);
        QCOMPARE(w->kept().outputFolder, files.path());
        // The close box is Escape too.
        w->open();
        w->close();
        QCOMPARE(w->result(), int(QDialog::Rejected));
    }

    void lameHasTheLastWord()
    {
        QVERIFY(!CheckLameSwitches(env.programFolder() + "/none", "--bogus").refusal);
        const auto refused = CheckLameSwitches(QUENZAL_LAME, "-b 128 --lowpass 0 ").refusal;
        QVERIFY(refused && refused->contains("lowpass"));
        // The words a run passes: a quoted title is one word.
        const LameVerdict titled = CheckLameSwitches(QUENZAL_LAME, "-b 128 --tt \"My Song\" ");
        QVERIFY(!titled.refusal && titled.warnings.isEmpty());
        QVERIFY(CheckLameSwitches(QUENZAL_LAME, "-d --noath").warnings ==
                QStringList({"WARNING: -d is obsolete.",
                             "WARNING: ignoring developer-only switch --noath"}));

        // A ticked filter left at 0: lame's own line, then the user decides.
        QSignalSpy confirmed(w.get(), &frmOptionLame::confirmed);
        find<QCheckBox>("chkFiltrerLowpass")->click();
        w->open();
        desk.askAnswers << false << true;
        find<QPushButton>("cmdOK")->click();
        QCOMPARE(
            desk.questions,
            QStringList("LAME refuses these options:\n\n" + *refused +
                        "\n\nKeep these options anyway? Every file of the conversion will fail."));
        QVERIFY(w->isVisible() && confirmed.isEmpty());
        find<QPushButton>("cmdOK")->click();
        QCOMPARE(confirmed.size(), 1);

        // lame's warnings, and values lame would take otherwise than the box says, at OK.
        find<QLineEdit>("txtLowpass")->setText("100");
        find<QCheckBox>("chkFiltrerHighpass")->click();
        find<QLineEdit>("txtHighpass")->setText("0.01");
        find<QCheckBox>("chkDesactiveBlocCourt")->click();
        find<QSlider>("sldBitrate_0")->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        w->open();
        find<QPushButton>("cmdOK")->click();
        QCOMPARE(desk.questions.size(), 3);
        QVERIFY(desk.questions[2].startsWith("LAME will not do everything these options say:"));
        for (const char* said :
             {"--lowpass 100", "highpass frequency too small", "--noshort", "kbps, not 144 kbps"})
            QVERIFY(desk.questions[2].contains(said));
        QVERIFY(w->isVisible() && confirmed.size() == 1);

        // A lame that hangs is ended, with what it started, within the limit.
        QTemporaryDir hanging;
        const QString pids = hanging.filePath("pids");
        StandInLame(hanging.path(), "sleep 600 & echo $! > '" + pids.toUtf8() + "'; wait\n");
        // The limit leaves the stand-in time to start its child even on a loaded machine.
        QVERIFY(!CheckLameSwitches(hanging.path() + "/lame", "-b 128", 1000).refusal);
        const QByteArray child = readBytes(pids).trimmed();
        QTRY_VERIFY(!child.isEmpty() && (!QFileInfo::exists("/proc/" + child) ||
                                         readBytes("/proc/" + child + "/stat").contains(") Z ")));
    }
};

QTEST_MAIN(TestOptionLame)
#include "tst_optionlame.moc"

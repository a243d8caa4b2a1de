// The tag editor window driven through its controls, on MP3 files made by lame.
#include "Control.h"
#include "FakeDesktop.h"
#include "TestEnvironment.h"
#include "TestFiles.h"

#include "mp3/Id3v1.h"
#include "mp3/frmTag.h"
#include "settings/Language.h"
#include "settings/Twips.h"

#include <QAccessible>
#include <QCheckBox>
#include <QComboBox>
#include <QFileSystemModel>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QStorageInfo>
#include <QTest>
#include <QTreeView>

#include <memory>

#include <taglib/attachedpictureframe.h>
#include <taglib/id3v2header.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>
#include <taglib/xingheader.h>

namespace {

// The texts of the information lines, or of the tag fields, as one text.
QString lines(const frmTag& w)
{
    QStringList texts;
    for (const char* line : {"lblTaille2", "lblDuree2", "lblMpg", "lblBitFrame", "lblHzSon",
                             "lblCrc2", "lblCopyright2", "lblOriginal2", "lblEmphasis2"})
        texts << control<QLabel>(&w, line)->text();
    return texts.join(u'|');
}

QString fields(const frmTag& w)
{
    QStringList texts;
    for (const char* box : {"txtTitre", "txtArtiste", "txtAlbum", "txtAnnee", "txtCommentaire"})
        texts << control<QLineEdit>(&w, box)->text();
    return (texts << control<QComboBox>(&w, "genre")->currentText()
                  << control<QLabel>(&w, "lblGenreNum")->text())
        .join(u'|');
}

// The tag of a file, read back by the tag reader.
QString tagOf(const QString& path)
{
    const std::optional<Id3v1Tag> t = ReadId3v1(path);
    return !t ? QStringLiteral("no tag")
              : QStringList{t->title, t->artist,  t->album,
                            t->year,  t->comment, QString::number(t->genre)}
                    .join(u'|');
}

// The ID3v2 title and the picture as TagLib reads them, and the bytes between the tags.
struct Id3v2View {
    QString title;
    QByteArray picture;
    QByteArray audio;
};
Id3v2View id3v2Of(const QString& path)
{
    TagLib::MPEG::File file(QFile::encodeName(path).constData());
    const TagLib::ID3v2::Tag* tag = file.ID3v2Tag();
    if (!tag)
        return {};
    const TagLib::ID3v2::FrameList pictures = tag->frameList("APIC");
    const auto* picture =
        pictures.isEmpty() ? nullptr
                           : dynamic_cast<TagLib::ID3v2::AttachedPictureFrame*>(pictures.front());
    const QByteArray bytes = readBytes(path);
    const qsizetype start = tag->header()->completeTagSize();
    return {QString::fromUtf8(tag->title().toCString(true)),
            picture ? QByteArray(picture->picture().data(), picture->picture().size())
                    : QByteArray(),
            bytes.mid(start, bytes.size() - start - (file.hasID3v1Tag() ? 128 : 0))};
}

// The folder's volume from the drive list, then a click on the folder in the tree.
bool chooseFolder(frmTag& w, const QString& folder)
{
    const QString root = QStorageInfo(folder).rootPath();
    auto* drives = control<QComboBox>(&w, "drvDur");
    drives->setCurrentIndex(drives->findData(root));
    if (folder != root) {
        auto* tree = control<QTreeView>(&w, "dirDur");
        const QModelIndex item = qobject_cast<QFileSystemModel*>(tree->model())->index(folder);
        tree->scrollTo(item);
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualRect(item).center());
    }
    return w.folderPath() == folder;
}

// The names the file list shows, once the folder has been read.
QStringList listed(const frmTag& w)
{
    const auto* list = control<QListView>(&w, "fleDur");
    QStringList names;
    for (int row = 0; row < list->model()->rowCount(list->rootIndex()); ++row)
        names << list->model()->index(row, 0, list->rootIndex()).data().toString();
    return names;
}

bool clickFile(frmTag& w, const QString& name)
{
    auto* list = control<QListView>(&w, "fleDur");
    if (!QTest::qWaitFor([&] { return listed(w).contains(name); }))
        return false;
    const QModelIndex index =
        list->model()->index(int(listed(w).indexOf(name)), 0, list->rootIndex());
    list->scrollTo(index);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(index).center());
    return control<QLabel>(&w, "lblChemin")->text() == w.folderPath() + u'/' + name;
}

void click(const frmTag& w, const char* button = "cmdOK")
{
    QTest::mouseClick(control<QPushButton>(&w, button), Qt::LeftButton);
}

} // namespace

class TestTagEditor : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        m_english.setPath(m_env.programFolder() + "/Langue/English");
        const QString wav = m_dir.filePath("tone.wav");
        QVERIFY(WriteSineWav(wav, 3));
        QVERIFY(
            writeBytes(m_dir.filePath("cover.png"), "\x89PNG\r\n\x1a\n" + QByteArray(47'000, 'p')));
        // lame pads ID3v1 text with NULs, and --add-id3v2 puts a UTF-16 tag in front; a picture
        // makes a large ID3v2 tag.
        const std::pair<QString, QString> files[] = {
            {"tagged.mp3", "-b 128 --add-id3v2 --tt Bolero --ta Ravel --tl Orchestral --ty 1928 "
                           "--tc \"first take\" --tg Classical"},
            {"plain.mp3", "-b 128"},
            {"cover.mp3", "-b 128 --ti cover.png --tt Pavane --tg Classical"},
            {"vbr.mp3", "-V 2"}};
        for (const auto& [name, switches] : files) {
            QProcess lame;
            lame.setWorkingDirectory(m_dir.path());
            lame.start(QUENZAL_LAME, QStringList{"--quiet"} + QProcess::splitCommand(switches) +
                                         QStringList{wav, m_dir.filePath(name)});
            QVERIFY(lame.waitForFinished(120'000) && lame.exitCode() == 0);
        }
        for (const auto& [name, genre] : {std::pair("genre5.mp3", 5), {"genre255.mp3", 255}})
            QVERIFY(QFile::copy(m_dir.filePath("plain.mp3"), m_dir.filePath(name)) &&
                    WriteId3v1(m_dir.filePath(name), {name, "", "", "", "", genre}) ==
                        TagWriteResult::Written);
        QVERIFY(touch(m_dir.filePath("broken.mp3"), QByteArray("not audio\n").repeated(300)));
    }

    void clickShowsHeaderAndTag()
    {
        auto w = open({"tagged.mp3", "vbr.mp3"}, m_english);
        QVERIFY(!control<QGroupBox>(w.get(), "frmTags")->isVisible() &&
                !control<QPushButton>(w.get(), "cmdOK")->isVisible() &&
                fields(*w) == "|||||Other|");
        QCOMPARE(w->height(), TwipsToPixels(3255, w->logicalDpiY()));
        QVERIFY(clickFile(*w, "tagged.mp3"));

        // The header is read after the ID3v2 tag: MPEG-1 Layer III, the frames lame counted in
        // its Info frame, three seconds of audio; yes and no in the chosen language. The fields
        // are the ID3v2 ones.
        const QString tagged = m_folder + "/tagged.mp3";
        TagLib::MPEG::File mpeg(QFile::encodeName(tagged).constData());
        const unsigned lameFrames = mpeg.audioProperties()->xingHeader()->totalFrames();
        QCOMPARE(lines(*w),
                 QStringList({QString::number(QFileInfo(tagged).size()), "3 ", "MPEG-1.0 Layer III",
                              QString("128kbit, %1 frames").arg(lameFrames), "44100Hz Joint Stereo",
                              "No", "No", "Yes", "None"})
                     .join(u'|'));
        QCOMPARE(fields(*w), "Bolero|Ravel|Orchestral|1928|first take|Classical|32");
        QCOMPARE(control<QGroupBox>(w.get(), "frmTags")->title(), "ID3v2 + ID3v1");
        QVERIFY(clickFile(*w, "vbr.mp3"));
        QVERIFY(control<QLabel>(w.get(), "lblBitFrame")->text().startsWith("VBR "));
        QCOMPARE(control<QGroupBox>(w.get(), "frmTags")->title(), "ID3v1");

        // A screen reader gets every label's text (no fixed name hides a value).
        NameControls(w.get());
        for (QLabel* label : w->findChildren<QLabel*>())
            QCOMPARE(label->text().isEmpty()
                         ? QString()
                         : QAccessible::queryAccessibleInterface(label)->text(QAccessible::Name),
                     label->text());
        QVERIFY(control<QGroupBox>(w.get(), "frmTags")->isVisible() &&
                control<QGroupBox>(w.get(), "frmMPEGinfo")->isVisible() &&
                control<QPushButton>(w.get(), "cmdOK")->isVisible());
        QCOMPARE(w->height(), TwipsToPixels(6330, w->logicalDpiY()));
    }

    void okWritesTheTag()
    {
        auto w = open({"tagged.mp3", "plain.mp3", "cover.mp3"}, m_french);
        const QString tagged = m_folder + "/tagged.mp3", plain = m_folder + "/plain.mp3",
                      cover = m_folder + "/cover.mp3";
        const qint64 plainSize = QFileInfo(plain).size();

        // Both tags get the fields; ID3v2 keeps the whole title, ID3v1 its first 30 characters.
        // TagLib finds the picture and the audio bytes as they were.
        const Id3v2View before = id3v2Of(cover);
        QVERIFY(clickFile(*w, "cover.mp3"));
        QCOMPARE(fields(*w), "Pavane|||||Classical|32");
        QCOMPARE(control<QLabel>(w.get(), "lblEmphasis2")->text(), "Aucune");
        const QString title = "Pavane pour une infante défunte (1899)";
        control<QLineEdit>(w.get(), "txtTitre")->selectAll();
        control<QLineEdit>(w.get(), "txtTitre")->insert(title); // as typed: no limit for ID3v2
        click(*w);
        const Id3v2View after = id3v2Of(cover);
        QVERIFY(after.title == title && after.picture == before.picture &&
                after.picture.size() == 47'008 && after.audio == before.audio);
        QCOMPARE(tagOf(cover), title.left(30) + "|||||32");
        // A title put back as it was is written back too.
        control<QLineEdit>(w.get(), "txtTitre")->setText("Pavane");
        click(*w);
        QCOMPARE(id3v2Of(cover).title, "Pavane");

        QVERIFY(clickFile(*w, "tagged.mp3"));
        control<QLineEdit>(w.get(), "txtTitre")->selectAll();
        QTest::keyClicks(control<QLineEdit>(w.get(), "txtTitre"), "Danse macabre");
        control<QComboBox>(w.get(), "genre")->setCurrentIndex(17);
        click(*w);
        QCOMPARE(id3v2Of(tagged).title, "Danse macabre");
        QCOMPARE(tagOf(tagged), "Danse macabre|Ravel|Orchestral|1928|first take|17");

        // A file without a tag gets one after its audio.
        QVERIFY(clickFile(*w, "plain.mp3"));
        QCOMPARE(fields(*w), "|||||Other|"); // no tag: no genre number
        QTest::keyClicks(control<QLineEdit>(w.get(), "txtArtiste"), "Satie");
        click(*w);
        QCOMPARE(QFileInfo(plain).size(), plainSize + 128);
        QCOMPARE(tagOf(plain), "|Satie||||12");
        QVERIFY(!TagLib::MPEG::File(QFile::encodeName(plain).constData()).hasID3v2Tag());
        QVERIFY(m_desktop.messages.isEmpty());
    }

    void refusedWritesAndOddFiles()
    {
        auto w = open(
            {"tagged.mp3", "plain.mp3", "broken.mp3", "genre5.mp3", "genre255.mp3", "cover.mp3"},
            m_english);
        const QString readOnly = m_folder + "/tagged.mp3";
        QVERIFY(QFile::setPermissions(readOnly, QFile::ReadOwner | QFile::ReadGroup));
        const QByteArray before = readBytes(readOnly);
        QVERIFY(clickFile(*w, "tagged.mp3"));
        QVERIFY(control<QCheckBox>(w.get(), "chkLectureSeul")->isChecked());
        QTest::keyClicks(control<QLineEdit>(w.get(), "txtTitre"), "x");
        click(*w);
        QCOMPARE(readBytes(readOnly), before);

        // A file removed since it was listed cannot be reached either.
        QVERIFY(clickFile(*w, "plain.mp3"));
        QVERIFY(!control<QCheckBox>(w.get(), "chkLectureSeul")->isChecked());
        QVERIFY(QFile::remove(m_folder + "/plain.mp3"));
        click(*w);
        QVERIFY(!QFile::exists(m_folder + "/plain.mp3"));

        // A full disk: the copy the ID3v2 tag is written into cannot be made; the file stays
        // as it was, no copy is left behind, and the user is told.
        const QString cover = m_folder + "/cover.mp3";
        const QByteArray coverBytes = readBytes(cover);
        QVERIFY(clickFile(*w, "cover.mp3"));
        QTest::keyClicks(control<QLineEdit>(w.get(), "txtTitre"), " et fin");
        {
            const FileSizeLimit full{1000};
            click(*w);
        }
        QVERIFY(readBytes(cover) == coverBytes &&
                QDir(m_folder).entryList(QDir::Files | QDir::Hidden).size() == 5);

        // 255 has no name: the genre chosen before stays.
        QVERIFY(clickFile(*w, "genre5.mp3"));
        QCOMPARE(fields(*w), "genre5.mp3|||||Funk|5");
        QVERIFY(clickFile(*w, "genre255.mp3"));
        QCOMPARE(fields(*w), "genre255.mp3|||||Funk|255");
        // No header and no tag: every line is filled anew; the fields are emptied, "Other" is
        // chosen, the number is cleared. A text file is no MP3: no tag goes into it.
        QVERIFY(clickFile(*w, "broken.mp3"));
        QCOMPARE(lines(*w), "3000|0 | |0kbit, 0 frames|0Hz |No|No|No|");
        QCOMPARE(fields(*w), "|||||Other|");
        QTest::keyClicks(control<QLineEdit>(w.get(), "txtTitre"), "x");
        click(*w);
        QCOMPARE(readBytes(m_folder + "/broken.mp3"), QByteArray("not audio\n").repeated(300));

        // Each refusal said, as an error.
        QStringList texts;
        for (const FakeDesktop::Message& message : std::as_const(m_desktop.messages)) {
            texts << message.text;
            QVERIFY(message.title == "Error" && message.icon == Desktop::Icon::Critical);
        }
        const QString unreachable =
            "The tag could not be written: the file is read-only or cannot be reached.";
        QCOMPARE(
            texts,
            QStringList({unreachable, unreachable,
                         "The tag could not be written (the disk is full, or the folder "
                         "cannot be written): the file was left as it was.",
                         "This file is not an MP3 file (no MPEG header): no tag was written."}));
        m_desktop.messages.clear();
    }

    void typingLimits()
    {
        auto w = open({"plain.mp3"}, m_french);
        QVERIFY(clickFile(*w, "plain.mp3"));
        const auto box = [&](const char* name) {
            return control<QLineEdit>(w.get(), name);
        };
        auto* artist = box("txtArtiste");
        QTest::keyClicks(box("txtTitre"), QString(35, u'a'));
        QTest::keyClicks(box("txtAnnee"), "199945");
        QVERIFY(box("txtTitre")->text() == QString(30, u'a') && box("txtAnnee")->text() == "1999");
        // Counted in the tag's bytes: "€" is one, and so is a character the tag holds as "?".
        for (int typed = 0; typed < 31; ++typed)
            QTest::sendKeyEvent(QTest::Click, box("txtAlbum"), Qt::Key_unknown, "€", {});
        QCOMPARE(box("txtAlbum")->text(), QString(30, u'€'));
        const QString note = QString::fromUcs4(U"\U0001F3B5");
        box("txtCommentaire")->insert(note.repeated(31));
        QCOMPARE(box("txtCommentaire")->text(), note.repeated(30));
        // A paste in the middle keeps what fits, and the text after the cursor.
        artist->setText("0123456789012345678901234");
        artist->setCursorPosition(5);
        artist->insert("ABCDEFGHIJ");
        QCOMPARE(artist->text(), "01234ABCDE56789012345678901234");

        click(*w);
        QCOMPARE(tagOf(m_folder + "/plain.mp3"),
                 QString(30, u'a') + "|01234ABCDE56789012345678901234|" + QString(30, u'€') +
                     "|1999|" + QString(30, u'?') + "|12");
    }

    void volumesAndFolders()
    {
        auto w = open({}, m_english);
        for (const char* name : {"b.mp3", "SONG.MP3", "a.Mp3", "clip.wav", "notes.txt", ".x.mp3"})
            QVERIFY(touch(m_folder + u'/' + name));
        QVERIFY(QDir().mkpath(m_folder + "/dir.mp3"));
        QVERIFY(chooseFolder(*w, m_dir.path()) && chooseFolder(*w, m_folder));
        QTRY_COMPARE(listed(*w), QStringList({"a.Mp3", "b.mp3", "SONG.MP3"}));
        auto* tree = control<QTreeView>(w.get(), "dirDur");
        QVERIFY(tree->isExpanded(tree->currentIndex()));
        QTRY_COMPARE(tree->model()->index(0, 0, tree->currentIndex()).data().toString(), "dir.mp3");

        // A volume gone since the list was filled: the message, then the root folder.
        auto* drives = control<QComboBox>(w.get(), "drvDur");
        drives->addItem("gone", m_folder + "/gone");
        drives->setCurrentIndex(drives->count() - 1);
        QVERIFY(m_desktop.messages.size() == 1 && m_desktop.messages[0].title == "Quenzal" &&
                m_desktop.messages[0].icon == Desktop::Icon::Information);
        QCOMPARE(m_desktop.messages.takeFirst().text, "The drive is not ready.");
        QCOMPARE(drives->currentData().toString() + '|' + w->folderPath(), "/|/");
    }

    void escapeDiscardsAndShowFile()
    {
        auto w = std::make_unique<frmTag>(nullptr, m_desktop, m_english);
        QVERIFY(QFile::copy(m_dir.filePath("tagged.mp3"), m_dir.filePath("shown.mp3")));
        w->showFile(m_dir.filePath("shown.mp3"));
        QCOMPARE(control<QListView>(w.get(), "fleDur")->currentIndex().data().toString() + '|' +
                     control<QLabel>(w.get(), "lblChemin")->text(),
                 "shown.mp3|" + m_dir.filePath("shown.mp3"));
        QCOMPARE(fields(*w), "Bolero|Ravel|Orchestral|1928|first take|Classical|32");
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));

        // Enter writes nothing; Escape rejects the window.
        const QByteArray before = readBytes(m_dir.filePath("shown.mp3"));
        QSignalSpy rejected(w.get(), &QDialog::rejected);
        QTest::keyClicks(control<QLineEdit>(w.get(), "txtTitre"), "x");
        QTest::keyClick(control<QLineEdit>(w.get(), "txtTitre"), Qt::Key_Return);
        QVERIFY(w->isVisible() && readBytes(m_dir.filePath("shown.mp3")) == before);
        QTest::keyClick(control<QLineEdit>(w.get(), "txtTitre"), Qt::Key_Escape);
        QVERIFY(rejected.size() == 1 && !w->isVisible());
    }

private:
    // A window on a fresh folder holding copies of the named sample files.
    std::unique_ptr<frmTag> open(const QStringList& samples, const Language& language)
    {
        m_folder = m_dir.filePath(QString::number(++m_folders));
        QDir().mkpath(m_folder);
        for (const QString& name : samples)
            QFile::copy(m_dir.filePath(name), m_folder + u'/' + name);
        auto w = std::make_unique<frmTag>(nullptr, m_desktop, language);
        w->show();
        if (!QTest::qWaitForWindowExposed(w.get()) || !chooseFolder(*w, m_folder))
            qFatal("cannot open the test folder");
        return w;
    }

    TestEnvironment m_env;
    QTemporaryDir m_dir;
    QString m_folder;
    int m_folders = 0;
    FakeDesktop m_desktop;
    Language m_french; // no language file: the built-in texts
    Language m_english;
};

QTEST_MAIN(TestTagEditor)
#include "tst_tageditor.moc"

#include "TestEnvironment.h"
#include "TestFiles.h"

#include "settings/Language.h"
#include "settings/ProfileFile.h"
#include "settings/SettingsStore.h"
#include "settings/TextCodec.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSettings>
#include <QSize>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

using namespace Qt::StringLiterals;

namespace {

QByteArray noise(qsizetype size, quint32 seed)
{
    QByteArray junk(size, Qt::Uninitialized);
    QRandomGenerator(seed).fillRange(reinterpret_cast<quint32*>(junk.data()), size / 4);
    return junk;
}

QString get(const QString& file, const QString& section, const QString& key, int size = 255)
{
    return ProfileFile::readValue(file, section, key, size);
}

constexpr auto set = &ProfileFile::writeValue;

} // namespace

class TestSettings : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void profileRead();
    void profileWrite();
    void profileBadFiles();
    void settingsStore();

private:
    QString path(const QString& name) const { return m_dir.filePath(name); }

    QTemporaryDir m_settingsDir;
    QTemporaryDir m_dir;
};

void TestSettings::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_settingsDir.path());
}

void TestSettings::profileRead()
{
    const QString f = path("read.qzo");
    const QByteArray text =
        "o=before any section\r\n[General]\r\nBitrate=128\r\nD =  a  b  \r\n\r\n"
        "  [ OptLame ]  \r\nMODE\t=\t1\t\r\nQ=\"  k  \"\r\nOdd=\"abc'\r\n"
        "E=a=b=c\r\nNoEquals\r\nLong=";
    QVERIFY(writeBytes(f, text + QByteArray(300, 'x')));
    QCOMPARE(
        (QStringList{get(f, "general", "BITRATE"), get(f, "General", "D"),
                     get(f, "optLame", "Mode"), get(f, "OptLame", "Q"), get(f, "OptLame", "Odd"),
                     get(f, "OptLame", "E"), get(f, "OptLame", "Long")}),
        (QStringList{"128", "a  b", "1", "  k  ", "\"abc'", "a=b=c", QString(254, 'x')}));
    // Missing pieces read as empty; keys never leak from another section or from before the
    // first one.
    QCOMPARE(get(f, "OptLame", "NoEquals") + get(f, "General", "Bitrate", 1) +
                 get(f, "OptLame", "Bitrate") + get(f, "Missing", "Bitrate") + get(f, "", "o") +
                 get(path("none.qzo"), "A", "k") + get(m_dir.path(), "A", "k") + get({}, "A", "k"),
             QString());

    // LF, mixed line ends and a last line without its line end; a file keeps its own LF.
    QVERIFY(writeBytes(f, "[A]\nx=1\r\ny=2\n[B]\nk=last"));
    QCOMPARE(get(f, "a", "X") + get(f, "A", "y") + get(f, "B", "k"), "12last");
    QVERIFY(set(f, "A", "z", "3") && set(f, "C", "k", "w"));
    QCOMPARE(readBytes(f), "[A]\nx=1\r\ny=2\nz=3\n[B]\nk=last\n[C]\nk=w\n");

    // Windows-1252 on disk, keys included; what it cannot hold is one "?" per character, and
    // the five bytes it leaves undefined survive a round trip.
    QVERIFY(writeBytes(f, "[VBR]\r\nQualit\xE9=\x80 \xE9t\xE9\r\n"));
    QCOMPARE(get(f, "VBR", "QUALITÉ"), "€ été");
    QVERIFY(set(f, "vbr", "qualité", "€ 日\U0001F3B5"));
    QCOMPARE(readBytes(f), "[VBR]\r\nQualit\xE9=\x80 ??\r\n");
    const QByteArray odd = "\x80\x81\x8D\x8F\x90\x9D\xFF";
    QCOMPARE(TextCodec::toWindows1252(TextCodec::fromWindows1252(odd)), odd);

    // The byte-order mark makes a file UTF-8, also one that holds nothing else.
    QVERIFY(writeBytes(f, "\xEF\xBB\xBF"));
    QVERIFY(set(f, "Main", "mnuFile", "été \U0001F3B5"));
    QCOMPARE(readBytes(f), "\xEF\xBB\xBF[Main]\r\nmnuFile=\xC3\xA9t\xC3\xA9 \xF0\x9F\x8E\xB5\r\n");
    QCOMPARE(get(f, "main", "MNUFILE"), "été \U0001F3B5");
    QCOMPARE(get(f, "Main", "mnuFile", 6), "été "); // never half of a surrogate pair
}

void TestSettings::profileWrite()
{
    // New files get CR LF; a missing key goes at the end of its section, a missing section at
    // the end of the file; every other byte stays, the key keeps its own spelling.
    const QString f = path("write.qzo");
    QVERIFY(set(f, "General", "Bitrate", "128"));
    QCOMPARE(readBytes(f), "[General]\r\nBitrate=128\r\n");
    QVERIFY(writeBytes(f, "; keep\r\n[General]\r\n BitRate = 1 ; old\r\nZ=1\r\n\r\n[O]\r\nk=1"));
    QVERIFY(set(f, "general", "New", "n") && set(f, "GENERAL", "bitrate", "320"));
    QVERIFY(set(f, "O", "x", "2") && set(f, "Marque", "Copie", "0"));
    QCOMPARE(readBytes(f), "; keep\r\n[General]\r\nBitRate=320\r\nZ=1\r\nNew=n\r\n\r\n"
                           "[O]\r\nk=1\r\nx=2\r\n[Marque]\r\nCopie=0\r\n");

    // What the format cannot hold: blanks around a value, text after a NUL, more than 254
    // characters (saved whole all the same), and line breaks, which must never add lines.
    QVERIFY(set(f, "S", "a", "  a  b ") && set(f, "S", "b", "l1\r\nl2\n[Evil]\nk=8"));
    QVERIFY(set(f, "S", "c", u"a\0b"_s) && set(f, "S", "d", QString(300, 'd')));
    QCOMPARE((QStringList{get(f, "S", "a"), get(f, "S", "b"), get(f, "Evil", "k"), get(f, "S", "c"),
                          get(f, "S", "d")}),
             (QStringList{"a  b", "l1  l2 [Evil] k=8", "", "a", QString(254, 'd')}));
    QVERIFY(readBytes(f).endsWith("\r\nc=a\r\nd=" + QByteArray(300, 'd') + "\r\n"));

    // Refused, the old file kept (places that cannot be written are refused by the whole-file
    // writer, tested with the script writer in tst_files): no key, no path, and what could
    // never be found again: a key with "=" or starting with "[", a section or key the file's
    // encoding cannot hold, line breaks in a name. A full disk fails as well.
    const QByteArray before = readBytes(f);
    QVERIFY(!set(f, "S", "  ", "x") && !set(QString(), "S", "K", "x"));
    QVERIFY(!set(f, "S", "a=b", "x") && !set(f, "S", "[k]", "x") && !set(f, "日本", "k", "x"));
    QVERIFY(!set(f, "S", "k\u263A", "x") && !set(f, "S\nT", "k", "x") && !set(f, "S", "k\rx", "x"));
    {
        FileSizeLimit full(before.size() - 1);
        QVERIFY(!set(f, "S", "a", "changed"));
    }
    QCOMPARE(readBytes(f), before);

    // A last line ending in a lone CR: the new key gets a line of its own.
    QVERIFY(writeBytes(f, "[O]\r\nMode=1\r") && set(f, "O", "Bitrate", "128"));
    QCOMPARE(get(f, "O", "Mode") + '|' + get(f, "O", "Bitrate"), "1|128");
    // A UTF-8 value may start with U+FEFF: only the file's own mark is dropped.
    QVERIFY(writeBytes(f, "\xEF\xBB\xBF[A]\r\n") && set(f, "A", "k", u"\uFEFFv"_s));
    QCOMPARE(get(f, "A", "k"), u"\uFEFFv"_s);
    QVERIFY(set(f, "日本", "k", "ok") && get(f, "日本", "k") == "ok"); // UTF-8 holds it

    // Writing through a link updates the file it points to and keeps the link.
    QVERIFY(writeBytes(path("target.qzo"), "[A]\r\nk=old\r\n") &&
            QFile::link(path("target.qzo"), path("link.qzo")));
    QVERIFY(set(path("link.qzo"), "A", "k", "new") && QFileInfo(path("link.qzo")).isSymLink());
    QCOMPARE(readBytes(path("target.qzo")), "[A]\r\nk=new\r\n");
}

void TestSettings::profileBadFiles()
{
    const QString f = path("bad.lng");
    // Binary garbage: texts stay within their size, and a write keeps every old byte.
    const QByteArray junk = noise(64 * 1024, 1234).replace('[', '{'); // no accidental headers
    QVERIFY(writeBytes(f, "[Main]\r\n" + junk));
    Language language;
    QCOMPARE(language.GetLangText("Main", "stb1"), QString()); // no current language
    language.setPath(path("bad"));
    QVERIFY(language.GetLangText("Main", "stb1").size() <= 254);
    QVERIFY(set(f, "OptLame", "stb1", "\"  ok  \""));
    QVERIFY(readBytes(f).startsWith("[Main]\r\n" + junk));
    QCOMPARE(language.GetLangText("optLame", "STB1"), "ok");

    // NUL bytes end a value and stay where they are on a write.
    const QByteArray text =
        "[Main]\r\n\0\r\nstb1=ab\0cd\r\nbig="_ba + QByteArray(300, 'z') + "\r\n";
    QVERIFY(writeBytes(f, text));
    QCOMPARE(get(f, "Main", "stb1") + get(f, "Main", "big"), "ab" + QString(254, 'z'));
    QVERIFY(set(f, "Main", "stb2", "2") && readBytes(f) == text + "stb2=2\r\n");

    // A header without its closing bracket is an ordinary line: the section goes on.
    QVERIFY(writeBytes(f, "[Main]\r\na=1\r\n[Folder\r\nb=2\r\n[Folder]]\r\nc=3\r\n"));
    QCOMPARE(get(f, "Main", "b") + '|' + get(f, "Folder", "b") + '|' + get(f, "Folder]", "c"),
             "2||3");
    QVERIFY(writeBytes(f, "\r\n\n \t \r\n") && get(f, "", "").isEmpty());

    // Duplicate sections and keys: the first one wins, for reading and for writing.
    QVERIFY(writeBytes(f, "[M]\r\nk=1\r\nK=2\r\n[m]\r\nk=3\r\nx=4\r\n"));
    QCOMPARE(get(f, "M", "k") + get(f, "M", "x"), "1");
    QVERIFY(set(f, "m", "K", "5") && set(f, "M", "x", "6"));
    QCOMPARE(readBytes(f), "[M]\r\nk=5\r\nK=2\r\nx=6\r\n[m]\r\nk=3\r\nx=4\r\n");

    // A FIFO (nobody writes into it) or a link to an endless device reads as empty at once,
    // and is never written through.
    const QString fifo = path("fifo.lng"), zero = path("zero.lng");
    QVERIFY(::mkfifo(QFile::encodeName(fifo).constData(), 0600) == 0 &&
            QFile::link("/dev/zero", zero));
    for (const QString& odd : {fifo, zero})
        QVERIFY(get(odd, "Main", "stb1").isEmpty() && !set(odd, "Main", "stb1", "x"));
    QVERIFY(QFileInfo(fifo).isFile() == false && QFileInfo(zero).isSymLink());
}

void TestSettings::settingsStore()
{
    const QString conf = m_settingsDir.filePath("Orvanel/Quenzal.conf");
    QCOMPARE(Stored("Bitrate"), QString()); // never written
    Store("Bitrate", "128");
    QVERIFY2(QFileInfo::exists(conf), qPrintable(conf)); // the test folder, not the user's
    QCOMPARE(Stored("Bitrate", "software/Orvanel\\QUENZAL\\"), "128");
    Store("Bitrate", "8", "Software\\Orvanel"); // another key is neither written nor read
    QCOMPARE(Stored("Bitrate") + Stored("Bitrate", "Software\\Orvanel\\QuenzalX"), "128");

    // Names and texts exactly as given: nothing the store's own file format means may leak in.
    Store("Qualité", "1");
    QCOMPARE(Stored("Qualité") + Stored("Qualite"), "1");
    for (const char* text : {"-b 128 -m j -h ", "  a, b  ", "@ByteArray(AB)", "@Variant(junk)",
                             "l1\nl2\r\n", "C:\\Quenzal\\fr.lng", "; = [S] \" %U00E9 €日本", ""}) {
        Store("Commande LAME", text);
        QCOMPARE(Stored("Commande LAME"), text);
    }
    Store("Commande LAME", u"ab\0cd"_s);
    QCOMPARE(Stored("Commande LAME"), "ab");

    // Raw bytes read as a little-endian signed 16-bit number; other kinds of value as empty.
    QSettings("Orvanel", "Quenzal").setValue("Raw", QByteArray("\x34\x12\xFF", 3));
    QSettings("Orvanel", "Quenzal").setValue("Neg", QByteArray("\xFF\xFF", 2));
    QSettings("Orvanel", "Quenzal").setValue("Short", QByteArray("\x01", 1));
    QSettings("Orvanel", "Quenzal").setValue("Size", QSize(1, 2));
    QCOMPARE(Stored("Raw") + Stored("Neg") + Stored("Short") + Stored("Size"), "4660-1");

    // A hand-edited store reads as it stands (the number rule that refuses "abc": tst_lame).
    QVERIFY(writeBytes(conf, "[General]\nBitrate=abc\nMode=\nQualite=4.5\n"));
    QCOMPARE(Stored("Bitrate") + '|' + Stored("Mode") + '|' + Stored("Qualite"), "abc||4.5");

    // A pipe in place of the store reads as empty at once and is never written through.
    QVERIFY(QFile::remove(conf) && ::mkfifo(QFile::encodeName(conf).constData(), 0600) == 0);
    QVERIFY(Stored("Langue").isEmpty() &&
            !WriteRegistryValues(RegistryRoot::CurrentUser, kQuenzalKey, {{"Langue", "x"}}));
    QVERIFY(QFileInfo(conf).exists() && !QFileInfo(conf).isFile() && QFile::remove(conf));

    // Binary garbage in place of the store: no crash, and it can be written again.
    QVERIFY(writeBytes(conf, noise(16 * 1024, 99)));
    Store("Langue", "/x/fr.lng");
    QCOMPARE(Stored("Langue"), "/x/fr.lng");
}

QTEST_GUILESS_MAIN(TestSettings)
#include "tst_settings.moc"

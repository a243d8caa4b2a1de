#include "lame/NumberText.h"
#include "settings/Language.h"
#include "settings/ProfileFile.h"
#include "settings/SettingsStore.h"
#include "settings/TextCodec.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QSettings>
#include <QSize>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

// Literal bytes, NUL characters included.
template <std::size_t N> QByteArray bytes(const char (&text)[N])
{
    return QByteArray(text, N - 1);
}

QByteArray readBytes(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

bool writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// Files in the folder other than the expected ones: a failed or finished write must leave
// no temporary file behind.
QStringList strayFiles(const QString& folder, const QStringList& expected)
{
    QStringList names = QDir(folder).entryList(QDir::Files | QDir::Hidden);
    for (const QString& name : expected)
        names.removeAll(name);
    return names;
}

const QString kKey = QStringLiteral("Software\\Orvanel\\Quenzal");

} // namespace

class TestSettings : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();

    void textCodec();
    void profileRead();
    void profileReadLineEndsAndEncodings();
    void profileWrite();
    void profileWriteKeepsLineEndsAndEncoding();
    void profileBadFiles();
    void profileWriteFailures();
    void settingsStore();
    void settingsStoreOddValues();
    void languageTexts();

private:
    QString path(const QString& name) const { return m_dir->filePath(name); }

    QTemporaryDir m_settingsDir;
    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestSettings::initTestCase()
{
    QVERIFY(m_settingsDir.isValid());
    QStandardPaths::setTestModeEnabled(true);
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_settingsDir.path());
}

void TestSettings::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void TestSettings::textCodec()
{
    // Every byte survives a round trip, the five undefined ones included.
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all.append(char(b));
    const QString decoded = TextCodec::fromWindows1252(all);
    QCOMPARE(decoded.size(), 256);
    QCOMPARE(TextCodec::toWindows1252(decoded), all);

    QCOMPARE(TextCodec::fromWindows1252("\x80\x8C\x9F\xE9\xFF"),
             QStringLiteral("\u20AC\u0152\u0178\u00E9\u00FF"));
    QCOMPARE(TextCodec::fromWindows1252("\x81\x9D"), QStringLiteral("\u0081\u009D"));
    QCOMPARE(TextCodec::toWindows1252(QStringLiteral("Qualité €")), QByteArray("Qualit\xE9 \x80"));

    // What the code page cannot hold becomes "?", one per character the user sees.
    QCOMPARE(TextCodec::toWindows1252(QStringLiteral("a\u65E5\u672Cb")), QByteArray("a??b"));
    QCOMPARE(TextCodec::toWindows1252(QStringLiteral("x\U0001F3B5y")), QByteArray("x?y"));
    QCOMPARE(TextCodec::toWindows1252(QString(QChar(0xD800))), QByteArray("?"));
    QCOMPARE(TextCodec::toWindows1252(QString(QChar(0x0080))), QByteArray("?"));

    bool utf8 = false;
    QCOMPARE(TextCodec::decodeProfileText("\xEF\xBB\xBFQualit\xC3\xA9", &utf8),
             QStringLiteral("Qualité"));
    QVERIFY(utf8);
    QCOMPARE(TextCodec::decodeProfileText("Qualit\xC3\xA9", &utf8), QStringLiteral("QualitÃ©"));
    QVERIFY(!utf8);
    QCOMPARE(TextCodec::decodeProfileText(QByteArray()), QString());
}

void TestSettings::profileRead()
{
    const QString file = path(QStringLiteral("p.qzo"));
    const QString longValue(300, QLatin1Char('x'));
    QVERIFY(writeBytes(file, "; a comment line\r\n"
                             "orphan=before any section\r\n"
                             "[General]\r\n"
                             "Description =   two  inner  blanks   \r\n"
                             "Bitrate=128\r\n"
                             "\r\n"
                             "  [ Option ]  \r\n"
                             "MODE\t=\t1\t\r\n"
                             "Quoted=\"  kept inside  \"\r\n"
                             "Single='abc'\r\n"
                             "Twice=\"\"abc\"\"\r\n"
                             "Mismatched=\"abc'\r\n"
                             "Lone=\"\r\n"
                             "Equals=a=b=c\r\n"
                             "NoEquals\r\n"
                             "Empty=\r\n"
                             "Long=" +
                                 longValue.toLatin1() + "\r\n"));
    const auto read = [&](const char* section, const char* key, int size = 255) {
        return ProfileFile::readValue(file, QLatin1String(section), QLatin1String(key), size);
    };
    QCOMPARE(read("General", "Bitrate"), QStringLiteral("128"));
    QCOMPARE(read("general", "BITRATE"), QStringLiteral("128"));
    QCOMPARE(read("General", "Description"), QStringLiteral("two  inner  blanks"));
    QCOMPARE(read("Option", "Mode"), QStringLiteral("1"));
    QCOMPARE(read(" option ", " mode "), QStringLiteral("1"));
    QCOMPARE(read("Option", "Quoted"), QStringLiteral("  kept inside  "));
    QCOMPARE(read("Option", "Single"), QStringLiteral("abc"));
    QCOMPARE(read("Option", "Twice"), QStringLiteral("\"abc\""));
    QCOMPARE(read("Option", "Mismatched"), QStringLiteral("\"abc'"));
    QCOMPARE(read("Option", "Lone"), QStringLiteral("\""));
    QCOMPARE(read("Option", "Equals"), QStringLiteral("a=b=c"));
    QCOMPARE(read("Option", "NoEquals"), QString());
    QCOMPARE(read("Option", "Empty"), QString());

    // Cut to size - 1 characters.
    QCOMPARE(read("Option", "Long"), longValue.left(254));
    QCOMPARE(read("Option", "Long", 10), longValue.left(9));
    QCOMPARE(read("Option", "Bitrate", 1), QString());
    QCOMPARE(read("General", "Bitrate", 0), QString());
    QCOMPARE(read("General", "Bitrate", -5), QString());

    // Missing pieces read as empty; keys never leak from another section or from before the
    // first one.
    QCOMPARE(read("Option", "Bitrate"), QString());
    QCOMPARE(read("General", "Mode"), QString());
    QCOMPARE(read("Missing", "Bitrate"), QString());
    QCOMPARE(read("", "orphan"), QString());
    QCOMPARE(ProfileFile::readValue(path(QStringLiteral("none.qzo")), QStringLiteral("General"),
                                    QStringLiteral("Bitrate"), 255),
             QString());
    QCOMPARE(ProfileFile::readValue(QString(), QStringLiteral("General"), QStringLiteral("Bitrate"),
                                    255),
             QString());
    QCOMPARE(ProfileFile::readValue(m_dir->path(), QStringLiteral("General"),
                                    QStringLiteral("Bitrate"), 255),
             QString());
}

void TestSettings::profileReadLineEndsAndEncodings()
{
    const QString lf = path(QStringLiteral("lf.qzo"));
    QVERIFY(writeBytes(lf, "[A]\nk=lf value\n[B]\nk=last"));
    QCOMPARE(ProfileFile::readValue(lf, QStringLiteral("A"), QStringLiteral("k"), 255),
             QStringLiteral("lf value"));
    QCOMPARE(ProfileFile::readValue(lf, QStringLiteral("B"), QStringLiteral("k"), 255),
             QStringLiteral("last"));

    const QString mixed = path(QStringLiteral("mixed.qzo"));
    QVERIFY(writeBytes(mixed, "[A]\r\nx=1\ny=2\r\n"));
    QCOMPARE(ProfileFile::readValue(mixed, QStringLiteral("a"), QStringLiteral("X"), 255),
             QStringLiteral("1"));
    QCOMPARE(ProfileFile::readValue(mixed, QStringLiteral("a"), QStringLiteral("Y"), 255),
             QStringLiteral("2"));

    // Windows-1252 on disk, in section names, keys and values alike.
    const QString ansi = path(QStringLiteral("ansi.qzo"));
    QVERIFY(writeBytes(ansi, "[VBR]\r\nQualit\xE9=\x80 \xE9t\xE9\r\n"));
    QCOMPARE(ProfileFile::readValue(ansi, QStringLiteral("VBR"), QStringLiteral("QUALITÉ"), 255),
             QStringLiteral("€ été"));

    // A byte-order mark makes the file UTF-8; without it the same bytes are Windows-1252.
    const QString utf8 = path(QStringLiteral("utf8.lng"));
    QVERIFY(writeBytes(utf8, "\xEF\xBB\xBF[Main]\r\nmnuFile=Fichier \xC3\xA9t\xC3\xA9 "
                             "\xF0\x9F\x8E\xB5\r\n"));
    QCOMPARE(ProfileFile::readValue(utf8, QStringLiteral("Main"), QStringLiteral("mnuFile"), 255),
             QStringLiteral("Fichier été \U0001F3B5"));
    // A cut never leaves half of a character beyond 16 bits.
    QCOMPARE(ProfileFile::readValue(utf8, QStringLiteral("Main"), QStringLiteral("mnuFile"), 14),
             QStringLiteral("Fichier été "));
}

void TestSettings::profileWrite()
{
    // A missing file is created with CR LF line ends.
    const QString file = path(QStringLiteral("new.qzo"));
    QVERIFY(ProfileFile::writeValue(file, QStringLiteral("General"), QStringLiteral("Bitrate"),
                                    QStringLiteral("128")));
    QCOMPARE(readBytes(file), QByteArray("[General]\r\nBitrate=128\r\n"));

    // A missing key goes at the end of its section, before the next one; a missing section
    // at the end of the file.
    QVERIFY(
        writeBytes(file, "; keep me\r\n[General]\r\nBitrate=128\r\n\r\n[Option]\r\nMode=1\r\n"));
    QVERIFY(ProfileFile::writeValue(file, QStringLiteral("general"), QStringLiteral("Description"),
                                    QStringLiteral("Voix")));
    QVERIFY(ProfileFile::writeValue(file, QStringLiteral("Marque"), QStringLiteral("Copie"),
                                    QStringLiteral("0")));
    QCOMPARE(readBytes(file), QByteArray("; keep me\r\n[General]\r\nBitrate=128\r\n"
                                         "Description=Voix\r\n\r\n[Option]\r\nMode=1\r\n"
                                         "[Marque]\r\nCopie=0\r\n"));

    // Replacing keeps every other byte, the key's own spelling and its line end.
    QVERIFY(writeBytes(file, "[General]\r\n  BitRate = 128 ; old\r\nBitrate=dup\r\nZ=1"));
    QVERIFY(ProfileFile::writeValue(file, QStringLiteral("GENERAL"), QStringLiteral("bitrate"),
                                    QStringLiteral("320")));
    QCOMPARE(readBytes(file), QByteArray("[General]\r\nBitRate=320\r\nBitrate=dup\r\nZ=1"));
    QVERIFY(ProfileFile::writeValue(file, QStringLiteral("General"), QStringLiteral("Z"),
                                    QStringLiteral("2")));
    QCOMPARE(readBytes(file), QByteArray("[General]\r\nBitRate=320\r\nBitrate=dup\r\nZ=2"));

    // A section whose last line has no line end gets one before the new key; so does a file
    // before a new section.
    QVERIFY(ProfileFile::writeValue(file, QStringLiteral("General"), QStringLiteral("New"),
                                    QStringLiteral("n")));
    QCOMPARE(readBytes(file),
             QByteArray("[General]\r\nBitRate=320\r\nBitrate=dup\r\nZ=2\r\nNew=n\r\n"));
    QVERIFY(writeBytes(file, "[A]\r\nk=v"));
    QVERIFY(ProfileFile::writeValue(file, QStringLiteral("B"), QStringLiteral("k"),
                                    QStringLiteral("w")));
    QCOMPARE(readBytes(file), QByteArray("[A]\r\nk=v\r\n[B]\r\nk=w\r\n"));
    QVERIFY(writeBytes(file, "[Last]"));
    QVERIFY(ProfileFile::writeValue(file, QStringLiteral("Last"), QStringLiteral("k"),
                                    QStringLiteral("v")));
    QCOMPARE(readBytes(file), QByteArray("[Last]\r\nk=v\r\n"));

    // Values round-trip, except for what the file format cannot hold: blanks around a value,
    // line breaks (written as blanks), text after a NUL, and more than 254 characters.
    QVERIFY(writeBytes(file, QByteArray()));
    const auto roundTrip = [&](const QString& value) {
        if (!ProfileFile::writeValue(file, QStringLiteral("S"), QStringLiteral("K"), value))
            return QStringLiteral("<not written>");
        return ProfileFile::readValue(file, QStringLiteral("S"), QStringLiteral("K"), 255);
    };
    QCOMPARE(roundTrip(QStringLiteral("Qualité € -b 128 ")), QStringLiteral("Qualité € -b 128"));
    QCOMPARE(roundTrip(QStringLiteral("  a  b  ")), QStringLiteral("a  b"));
    QCOMPARE(roundTrip(QStringLiteral("line1\r\nline2\n[Evil]\nBitrate=8")),
             QStringLiteral("line1  line2 [Evil] Bitrate=8"));
    QCOMPARE(ProfileFile::readValue(file, QStringLiteral("Evil"), QStringLiteral("Bitrate"), 255),
             QString());
    QCOMPARE(roundTrip(QStringLiteral("a") + QChar(0) + QStringLiteral("b")), QStringLiteral("a"));
    QCOMPARE(roundTrip(QStringLiteral("日本")), QStringLiteral("??"));
    QCOMPARE(roundTrip(QString()), QString());
    QCOMPARE(roundTrip(QString(300, QLatin1Char('d'))), QString(254, QLatin1Char('d')));
    QVERIFY(readBytes(file).contains(QByteArray(300, 'd'))); // saved whole
    QCOMPARE(readBytes(file).count("[S]"), 1);
    QCOMPARE(readBytes(file).count("K="), 1);

    // A key that could never be read back is not written.
    const QByteArray before = readBytes(file);
    QVERIFY(!ProfileFile::writeValue(file, QStringLiteral("S"), QStringLiteral("  "),
                                     QStringLiteral("x")));
    QVERIFY(!ProfileFile::writeValue(QString(), QStringLiteral("S"), QStringLiteral("K"),
                                     QStringLiteral("x")));
    QCOMPARE(readBytes(file), before);
}

void TestSettings::profileWriteKeepsLineEndsAndEncoding()
{
    const QString lf = path(QStringLiteral("lf.qzo"));
    QVERIFY(writeBytes(lf, "[A]\nx=1\n"));
    QVERIFY(
        ProfileFile::writeValue(lf, QStringLiteral("A"), QStringLiteral("y"), QStringLiteral("2")));
    QVERIFY(
        ProfileFile::writeValue(lf, QStringLiteral("B"), QStringLiteral("z"), QStringLiteral("3")));
    QCOMPARE(readBytes(lf), QByteArray("[A]\nx=1\ny=2\n[B]\nz=3\n"));

    const QString utf8 = path(QStringLiteral("utf8.qzo"));
    QVERIFY(writeBytes(utf8, "\xEF\xBB\xBF[VBR]\r\nQualit\xC3\xA9=4\r\n"));
    QVERIFY(ProfileFile::writeValue(utf8, QStringLiteral("vbr"), QStringLiteral("qualité"),
                                    QStringLiteral("5 日本")));
    QCOMPARE(readBytes(utf8), QByteArray("\xEF\xBB\xBF[VBR]\r\nQualit\xC3\xA9=5 "
                                         "\xE6\x97\xA5\xE6\x9C\xAC\r\n"));
    // A file that holds nothing but the mark stays UTF-8.
    QVERIFY(writeBytes(utf8, "\xEF\xBB\xBF"));
    QVERIFY(ProfileFile::writeValue(utf8, QStringLiteral("S"), QStringLiteral("k"),
                                    QStringLiteral("é")));
    QCOMPARE(readBytes(utf8), QByteArray("\xEF\xBB\xBF[S]\r\nk=\xC3\xA9\r\n"));

    const QString ansi = path(QStringLiteral("ansi.qzo"));
    QVERIFY(ProfileFile::writeValue(ansi, QStringLiteral("VBR"), QStringLiteral("Qualité"),
                                    QStringLiteral("€")));
    QCOMPARE(readBytes(ansi), QByteArray("[VBR]\r\nQualit\xE9=\x80\r\n"));

    // Writing through a link updates the file it points to and keeps the link.
    const QString target = path(QStringLiteral("target.qzo"));
    const QString link = path(QStringLiteral("link.qzo"));
    QVERIFY(writeBytes(target, "[A]\r\nk=old\r\n"));
    QVERIFY(QFile::link(target, link));
    QVERIFY(ProfileFile::writeValue(link, QStringLiteral("A"), QStringLiteral("k"),
                                    QStringLiteral("new")));
    QVERIFY(QFileInfo(link).isSymLink());
    QCOMPARE(readBytes(target), QByteArray("[A]\r\nk=new\r\n"));
}

void TestSettings::profileBadFiles()
{
    // Binary garbage: reading finds nothing, writing keeps every old byte and adds its section.
    const QString garbage = path(QStringLiteral("garbage.lng"));
    QByteArray noise(64 * 1024, Qt::Uninitialized);
    QRandomGenerator random(1234);
    for (char& c : noise)
        c = char(random.bounded(256));
    noise.replace('[', '{'); // no accidental section headers
    QVERIFY(writeBytes(garbage, noise));
    QCOMPARE(ProfileFile::readValue(garbage, QStringLiteral("Main"), QStringLiteral("stb1"), 255),
             QString());
    QVERIFY(ProfileFile::writeValue(garbage, QStringLiteral("Main"), QStringLiteral("stb1"),
                                    QStringLiteral("ok")));
    QVERIFY(readBytes(garbage).startsWith(noise));
    QCOMPARE(ProfileFile::readValue(garbage, QStringLiteral("Main"), QStringLiteral("stb1"), 255),
             QStringLiteral("ok"));

    // Garbage inside a section, NUL bytes included.
    const QString nul = path(QStringLiteral("nul.lng"));
    QVERIFY(writeBytes(nul, bytes("[Main]\r\n\0\0\0\r\nst\0b=x\r\nstb1=ab\0cd\r\n"
                                  "stb2=\"q\0\"\r\n\xFF\xFE\x01=\x02\r\n")));
    QCOMPARE(ProfileFile::readValue(nul, QStringLiteral("Main"), QStringLiteral("stb1"), 255),
             QStringLiteral("ab"));
    QCOMPARE(ProfileFile::readValue(nul, QStringLiteral("Main"), QStringLiteral("stb2"), 255),
             QStringLiteral("q"));
    QVERIFY(ProfileFile::writeValue(nul, QStringLiteral("Main"), QStringLiteral("stb1"),
                                    QStringLiteral("new")));
    QCOMPARE(readBytes(nul), bytes("[Main]\r\n\0\0\0\r\nst\0b=x\r\nstb1=new\r\n"
                                   "stb2=\"q\0\"\r\n\xFF\xFE\x01=\x02\r\n"));

    // A 10 MB line before the key, and a 10 MB value cut to size.
    const QString huge = path(QStringLiteral("huge.lng"));
    const QByteArray bigLine(10 * 1024 * 1024, 'z');
    QVERIFY(writeBytes(huge, "[Main]\r\n" + bigLine + "\r\nstb1=after\r\nbig=" + bigLine + "\r\n"));
    QCOMPARE(ProfileFile::readValue(huge, QStringLiteral("Main"), QStringLiteral("stb1"), 255),
             QStringLiteral("after"));
    QCOMPARE(ProfileFile::readValue(huge, QStringLiteral("Main"), QStringLiteral("big"), 255),
             QString(254, QLatin1Char('z')));
    QVERIFY(ProfileFile::writeValue(huge, QStringLiteral("Main"), QStringLiteral("stb2"),
                                    QStringLiteral("2")));
    QCOMPARE(readBytes(huge).size(), 8 + bigLine.size() + 2 + 12 + 4 + bigLine.size() + 2 + 8);

    // Many lines without "=" must not make each lookup crawl through the rest of the file.
    const QString flat = path(QStringLiteral("flat.lng"));
    QByteArray lines = "[Main]\n";
    lines += QByteArray("word\n").repeated(400000);
    lines += "stb1=found\n";
    QVERIFY(writeBytes(flat, lines));
    QCOMPARE(ProfileFile::readValue(flat, QStringLiteral("Main"), QStringLiteral("stb1"), 255),
             QStringLiteral("found"));

    // A header without its closing bracket is an ordinary line: the section goes on.
    const QString open = path(QStringLiteral("open.lng"));
    QVERIFY(writeBytes(open, "[Main]\r\na=1\r\n[Folder\r\nb=2\r\n[Folder]]\r\nc=3\r\n"));
    QCOMPARE(ProfileFile::readValue(open, QStringLiteral("Main"), QStringLiteral("b"), 255),
             QStringLiteral("2"));
    QCOMPARE(ProfileFile::readValue(open, QStringLiteral("Folder"), QStringLiteral("b"), 255),
             QString());
    QCOMPARE(ProfileFile::readValue(open, QStringLiteral("Folder]"), QStringLiteral("c"), 255),
             QStringLiteral("3"));

    // Duplicate sections and keys: the first one wins, for reading and for writing.
    const QString dup = path(QStringLiteral("dup.lng"));
    QVERIFY(writeBytes(dup, "[Main]\r\nk=first\r\nK=second\r\nonlyLater=no\r\n"
                            "[main]\r\nk=third\r\nx=in second section\r\n"));
    QCOMPARE(ProfileFile::readValue(dup, QStringLiteral("Main"), QStringLiteral("k"), 255),
             QStringLiteral("first"));
    QCOMPARE(ProfileFile::readValue(dup, QStringLiteral("Main"), QStringLiteral("x"), 255),
             QString());
    QVERIFY(ProfileFile::writeValue(dup, QStringLiteral("MAIN"), QStringLiteral("x"),
                                    QStringLiteral("1")));
    QCOMPARE(readBytes(dup), QByteArray("[Main]\r\nk=first\r\nK=second\r\nonlyLater=no\r\nx=1\r\n"
                                        "[main]\r\nk=third\r\nx=in second section\r\n"));

    // Empty file and a file of blank lines.
    const QString empty = path(QStringLiteral("empty.lng"));
    QVERIFY(writeBytes(empty, QByteArray()));
    QCOMPARE(ProfileFile::readValue(empty, QStringLiteral("Main"), QStringLiteral("k"), 255),
             QString());
    QVERIFY(writeBytes(empty, "\r\n\n \t \r\n"));
    QCOMPARE(ProfileFile::readValue(empty, QStringLiteral(""), QStringLiteral(""), 255), QString());
}

void TestSettings::profileWriteFailures()
{
    const QByteArray content = "[General]\r\nBitrate=128\r\n";

    // Missing folder: nothing is created.
    const QString missing = path(QStringLiteral("nowhere/p.qzo"));
    QVERIFY(!ProfileFile::writeValue(missing, QStringLiteral("General"), QStringLiteral("Bitrate"),
                                     QStringLiteral("8")));
    QVERIFY(!QFileInfo::exists(path(QStringLiteral("nowhere"))));

    // A read-only file stays as it was, also for root.
    const QString readOnly = path(QStringLiteral("ro.qzo"));
    QVERIFY(writeBytes(readOnly, content));
    QVERIFY(QFile::setPermissions(readOnly, QFileDevice::ReadOwner | QFileDevice::ReadGroup));
    QVERIFY(!ProfileFile::writeValue(readOnly, QStringLiteral("General"), QStringLiteral("Bitrate"),
                                     QStringLiteral("8")));
    QCOMPARE(readBytes(readOnly), content);

    // A file in a read-only folder stays as it was, and no temporary file is left.
    const QString folder = path(QStringLiteral("locked"));
    QVERIFY(QDir().mkdir(folder));
    const QString inLocked = folder + QStringLiteral("/p.qzo");
    QVERIFY(writeBytes(inLocked, content));
    QVERIFY(QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::ExeOwner));
    QVERIFY(!ProfileFile::writeValue(inLocked, QStringLiteral("General"), QStringLiteral("Bitrate"),
                                     QStringLiteral("8")));
    QVERIFY(QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                              QFileDevice::ExeOwner));
    QCOMPARE(readBytes(inLocked), content);
    QCOMPARE(strayFiles(folder, {QStringLiteral("p.qzo")}), QStringList());

    // A folder in place of the file.
    const QString isFolder = path(QStringLiteral("folder.qzo"));
    QVERIFY(QDir().mkdir(isFolder));
    QVERIFY(!ProfileFile::writeValue(isFolder, QStringLiteral("General"), QStringLiteral("Bitrate"),
                                     QStringLiteral("8")));
    QVERIFY(QFileInfo(isFolder).isDir());

    // A successful write leaves only the file itself.
    const QString ok = path(QStringLiteral("ok.qzo"));
    QVERIFY(
        ProfileFile::writeValue(ok, QStringLiteral("A"), QStringLiteral("k"), QStringLiteral("v")));
    QCOMPARE(strayFiles(m_dir->path(), {QStringLiteral("ro.qzo"), QStringLiteral("ok.qzo")}),
             QStringList());
}

void TestSettings::settingsStore()
{
    const QString conf = m_settingsDir.filePath(QStringLiteral("Orvanel/Quenzal.conf"));
    QFile::remove(conf);

    // Never written: empty text.
    QCOMPARE(ReadRegistryValue(RegistryRoot::CurrentUser, kKey, QStringLiteral("Bitrate")),
             QString());

    WriteRegistryValue(RegistryRoot::CurrentUser, kKey, QStringLiteral("Bitrate"),
                       QStringLiteral("128"));
    QVERIFY2(QFileInfo::exists(conf), qPrintable(conf)); // the test folder, not the user's
    QCOMPARE(ReadRegistryValue(RegistryRoot::CurrentUser, kKey, QStringLiteral("Bitrate")),
             QStringLiteral("128"));

    // The key path in any case, with either separator, with or without a trailing one.
    for (const char* key : {"software\\orvanel\\quenzal", "Software\\Orvanel\\Quenzal\\",
                            "SOFTWARE/ORVANEL/QUENZAL/", "Software\\Orvanel\\Quenzal\\\\"}) {
        QCOMPARE(ReadRegistryValue(RegistryRoot::CurrentUser, QLatin1String(key),
                                   QStringLiteral("Bitrate")),
                 QStringLiteral("128"));
    }
    // Another key is neither read nor written.
    for (const char* key : {"Software\\Orvanel", "Software\\Orvanel\\Quenzal\\Sub",
                            "Software\\Orvanel\\QuenzalX", ""}) {
        QCOMPARE(ReadRegistryValue(RegistryRoot::CurrentUser, QLatin1String(key),
                                   QStringLiteral("Bitrate")),
                 QString());
        WriteRegistryValue(RegistryRoot::CurrentUser, QLatin1String(key), QStringLiteral("Bitrate"),
                           QStringLiteral("8"));
    }
    QCOMPARE(ReadRegistryValue(RegistryRoot::CurrentUser, kKey, QStringLiteral("Bitrate")),
             QStringLiteral("128"));

    // Value names exactly as given: accents and inner blanks, each its own value.
    const QStringList names = {QStringLiteral("Qualité"),
                               QStringLiteral("Qualite"),
                               QStringLiteral("Commande LAME"),
                               QStringLiteral("CommandeLAME"),
                               QStringLiteral("HighPassWith Activé"),
                               QStringLiteral("Valeur LowPassWith"),
                               QStringLiteral("Bitrate VBR")};
    for (qsizetype i = 0; i < names.size(); ++i)
        WriteRegistryValue(RegistryRoot::CurrentUser, kKey, names[i], QString::number(i));
    for (qsizetype i = 0; i < names.size(); ++i) {
        QCOMPARE(ReadRegistryValue(RegistryRoot::CurrentUser, kKey, names[i]), QString::number(i));
    }

    // Writing the empty text stores an empty value.
    WriteRegistryValue(RegistryRoot::CurrentUser, kKey, QStringLiteral("Police"), QString());
    QCOMPARE(ReadRegistryValue(RegistryRoot::CurrentUser, kKey, QStringLiteral("Police")),
             QString());
    QVERIFY(QSettings(QStringLiteral("Orvanel"), QStringLiteral("Quenzal"))
                .contains(QStringLiteral("Police")));

    // Texts come back exactly, the preview's trailing blank included.
    const QStringList texts = {QStringLiteral("-b 128 -m j -h "),
                               QStringLiteral("  blanks around  "),
                               QStringLiteral("a, b, c"),
                               QStringLiteral("@ByteArray(AB)"),
                               QStringLiteral("@Variant(junk)"),
                               QStringLiteral("line1\nline2\r\n"),
                               QStringLiteral("/home/u/Langue/fr.lng"),
                               QStringLiteral("C:\\Quenzal\\Langue\\fr.lng"),
                               QStringLiteral("; = [General] \" ' %U00E9 €日本")};
    for (const QString& text : texts) {
        WriteRegistryValue(RegistryRoot::CurrentUser, kKey, QStringLiteral("Description"), text);
        QCOMPARE(ReadRegistryValue(RegistryRoot::CurrentUser, kKey, QStringLiteral("Description")),
                 text);
    }
    // A value ends at its first NUL character.
    WriteRegistryValue(RegistryRoot::CurrentUser, kKey, QStringLiteral("Description"),
                       QStringLiteral("ab") + QChar(0) + QStringLiteral("cd"));
    QCOMPARE(ReadRegistryValue(RegistryRoot::CurrentUser, kKey, QStringLiteral("Description")),
             QStringLiteral("ab"));

    // A value without a name is not written.
    WriteRegistryValue(RegistryRoot::CurrentUser, kKey, QString(), QStringLiteral("x"));
    QCOMPARE(ReadRegistryValue(RegistryRoot::CurrentUser, kKey, QString()), QString());
}

void TestSettings::settingsStoreOddValues()
{
    const QString conf = m_settingsDir.filePath(QStringLiteral("Orvanel/Quenzal.conf"));
    QFile::remove(conf);
    {
        QSettings settings(QStringLiteral("Orvanel"), QStringLiteral("Quenzal"));
        settings.setValue(QStringLiteral("Raw"), QByteArray("\xFF\xFF\x12", 3));
        settings.setValue(QStringLiteral("Raw2"), QByteArray("\x34\x12", 2));
        settings.setValue(QStringLiteral("Short"), QByteArray("\x01", 1));
        settings.setValue(QStringLiteral("Size"), QSize(1, 2));
    }
    // Raw bytes read as a little-endian signed 16-bit number; other kinds read as empty.
    QCOMPARE(ReadRegistryValue(RegistryRoot::CurrentUser, kKey, QStringLiteral("Raw")),
             QStringLiteral("-1"));
    QCOMPARE(ReadRegistryValue(RegistryRoot::CurrentUser, kKey, QStringLiteral("Raw2")),
             QStringLiteral("4660"));
    QCOMPARE(ReadRegistryValue(RegistryRoot::CurrentUser, kKey, QStringLiteral("Short")),
             QString());
    QCOMPARE(ReadRegistryValue(RegistryRoot::CurrentUser, kKey, QStringLiteral("Size")), QString());

    // A hand-edited store: values that are not numbers read as text, and the number rule
    // refuses them, so a load stops there.
    QVERIFY(writeBytes(conf, "[General]\nBitrate=abc\nMode=\nQualite=4.5\nNiveau=12x\n"
                             "Bitrate%20VBR= 256 \n"));
    QCOMPARE(ReadRegistryValue(RegistryRoot::CurrentUser, kKey, QStringLiteral("Bitrate")),
             QStringLiteral("abc"));
    QVERIFY(!ToWholeNumber(QStringLiteral("abc")));
    QVERIFY(
        !ToWholeNumber(ReadRegistryValue(RegistryRoot::CurrentUser, kKey, QStringLiteral("Mode"))));
    QVERIFY(!ToWholeNumber(
        ReadRegistryValue(RegistryRoot::CurrentUser, kKey, QStringLiteral("Niveau"))));
    QCOMPARE(ToWholeNumber(
                 ReadRegistryValue(RegistryRoot::CurrentUser, kKey, QStringLiteral("Qualite"))),
             std::optional<qint32>(4));
    QCOMPARE(ToWholeNumber(
                 ReadRegistryValue(RegistryRoot::CurrentUser, kKey, QStringLiteral("Bitrate VBR"))),
             std::optional<qint32>(256));

    // Binary garbage in place of the store: nothing crashes, and the store can be written
    // again.
    QByteArray noise(16 * 1024, Qt::Uninitialized);
    QRandomGenerator random(99);
    for (char& c : noise)
        c = char(random.bounded(256));
    QVERIFY(writeBytes(conf, noise));
    for (const char* name : {"Bitrate", "Commande LAME", "Langue"})
        ReadRegistryValue(RegistryRoot::CurrentUser, kKey, QLatin1String(name));
    WriteRegistryValue(RegistryRoot::CurrentUser, kKey, QStringLiteral("Langue"),
                       QStringLiteral("/x/fr.lng"));
    QCOMPARE(ReadRegistryValue(RegistryRoot::CurrentUser, kKey, QStringLiteral("Langue")),
             QStringLiteral("/x/fr.lng"));
}

void TestSettings::languageTexts()
{
    const QString base = path(QStringLiteral("fr"));
    const QString file = base + QStringLiteral(".lng");
    QVERIFY(writeBytes(file, "[Main]\r\n"
                             "mnufile=  &Fichier  \r\n"
                             "stb1=\"  Ajouter des fichiers  \"\r\n"
                             "msgTimeA=Conversion termin\xE9"
                             "e\r\n"
                             "Long=" +
                                 QByteArray(300, 'L') +
                                 "\r\n"
                                 "Blank=   \r\n"
                                 "[OptLame]\r\n"
                                 "msgErrBitrate=D\xE9"
                                 "bit incorrect\r\n"));

    Language language;
    // No current language: every text is empty.
    QCOMPARE(language.path(), QString());
    QCOMPARE(language.GetLangText(QStringLiteral("Main"), QStringLiteral("mnuFile"), 255),
             QString());

    language.setPath(base);
    QCOMPARE(language.GetLangText(QStringLiteral("Main"), QStringLiteral("mnuFile"), 255),
             QStringLiteral("&Fichier"));
    QCOMPARE(language.GetLangText(QStringLiteral("Main"), QStringLiteral("stb1"), 255),
             QStringLiteral("Ajouter des fichiers"));
    QCOMPARE(language.GetLangText(QStringLiteral("Main"), QStringLiteral("msgTimeA"), 255),
             QStringLiteral("Conversion terminée"));
    QCOMPARE(language.GetLangText(QStringLiteral("optLame"), QStringLiteral("msgErrBitrate"), 255),
             QStringLiteral("Débit incorrect"));
    QCOMPARE(language.GetLangText(QStringLiteral("Main"), QStringLiteral("Long"), 255),
             QString(254, QLatin1Char('L')));
    QCOMPARE(language.GetLangText(QStringLiteral("Main"), QStringLiteral("Blank"), 255), QString());
    QCOMPARE(language.GetLangText(QStringLiteral("Main"), QStringLiteral("missing"), 255),
             QString());
    QCOMPARE(language.GetLangText(QStringLiteral("Tag"), QStringLiteral("msgErrFile"), 255),
             QString());

    // Nothing is cached: an edit shows at the next lookup.
    QVERIFY(writeBytes(file, "[Main]\nmnuFile=File\n"));
    QCOMPARE(language.GetLangText(QStringLiteral("Main"), QStringLiteral("mnuFile"), 255),
             QStringLiteral("File"));

    // A language file of binary garbage gives empty texts, never a crash.
    QByteArray noise(8 * 1024, Qt::Uninitialized);
    QRandomGenerator random(7);
    for (char& c : noise)
        c = char(random.bounded(256));
    QVERIFY(writeBytes(file, "[Main]\r\n" + noise));
    for (const char* key : {"mnuFile", "stb1", "msgTimeA", ""})
        QVERIFY(language.GetLangText(QStringLiteral("Main"), QLatin1String(key), 255).size() <=
                254);

    // The path is without ".lng": the stored full path must lose its ending first.
    language.setPath(file);
    QCOMPARE(language.GetLangText(QStringLiteral("Main"), QStringLiteral("mnuFile"), 255),
             QString());
    language.setPath(path(QStringLiteral("missing")));
    QCOMPARE(language.GetLangText(QStringLiteral("Main"), QStringLiteral("mnuFile"), 255),
             QString());
}

QTEST_GUILESS_MAIN(TestSettings)
#include "tst_settings.moc"

// libFuzzer target: the script builder with arbitrary file names and options text. Each line
// is run by /bin/sh against a stand-in lame that logs its arguments: lame must receive
// exactly the intended words and paths, once, and nothing else may run.
#include "conversion/ConversionScript.h"
#include "settings/SwitchWords.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QList>
#include <QString>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>

using namespace Qt::StringLiterals;

namespace {

struct Sandbox {
    QTemporaryDir dir;
    QString lame = dir.filePath("lame");
    QString log = dir.filePath("log");
    QString script = dir.filePath("Quenzal.sh");
    Sandbox()
    {
        QFile file(lame);
        if (!file.open(QIODevice::WriteOnly) ||
            file.write("#!/bin/sh\nprintf 'call\\0' >> \"$(dirname \"$0\")/log\"\n"
                       "printf '%s\\0' \"$@\" >> \"$(dirname \"$0\")/log\"\n") < 0)
            std::abort();
        file.close();
        file.setPermissions(file.permissions() | QFileDevice::ExeOwner);
    }
};

// A name from fuzz bytes: no NUL (no path can hold one), kept short.
QString name(const QByteArray& bytes)
{
    QString text = QString::fromUtf8(bytes.left(120));
    text.remove(QChar(0));
    return text;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static Sandbox box;
    const QList<QByteArray> parts =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size)).split('\x01');
    const QString options = name(parts.value(0));
    const QString source = box.dir.filePath("in/") + name(parts.value(1));
    const QString output = box.dir.filePath("out/") + name(parts.value(2));
    const Direction direction = size > 0 && data[0] % 2 ? Direction::Decode : Direction::Encode;

    const ScriptLine line{0, source, output,
                          ScriptCommand(1, box.dir.path(), direction, options, source, output)};
    QFile script(box.script);
    const QByteArray text = ScriptText({line}).toUtf8();
    if (!script.open(QIODevice::WriteOnly) || script.write(text) != text.size())
        std::abort();
    script.close();
    QFile::remove(box.log);
    const QByteArray command =
        "cd " + QFile::encodeName(box.dir.path()) + " && /bin/sh Quenzal.sh >/dev/null 2>&1";
    std::system(command.constData());

    const QStringList expected =
        QStringList{u"call"_s} +
        (direction == Direction::Encode ? SwitchWords(options) : QStringList{u"--decode"_s}) +
        QStringList{source};
    QFile log(box.log);
    if (!log.open(QIODevice::ReadOnly))
        std::abort();
    QStringList received;
    for (const QByteArray& argument : log.readAll().split('\0'))
        received << QString::fromUtf8(argument);
    received.removeLast(); // after the last NUL
    // lame writes to the line's temporary file beside the output.
    const QString temporary = received.isEmpty() ? QString() : received.takeLast();
    if (!temporary.startsWith(output.left(output.lastIndexOf(u'/') + 1) + u".quenzal-"_s) ||
        !temporary.endsWith(u"-1.part"_s))
        std::abort();
    if (received != expected) {
        std::fprintf(stderr, "expected: %s\nreceived: %s\n", qPrintable(expected.join(u'|')),
                     qPrintable(received.join(u'|')));
        std::abort();
    }
    // Nothing else ran: the sandbox holds what it held.
    if (QDir(box.dir.path())
            .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name) !=
        QStringList({u"Quenzal.sh"_s, u"lame"_s, u"log"_s}))
        std::abort();
    return 0;
}

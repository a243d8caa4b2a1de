// Times the LAME options window where a user waits for it: its first creation (at program
// start, with the stored options loaded into it), and OK, which asks lame about the switches
// and saves the options.
//
// Usage: QT_QPA_PLATFORM=offscreen bench_optionlame [rounds]   (default 15)
// The program folder is the build folder (its `lame` link); the settings live in a temporary
// folder, never in the user's.

#include "app/ScriptDesktop.h"
#include "lame/LameCheck.h"
#include "lame/LameOptions.h"
#include "lame/LamePersistence.h"
#include "lame/OptionTable.h"
#include "lame/frmOptionLame.h"
#include "settings/Language.h"

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

// Nobody answers, as for a start by a script; the messages it would show are counted.
class SilentDesktop final : public ScriptDesktop {
public:
    int messages = 0;
    void showMessage(QObject*, const QString&, const QString&, Icon) override { ++messages; }
    bool ask(QObject*, const QString&, const QString&) override
    {
        ++messages;
        return true;
    }
};

double ms(const QElapsedTimer& timer)
{
    return timer.nsecsElapsed() / 1e6;
}

void report(const char* what, std::vector<double> times)
{
    std::sort(times.begin(), times.end());
    std::printf("%-44s median %7.1f ms   min %7.1f   max %7.1f   (%zu runs)\n", what,
                times[times.size() / 2], times.front(), times.back(), times.size());
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(1, QByteArray(argv[1]).toInt()) : 15;
    const QString programFolder = QCoreApplication::applicationDirPath() + QStringLiteral("/..");

    QStandardPaths::setTestModeEnabled(true);
    QTemporaryDir settings;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings.path());

    SilentDesktop desktop;
    Language language;
    language.setPath(programFolder + QStringLiteral("/Langue/English"));

    // The very first window of this process pays for Qt's one-time set-up too.
    QElapsedTimer timer;
    timer.start();
    auto first = std::make_unique<frmOptionLame>(nullptr, FirstStartOptions(), desktop, language,
                                                 programFolder);
    const double firstCreation = ms(timer);
    first.reset();
    std::printf("first creation of the window in this process: %.1f ms\n", firstCreation);

    // Options stored by an earlier run, so that the start-up load goes all the way.
    {
        KeptOptions stored = FirstStartOptions();
        stored.options.ActiveVBR = 1;
        stored.options.Qualite = 2;
        stored.switches = BuildLameCommand(stored.options) + QLatin1Char(' ');
        SaveKeptOptions(stored);
    }

    std::vector<double> creation, ok, check;
    for (int i = 0; i < rounds; ++i) {
        timer.start();
        KeptOptions kept = FirstStartOptions();
        if (!LoadKeptOptions(kept).complete())
            std::printf("warning: the stored options did not load completely\n");
        frmOptionLame window(nullptr, kept, desktop, language, programFolder);
        creation.push_back(ms(timer));

        window.open();
        timer.start();
        window.findChild<QPushButton*>(QStringLiteral("cmdOK"))->click();
        ok.push_back(ms(timer));

        timer.start();
        CheckLameSwitches(programFolder + QStringLiteral("/lame"), kept.switches);
        check.push_back(ms(timer));
    }
    report("creation + load of the stored options", creation);
    report("OK: checks, lame's verdict, hand-over, save", ok);
    report("  of which lame's verdict alone", check);
    if (desktop.messages != 0)
        std::printf("warning: %d message boxes were shown\n", desktop.messages);
    return 0;
}

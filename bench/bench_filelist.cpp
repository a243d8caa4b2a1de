// Folder search into the file list on a tree of 100,000 WAV files in 1,000 folders, against
// find(1) in the same run; peak memory with 100,000 rows shown; deleting 10,000 selected rows;
// 500,000 names handed over by a later start: how long they take and the longest the window
// goes without answering meanwhile.
// Usage: bench_filelist [TREE]   (the tree is made once and kept for later runs)
#include "app/FileListModel.h"
#include "app/Program.h"
#include "app/frmDossier.h"
#include "app/frmMain.h"
#include "tests/Control.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QItemSelection>
#include <QLineEdit>
#include <QProcess>
#include <QTimer>
#include <QTreeView>

#include <algorithm>
#include <cstdio>
#include <vector>

#include <sys/resource.h>

namespace {

constexpr int kFolders = 1000;
constexpr int kFilesPerFolder = 100;

void makeTree(const QString& root)
{
    if (QFile::exists(root + "/.complete"))
        return;
    std::printf("making the tree in %s ...\n", qPrintable(root));
    for (int f = 0; f < kFolders; ++f) {
        const QString folder = QString("%1/artist%2/album%3").arg(root).arg(f / 50).arg(f % 50);
        QDir().mkpath(folder);
        for (int i = 0; i < kFilesPerFolder; ++i) {
            QFile file(QString("%1/track %2.wav").arg(folder).arg(i, 3, 10, QChar('0')));
            file.open(QIODevice::WriteOnly);
            file.write("RIFF");
        }
    }
    QFile(root + "/.complete").open(QIODevice::WriteOnly);
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

double findMs(const QString& root)
{
    QElapsedTimer t;
    t.start();
    QProcess find;
    find.setStandardOutputFile(QProcess::nullDevice());
    find.start("find", {root, "-iname", "*.wav", "-printf", "%s %T@\\n"});
    find.waitForFinished(-1);
    return t.nsecsElapsed() / 1e6;
}

long peakMegabytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024;
}

} // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QString root = argc > 1 ? QString(argv[1]) : QDir::tempPath() + "/quenzal-bench-tree";
    makeTree(root);

    Program program(QCoreApplication::applicationDirPath());
    frmMain* main = program.mainWindow();
    main->show();
    findMs(root); // warm the cache for both

    std::vector<double> ours, theirs;
    for (int round = 0; round < 5; ++round) {
        control<QAction>(main, "mnuEffacer")->trigger();
        QCoreApplication::processEvents();
        frmDossier* window = program.folderWindow();
        control<QLineEdit>(window, "txtChemin")->setText(root);
        QElapsedTimer t;
        t.start();
        window->cmdAjouter_Click(); // searches and ends the window, as the user's "Ajouter"
        main->fileList().append(window->foundRows());
        delete window;
        QCoreApplication::processEvents(); // the list repaints with its rows
        ours.push_back(t.nsecsElapsed() / 1e6);
        theirs.push_back(findMs(root));
    }
    const int rows = main->fileList().rowCount();
    std::printf("rows found: %d\n", rows);
    std::printf("folder search into the list: %.1f ms (median of 5)\n", median(ours));
    std::printf("find -iname '*.wav' -printf:  %.1f ms (median of 5)\n", median(theirs));
    std::printf("ratio: %.2f\n", median(ours) / median(theirs));
    std::printf("peak memory with %d rows shown: %ld MB\n", rows, peakMegabytes());

    // 10,000 rows selected, scattered (every tenth row), then in one block.
    for (const bool scattered : {true, false}) {
        QItemSelection selection;
        for (int i = 0; i < 10000; ++i) {
            const int r = scattered ? i * 10 : 40000 + i;
            selection.select(main->fileList().index(r, 0), main->fileList().index(r, 4));
        }
        control<QTreeView>(main, "lstMain")
            ->selectionModel()
            ->select(selection, QItemSelectionModel::ClearAndSelect);
        QElapsedTimer t;
        t.start();
        control<QAction>(main, "mnuSupprimer")->trigger();
        QCoreApplication::processEvents();
        std::printf("delete 10,000 selected rows (%s): %.1f ms, %d rows left\n",
                    scattered ? "every tenth row" : "one block", t.nsecsElapsed() / 1e6,
                    main->fileList().rowCount());
    }

    // A later start hands over 500,000 names (the tree five times) while the window runs: a
    // timer every 5 ms shows how long the window goes without answering.
    QStringList names;
    for (int pass = 0; pass < 5; ++pass) {
        for (int f = 0; f < kFolders; ++f) {
            for (int i = 0; i < kFilesPerFolder; ++i)
                names << QString("%1/artist%2/album%3/track %4.wav")
                             .arg(root)
                             .arg(f / 50)
                             .arg(f % 50)
                             .arg(i, 3, 10, QChar('0'));
        }
    }
    control<QAction>(main, "mnuEffacer")->trigger();
    QCoreApplication::processEvents();
    QElapsedTimer t, sinceTick;
    qint64 longestGap = 0;
    QTimer probe;
    QObject::connect(&probe, &QTimer::timeout,
                     [&] { longestGap = std::max(longestGap, sinceTick.restart()); });
    probe.start(5);
    t.start();
    sinceTick.start();
    main->receivePaths(names);
    while (main->fileList().rowCount() < names.size())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    std::printf("500,000 names handed over: all in the list after %.1f s; the window answered "
                "at least every %lld ms meanwhile\n",
                t.nsecsElapsed() / 1e9, longestGap);
    return 0;
}

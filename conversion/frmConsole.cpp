#include "conversion/frmConsole.h"

#include <QCloseEvent>
#include <QDialog>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTimer>
#include <QTreeView>
#include <QVBoxLayout>

#include <algorithm>

namespace {

// The encoder redraws its progress about a hundred times a second; two redraws a second look
// live, and painting is most of what the window costs during a run (four cost 1.1% of a core).
constexpr int kRedrawIntervalMs = 500;

// QProgressBar repaints itself at once whenever its text changes, a costly paint of its own
// each time; held back, it is painted with the rest of the window in the next frame.
void setBarValue(QProgressBar* bar, int value)
{
    if (bar->value() == value)
        return;
    bar->setUpdatesEnabled(false);
    bar->setValue(value);
    bar->setUpdatesEnabled(true);
}

} // namespace

frmConsole::frmConsole(QWidget* parent)
    : QWidget(parent, Qt::Window)
    , m_texts(ConsoleTexts::builtIn())
{
    setObjectName(QStringLiteral("frmConsole"));

    m_rows = new ConsoleRows(this);
    lstFichiers = new QTreeView(this);
    lstFichiers->setObjectName(QStringLiteral("lstFichiers"));
    lstFichiers->setModel(m_rows);
    lstFichiers->setRootIsDecorated(false);
    lstFichiers->setUniformRowHeights(true);
    lstFichiers->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lstFichiers->header()->setStretchLastSection(true);
    lstFichiers->setColumnWidth(ConsoleRows::NameColumn, 260);
    connect(lstFichiers, &QTreeView::activated, this,
            [this](const QModelIndex& index) { openFileOutput(index.row() + 1); });

    txtSortie = new QPlainTextEdit(this);
    txtSortie->setObjectName(QStringLiteral("txtSortie"));
    txtSortie->setReadOnly(true);
    // A long run must not keep an undo history of every progress redraw.
    txtSortie->setUndoRedoEnabled(false);
    // The encoder draws tables and a histogram in columns: no wrapping, one font pitch.
    txtSortie->setLineWrapMode(QPlainTextEdit::NoWrap);
    txtSortie->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));

    lblFichier = new QLabel(this);
    lblFichier->setObjectName(QStringLiteral("lblFichier"));
    lblFichier->setTextFormat(Qt::PlainText);
    // A new file name must not lay the whole window out again.
    lblFichier->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    prgFichier = new QProgressBar(this);
    prgFichier->setObjectName(QStringLiteral("prgFichier"));
    prgFichier->setRange(0, 100);
    prgFichier->setValue(0);
    prgFichier->setTextVisible(false); // the name above says which file; a percentage costs a paint
    prgTotal = new QProgressBar(this);
    prgTotal->setObjectName(QStringLiteral("prgTotal"));
    prgTotal->setRange(0, 1);
    prgTotal->setValue(0);
    lblReste = new QLabel(this);
    lblReste->setObjectName(QStringLiteral("lblReste"));
    lblReste->setTextFormat(Qt::PlainText);

    cmdStop = new QPushButton(this);
    cmdStop->setObjectName(QStringLiteral("cmdStop"));
    cmdStop->setAutoDefault(false);
    cmdStop->setEnabled(false);
    cmdFermer = new QPushButton(this);
    cmdFermer->setObjectName(QStringLiteral("cmdFermer"));
    cmdFermer->setAutoDefault(false);
    cmdFermer->setEnabled(false);

    cmdReprendre = new QPushButton(this);
    cmdReprendre->setObjectName(QStringLiteral("cmdReprendre"));
    cmdReprendre->setAutoDefault(false);
    cmdReprendre->hide();

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cmdReprendre);
    buttons->addStretch(1);
    buttons->addWidget(cmdStop);
    buttons->addWidget(cmdFermer);
    auto* total = new QHBoxLayout;
    total->addWidget(prgTotal, 1);
    total->addWidget(lblReste);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lstFichiers, 1);
    layout->addWidget(txtSortie, 2);
    layout->addWidget(lblFichier);
    layout->addWidget(prgFichier);
    layout->addLayout(total);
    layout->addLayout(buttons);

    m_redrawTimer = new QTimer(this);
    m_redrawTimer->setObjectName(QStringLiteral("redrawTimer"));
    m_redrawTimer->setSingleShot(true);
    m_redrawTimer->setInterval(kRedrawIntervalMs);
    connect(m_redrawTimer, &QTimer::timeout, this, &frmConsole::redraw);
    connect(cmdStop, &QPushButton::clicked, this, &frmConsole::cmdStop_Click);
    connect(cmdFermer, &QPushButton::clicked, this, &QWidget::close);
    connect(cmdReprendre, &QPushButton::clicked, this, &frmConsole::retryRequested);

    resize(760, 620);
    m_rows->setTexts(m_texts.rows);
    applyTexts();
}

void frmConsole::setTexts(const ConsoleTexts& texts)
{
    m_texts = texts;
    m_rows->setTexts(m_texts.rows);
    applyTexts();
}

void frmConsole::beginRun(const QStringList& fileNames, const QStringList& notes, int jobs)
{
    m_redrawTimer->stop();
    closeFileOutputs();
    m_screen.clear();
    txtSortie->clear();
    m_shownDropped = 0;
    m_jobs = std::max(jobs, 1);
    m_fileCount = static_cast<int>(fileNames.size());
    m_rows->reset(fileNames, sideBySide());
    m_filesDone = 0;
    m_currentFile = 0;
    m_currentName.clear();
    m_fileProgress = 0;
    m_outcome = Outcome::Running;
    m_stopRequested = false;
    m_clock.start();

    lblFichier->clear();
    lblReste->clear();
    setBarValue(prgFichier, 0);
    prgFichier->setVisible(!sideBySide()); // several files at once: their rows show each one
    // A run of no file still shows an empty bar, not a busy one.
    prgTotal->setRange(0, std::max(m_fileCount, 1));
    prgTotal->setFormat(QStringLiteral("%v / ") + QString::number(m_fileCount));
    setBarValue(prgTotal, 0);
    cmdStop->setEnabled(true);
    cmdFermer->setEnabled(false);
    cmdReprendre->hide();
    applyTexts();

    for (const QString& note : notes)
        m_screen.addLine(note);
    redraw();
    if (!m_placed && parentWidget()) {
        // Over the window it belongs to, not at a corner of the screen.
        move(parentWidget()->frameGeometry().center() - rect().center());
        m_placed = true;
    }
    show();
    raise();
    activateWindow();
}

void frmConsole::appendOutput(int number, QByteArrayView bytes)
{
    // Files side by side would mix their progress displays: each keeps its own output.
    if (number > 0)
        m_rows->appendOutput(number - 1, bytes);
    if (number == 0 || !sideBySide())
        m_screen.feed(bytes);
    scheduleRedraw(); // side by side too: the rows show each file's progress
}

void frmConsole::startFile(int number)
{
    m_rows->start(number - 1);
    if (number > m_currentFile) {
        m_currentFile = number;
        m_currentName = m_rows->data(m_rows->index(number - 1, ConsoleRows::NameColumn)).toString();
    }
    if (!sideBySide()) {
        m_screen.resetFileProgress();
        m_fileProgress = 0;
    }
    scheduleRedraw(); // the title too: a fast run starts many files between two frames
}

void frmConsole::finishFile(int number, bool ok, int exitCode)
{
    m_rows->finish(number - 1, ok, exitCode);
    m_filesDone = m_rows->doneCount();
    if (ok && !sideBySide())
        m_fileProgress = 100;
    if (!ok && sideBySide()) {
        // The failure said in the run's own output, with the file's last error line.
        const int row = number - 1;
        if (row >= 0 && row < m_fileCount)
            m_screen.addLine(m_rows->data(m_rows->index(row, ConsoleRows::NameColumn)).toString() +
                             QStringLiteral(" — ") +
                             m_rows->data(m_rows->index(row, ConsoleRows::StateColumn)).toString());
    }
    scheduleRedraw();
}

void frmConsole::markUpToDate(int number)
{
    m_rows->markUpToDate(number - 1);
    m_filesDone = m_rows->doneCount();
    scheduleRedraw();
}

QString frmConsole::rowState(int number) const
{
    return m_rows->data(m_rows->index(number - 1, ConsoleRows::StateColumn)).toString();
}

void frmConsole::openFileOutput(int number)
{
    const int row = number - 1;
    if (row < 0 || row >= m_rows->rowCount() || !m_rows->hasOutput(row))
        return;
    auto* window = new QDialog(this);
    window->setObjectName(QStringLiteral("frmSortieFichier"));
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->setWindowTitle(
        m_texts.output.arg(m_rows->data(m_rows->index(row, ConsoleRows::NameColumn)).toString()));
    auto* text = new QPlainTextEdit(m_rows->outputText(row), window);
    text->setObjectName(QStringLiteral("txtSortieFichier"));
    text->setReadOnly(true);
    text->setLineWrapMode(QPlainTextEdit::NoWrap);
    text->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    auto* layout = new QVBoxLayout(window);
    layout->addWidget(text);
    window->resize(680, 420);
    window->show();
}

void frmConsole::endRun(int exitCode, const QStringList& failedNames, bool stopped)
{
    m_redrawTimer->stop();
    cmdStop->setEnabled(false);
    cmdFermer->setEnabled(true);
    if (exitCode == 0 && failedNames.isEmpty() && !stopped) {
        m_outcome = Outcome::Succeeded;
        redraw();
        hide();
        Q_EMIT closed();
        return;
    }

    m_outcome = stopped ? Outcome::Stopped : Outcome::Failed;
    if (stopped)
        m_rows->markStopped();
    QStringList summary;
    if (stopped)
        summary << m_texts.stopped;
    if (!failedNames.isEmpty()) {
        summary << m_texts.failedList;
        for (const QString& name : failedNames)
            summary << QStringLiteral("  ") + name;
    } else if (!stopped) {
        summary << m_texts.failedExitCode.arg(exitCode);
    }
    m_screen.addLine(QString());
    for (const QString& line : summary)
        m_screen.addLine(line);
    redraw();

    if (stopped)
        lblFichier->setText(m_texts.stopped);
    else if (!failedNames.isEmpty())
        lblFichier->setText(m_texts.failedCount.arg(failedNames.size()));
    else
        lblFichier->setText(m_texts.failedExitCode.arg(exitCode));
    applyTexts();
    show();
    cmdReprendre->setVisible(!failedNames.isEmpty());
    cmdFermer->setFocus();
}

void frmConsole::closeEvent(QCloseEvent* event)
{
    // The window stays during the run (the user is asked whether to stop it), and until the
    // run has ended, so that the user sees how it ended.
    if (m_outcome == Outcome::Running) {
        event->ignore();
        if (!m_stopRequested)
            Q_EMIT closeDuringRun();
        return;
    }
    event->accept();
    closeFileOutputs();
    Q_EMIT closed();
}

void frmConsole::closeFileOutputs()
{
    for (QDialog* window : findChildren<QDialog*>(QStringLiteral("frmSortieFichier")))
        window->close();
}

void frmConsole::changeEvent(QEvent* event)
{
    // The main window is disabled during a run, and Qt passes that on to the windows it owns:
    // this one must stay usable, or the run could not be stopped.
    if (event->type() == QEvent::EnabledChange && !isEnabled() &&
        !testAttribute(Qt::WA_ForceDisabled))
        setEnabled(true);
    QWidget::changeEvent(event);
}

void frmConsole::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape && m_outcome != Outcome::Running) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

void frmConsole::cmdStop_Click()
{
    requestStop();
}

void frmConsole::requestStop()
{
    if (m_stopRequested)
        return;
    m_stopRequested = true;
    cmdStop->setEnabled(false);
    Q_EMIT stopRequested();
}

void frmConsole::scheduleRedraw()
{
    if (!m_redrawTimer->isActive())
        m_redrawTimer->start();
}

void frmConsole::redraw()
{
    QScrollBar* bar = txtSortie->verticalScrollBar();
    // Follow the end unless the user scrolled up to read.
    const bool follow = bar->value() >= bar->maximum();

    dropShownTopLines();
    const int first = m_screen.takeFirstChangedLine();
    if (first >= 0)
        showLinesFrom(first);

    if (!sideBySide()) {
        if (const auto percent = m_screen.takeFileProgress())
            m_fileProgress = *percent;
        if (m_currentFile > 0)
            m_rows->setProgress(m_currentFile - 1, m_fileProgress);
    }
    m_rows->refresh();
    showTimeLeft();
    if (sideBySide() && m_outcome == Outcome::Running)
        m_currentName = m_rows->runningCount() == 1 ? m_texts.runningOne
                                                    : m_texts.running.arg(m_rows->runningCount());
    if (lblFichier->text() != m_currentName && m_outcome == Outcome::Running)
        lblFichier->setText(m_currentName);
    setBarValue(prgFichier, m_fileProgress);
    setBarValue(prgTotal, m_filesDone);
    if (m_outcome == Outcome::Running)
        showTitle();
    if (follow)
        bar->setValue(bar->maximum());
}

void frmConsole::showTimeLeft()
{
    // Estimated from the time so far and the share done, once there is enough of both.
    const double done = m_rows->doneFraction();
    const qint64 elapsed = m_clock.isValid() ? m_clock.elapsed() : 0;
    if (m_outcome != Outcome::Running || done < 0.02 || elapsed < 2000) {
        lblReste->clear();
        return;
    }
    const qint64 left = qint64(elapsed * (1 - done) / done / 1000);
    const QString time =
        left >= 3600
            ? QStringLiteral("%1:%2:%3")
                  .arg(left / 3600)
                  .arg(left / 60 % 60, 2, 10, QLatin1Char('0'))
                  .arg(left % 60, 2, 10, QLatin1Char('0'))
            : QStringLiteral("%1:%2").arg(left / 60).arg(left % 60, 2, 10, QLatin1Char('0'));
    lblReste->setText(m_texts.timeLeft.arg(time));
}

void frmConsole::showLinesFrom(int first)
{
    // The encoder redraws its whole display for every update, but most of its lines come back
    // unchanged: only the lines that really differ are laid out again.
    const QStringList& lines = m_screen.lines();
    QTextDocument* document = txtSortie->document();
    QTextCursor cursor(document);
    cursor.beginEditBlock();
    int row = std::min(first, document->blockCount());
    for (QTextBlock block = document->findBlockByNumber(row); block.isValid() && row < lines.size();
         block = block.next(), ++row) {
        if (block.text() == lines[row])
            continue;
        cursor.setPosition(block.position());
        cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
        cursor.insertText(lines[row]);
        block = cursor.block();
    }
    if (row < lines.size()) {
        cursor.movePosition(QTextCursor::End);
        cursor.insertText(QLatin1Char('\n') + lines.mid(row).join(QLatin1Char('\n')));
    } else if (document->blockCount() > lines.size()) {
        // Never happens while the screen only grows; kept so that the view cannot drift.
        cursor.setPosition(document->findBlockByNumber(int(lines.size()) - 1).position());
        cursor.movePosition(QTextCursor::EndOfBlock);
        cursor.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
        cursor.removeSelectedText();
    }
    cursor.endEditBlock();
}

void frmConsole::dropShownTopLines()
{
    const qint64 dropped = m_screen.droppedLineCount() - m_shownDropped;
    if (dropped <= 0)
        return;
    m_shownDropped = m_screen.droppedLineCount();
    QTextDocument* document = txtSortie->document();
    if (dropped >= document->blockCount()) {
        document->clear();
        return;
    }
    QTextCursor cursor(document);
    cursor.setPosition(document->findBlockByNumber(int(dropped)).position(),
                       QTextCursor::KeepAnchor);
    cursor.removeSelectedText();
}

void frmConsole::applyTexts()
{
    lstFichiers->setAccessibleName(m_texts.files);
    txtSortie->setAccessibleName(m_texts.outputName);
    prgFichier->setAccessibleName(m_texts.fileProgress);
    prgTotal->setAccessibleName(m_texts.totalProgress);
    cmdStop->setText(m_texts.stop);
    cmdFermer->setText(m_texts.close);
    cmdReprendre->setText(m_texts.retry);
    showTitle();
}

void frmConsole::showTitle()
{
    switch (m_outcome) {
    case Outcome::Stopped:
        setWindowTitle(m_texts.titleStopped);
        break;
    case Outcome::Failed:
        setWindowTitle(m_texts.titleFailed);
        break;
    default:
        if (m_currentFile > 0)
            setWindowTitle(m_texts.titleFile.arg(QString::number(m_currentFile),
                                                 QString::number(m_fileCount)));
        else
            setWindowTitle(m_texts.title);
    }
}

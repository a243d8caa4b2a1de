#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringDecoder>
#include <QStringList>

#include <optional>

// A tiny terminal for the encoder's console output. It takes the raw bytes as they come from
// the pipe (UTF-8, cut anywhere, even inside a character or an escape sequence) and keeps what
// a terminal would show: carriage returns redraw a line in place, backspaces and "cursor up"
// redraw the progress display, "clear to end of line" trims, and every other escape or
// control sequence is dropped, so no escape character ever reaches the lines.
//
// The cursor can never climb above the current file's output, nor more than
// kMaxRedrawDepth lines: a stray "cursor up" cannot rewrite earlier files or Quenzal's notes.
class ConsoleScreen {
public:
    static constexpr int kMaxLines = 20000;
    static constexpr int kMaxColumns = 4096;
    static constexpr int kMaxRedrawDepth = 50;

    ConsoleScreen();

    void feed(QByteArrayView bytes);
    // A whole line of Quenzal's own (a note, a summary), on a fresh line at the bottom.
    // The encoder's later output cannot redraw it.
    void addLine(const QString& text);
    // Back to an empty screen, as at construction.
    void clear();

    // Never empty: the last line is the one the cursor stands on once output ended.
    const QStringList& lines() const { return m_lines; }
    QString text() const;

    // The first line changed since the previous call (indexes as in lines() now), or -1.
    int takeFirstChangedLine();
    // How many of the oldest lines were dropped since the screen was last cleared, so that
    // a view can drop the same ones.
    qint64 droppedLineCount() const { return m_dropped; }

    // The latest progress of the current file, in percent, seen since the previous call.
    std::optional<int> takeFileProgress();
    // The latest progress figure in a piece of the encoder's raw output (its last lines), without
    // keeping a screen: what a file's row shows when several files run side by side.
    static std::optional<int> lastProgressIn(QByteArrayView bytes);
    // A new file's output begins: forgets the progress seen, and moves to a fresh line below
    // everything written so far, out of reach of the new file's redraws.
    void resetFileProgress();

private:
    enum class State { Text, Escape, EscapeIntermediate, Csi, Osc, OscEscape };

    void process(QChar c);
    void processText(QChar c);
    void executeCsi(QChar final);
    void write(QChar c);
    void lineFeed();
    void cursorUp(int count);
    void clearInLine(int mode);
    void markChanged(int row);
    void trimToCap();
    // Looks for a progress figure in the text written so far on the cursor's line.
    void scanProgress();

    QStringDecoder m_decoder{QStringDecoder::Utf8};
    State m_state = State::Text;
    QString m_params; // of the escape sequence being read
    bool m_paramsUsable = true;

    QStringList m_lines;
    int m_row = 0;
    int m_column = 0;
    int m_floor = 0; // the highest line the cursor may climb back to
    int m_firstChanged = 0;
    qint64 m_dropped = 0;

    bool m_written = false; // the cursor's line changed since it was last scanned
    std::optional<int> m_progress;
};

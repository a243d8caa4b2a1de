// Languages and fonts across every window: the shipped language files are complete, a choice
// reaches every caption at once and survives a restart, Qt's own dialogs follow, and the font
// reaches exactly the controls that follow the font choice.
#include "Control.h"
#include "StartProgram.h"
#include "TestEnvironment.h"
#include "TestFiles.h"

#include "app/frmDossier.h"
#include "conversion/frmConsole.h"
#include "lame/frmOptionLame.h"
#include "mp3/frmTag.h"
#include "settings/BuiltInTexts.h"
#include "settings/ProfileFile.h"
#include "settings/frmInfo.h"
#include "settings/frmOption.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QAction>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QSet>
#include <QTabBar>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QTreeView>

namespace {

struct Window {
    QWidget* window;
    std::span<const CaptionEntry> captions;
    std::span<const char* const> fonts;
};

QObject* control(QWidget* window, const CaptionEntry& entry)
{
    const QString name = QString::fromUtf8(entry.control);
    return window->objectName() == name ? window : window->findChild<QObject*>(name);
}

// The text a caption-table entry sets, as a user reads it.
QString caption(QWidget* window, const CaptionEntry& entry)
{
    QObject* c = control(window, entry);
    switch (entry.kind) {
    case CaptionKind::ColumnHeader:
        return qobject_cast<QTreeView*>(c)
            ->model()
            ->headerData(entry.index, Qt::Horizontal)
            .toString();
    case CaptionKind::ListEntry:
        return qobject_cast<QComboBox*>(c)->itemText(entry.index);
    case CaptionKind::Tab:
        return qobject_cast<QTabBar*>(c)->tabText(entry.index);
    case CaptionKind::Caption:
        break;
    }
    if (auto* menu = qobject_cast<QMenu*>(c))
        return menu->title();
    if (auto* action = qobject_cast<QAction*>(c))
        return action->text();
    if (auto* group = qobject_cast<QGroupBox*>(c))
        return group->title();
    if (auto* button = qobject_cast<QAbstractButton*>(c))
        return button->text();
    return qobject_cast<QLabel*>(c)->text();
}

} // namespace

class TestLanguage : public QObject {
    Q_OBJECT

    TestEnvironment env;
    std::unique_ptr<Program> program;
    FakeDesktop* desktop = nullptr;

    QList<Window> windows()
    {
        return {{program->mainWindow(), frmMain::captionTable(), frmMain::fontControls()},
                {program->infoWindow(), frmInfo::captionTable(), {}},
                {program->folderWindow(), frmDossier::captionTable(), frmDossier::fontControls()},
                {program->optionWindow(), frmOption::captionTable(), frmOption::fontControls()},
                {program->tagWindow(), frmTag::captionTable(), {}},
                {program->optionLameWindow(), frmOptionLame::captionTable(),
                 frmOptionLame::fontControls()}};
    }
    QString langue(const char* name) const { return env.programFolder() + "/Langue/" + name; }

private Q_SLOTS:
    void init()
    {
        env.clearSettings();
        program = StartProgram(env.programFolder(), desktop);
    }
    void cleanup() { program.reset(); }

    void shippedFilesAreComplete()
    {
        // Every caption names a control its window has, and the French file gives back the
        // built-in captions.
        QStringList builtIn;
        for (const Window& w : windows()) {
            for (const CaptionEntry& entry : w.captions) {
                QVERIFY2(control(w.window, entry), entry.control);
                builtIn << caption(w.window, entry);
            }
            for (const char* name : w.fonts)
                QVERIFY2(w.window->findChild<QWidget*>(name), name);
        }
        for (const char* file : {"Francais.lng", "English.lng"}) {
            const QString path = langue(file);
            const auto has = [&](const char* section, const char* key) {
                return !ProfileFile::readValue(path, section, key, 255).isEmpty();
            };
            QVERIFY(has("Main", "qtLocale"));
            for (const MessageKey& key : MessageKeys())
                QVERIFY2(has(key.section, key.key), qPrintable(QString(file) + ' ' + key.key));
            for (const Window& w : windows())
                for (const CaptionEntry& entry : w.captions)
                    QVERIFY2(has(entry.section, entry.key),
                             qPrintable(QString(file) + ' ' + entry.key));
        }
        program->setLanguage(langue("Francais"));
        QStringList french;
        for (const Window& w : windows())
            for (const CaptionEntry& entry : w.captions)
                french << caption(w.window, entry);
        // The one difference: a shared key gives "Défaut" to the mode list as well.
        builtIn.replace(builtIn.indexOf("Defaut"), "Défaut");
        QCOMPARE(french, builtIn);
    }

    void aLanguageFileWithoutTagSection()
    {
        // Every caption and message the file lacks falls back to the built-in text, also on a
        // window that showed another language before; nothing is ever blank.
        QString text = QString::fromLatin1(readBytes(langue("English.lng")));
        text.remove(text.indexOf("[Tag]"), text.indexOf("[OptLame]") - text.indexOf("[Tag]"));
        QVERIFY(writeBytes(langue("NoTag.lng"), text.toLatin1()));
        // Markup in a language text is shown as written, never rendered.
        const QString markup = "<img src=\"/etc/hostname\"><b>T</b> & co";
        QVERIFY(writeBytes(langue("Markup.lng"), "[Tag]\r\nlblTitle=" + markup.toLatin1()));
        program->setLanguage(langue("Markup"));
        QCOMPARE(program->tagWindow()->findChild<QLabel*>("lblTitre")->text(), markup);
        QCOMPARE(program->tagWindow()->findChild<QLabel*>("lblTitre")->textFormat(), Qt::PlainText);
        program->setLanguage(langue("English"));
        frmTag* tag = program->tagWindow();
        QCOMPARE(tag->findChild<QLabel*>("lblTitre")->text(), "Title:");
        program->setLanguage(langue("NoTag"));
        for (const CaptionEntry& entry : frmTag::captionTable())
            QVERIFY2(!caption(tag, entry).isEmpty(), entry.control);
        QCOMPARE(tag->findChild<QLabel*>("lblTitre")->text(), "Titre:");
        QCOMPARE(program->text("Tag", "msgYes"), "Oui");
        QVERIFY(!program->text("Tag", "msgErrFile").isEmpty());
        QCOMPARE(control<QAction>(program->mainWindow(), "mnuEffacer")->text(),
                 "Clear List"); // its section is there
        // A language whose file is gone is not applied at start: the built-in captions stay.
        QFile::remove(langue("NoTag.lng"));
        Store("Langue", langue("NoTag.lng"));
        program = StartProgram(env.programFolder(), desktop);
        QCOMPARE(program->tagWindow()->findChild<QLabel*>("lblTitre")->text(), "Titre:");
    }

    void fontReachesTheListedControlsOnly()
    {
        const QString face = "DejaVu Serif";
        frmOption* options = program->optionWindow();
        control<QComboBox>(options, "cmbPolice")->setCurrentText(face);
        QVERIFY(QMetaObject::invokeMethod(
            control<QComboBox>(options, "cmbPolice"), "activated",
            Q_ARG(int, control<QComboBox>(options, "cmbPolice")->currentIndex())));
        for (const Window& w : windows()) {
            QSet<QString> listed;
            for (const char* name : w.fonts)
                listed << name;
            for (QWidget* widget : w.window->findChildren<QWidget*>()) {
                if (widget->objectName().isEmpty() || widget->objectName().startsWith("qt_") ||
                    widget->window() != w.window)
                    continue;
                // A listed control's own parts (a status bar's panels) follow it; controls
                // inside a listed frame do not.
                bool follows = listed.contains(widget->objectName());
                for (QWidget* up = widget->parentWidget(); up && up != w.window && !follows;
                     up = up->parentWidget())
                    follows = listed.contains(up->objectName()) && !qobject_cast<QGroupBox*>(up);
                QVERIFY2((widget->font().family() == face) == follows,
                         qPrintable(widget->objectName()));
            }
        }
        QVERIFY(control<QTreeView>(program->mainWindow(), "lstMain")->font().pointSize() ==
                QApplication::font(control<QTreeView>(program->mainWindow(), "lstMain"))
                    .pointSize()); // face only

        // OK keeps it for the next start; Annuler leaves everything as it was, also after
        // another face and another language were tried in the window.
        QTimer::singleShot(
            0, [] { control<QPushButton>(QApplication::activeModalWidget(), "cmdOK")->click(); });
        program->showOptionWindow();
        program = StartProgram(env.programFolder(), desktop);
        QCOMPARE(control<QTreeView>(program->mainWindow(), "lstMain")->font().family(), face);
        QTimer::singleShot(0, [] {
            auto* window = qobject_cast<frmOption*>(QApplication::activeModalWidget());
            for (QComboBox* list : {control<QComboBox>(window, "cmbPolice"),
                                    control<QComboBox>(window, "cmbLangue")}) {
                list->setCurrentIndex(list->currentIndex() == 0 ? 1 : 0);
                Q_EMIT list->activated(list->currentIndex());
            }
            QTest::keyClick(window, Qt::Key_Escape);
        });
        const QString caption = control<QAction>(program->mainWindow(), "mnuEffacer")->text();
        program->showOptionWindow();
        QCOMPARE(control<QTreeView>(program->mainWindow(), "lstMain")->font().family(), face);
        QCOMPARE(control<QAction>(program->mainWindow(), "mnuEffacer")->text(), caption);
    }

    void everyReachableControlHasAName()
    {
        // What a screen reader or a test tool reads over the accessibility bus, in the
        // current language.
        for (const bool english : {false, true}) {
            if (english)
                program->setLanguage(langue("English"));
            QList<QWidget*> all{program->consoleWindow()};
            for (const Window& w : windows())
                all << w.window;
            for (QWidget* window : all) {
                for (QWidget* control : window->findChildren<QWidget*>()) {
                    if (control->window() != window)
                        continue;
                    // A label is heard by its text: Qt gives labels no text interface, so an
                    // accessible name of their own would hide what they show.
                    if (auto* label = qobject_cast<QLabel*>(control)) {
                        QString shown = label->text();
                        shown.remove('&');
                        QAccessibleInterface* heard = QAccessible::queryAccessibleInterface(label);
                        QVERIFY2(heard && heard->text(QAccessible::Name).contains(shown),
                                 qPrintable(window->objectName() + ' ' + label->objectName() +
                                            ": " + shown));
                        continue;
                    }
                    if (control->focusPolicy() == Qt::NoFocus)
                        continue;
                    QAccessibleInterface* accessible =
                        QAccessible::queryAccessibleInterface(control);
                    QVERIFY2(accessible && !accessible->text(QAccessible::Name).isEmpty(),
                             qPrintable(window->objectName() + ' ' + control->objectName() + ' ' +
                                        control->metaObject()->className()));
                }
            }
        }
        QVERIFY(!QApplication::windowIcon().isNull()); // every window shows it
    }

    void oneLanguageAtATime()
    {
        // Every text a window shows, in English, is no French text of the shipped files (and
        // the reverse); texts both files share ("OK", "CRC:") say nothing either way.
        const auto values = [this](const char* file) {
            QSet<QString> set;
            for (const QByteArray& line : readBytes(langue(file)).split('\n')) {
                const qsizetype eq = line.indexOf('=');
                if (eq > 0 && !line.startsWith(';') && !line.contains("langName"))
                    set << QString::fromLatin1(line.mid(eq + 1).trimmed()).remove('&');
            }
            return set;
        };
        const QSet<QString> french = values("Francais.lng"), english = values("English.lng");
        const auto shown = [this] {
            QStringList texts;
            QList<QWidget*> all{program->consoleWindow()};
            for (const Window& w : windows())
                all << w.window;
            for (QWidget* window : all) {
                texts << window->windowTitle();
                for (QObject* o : window->findChildren<QObject*>()) {
                    // Labels, buttons, frames, menus and actions alike, by their properties.
                    for (const char* property : {"text", "title", "toolTip"})
                        texts << o->property(property).toString();
                    if (auto* t = qobject_cast<QTabBar*>(o); t)
                        for (int i = 0; i < t->count(); ++i)
                            texts << t->tabText(i);
                    else if (auto* c = qobject_cast<QComboBox*>(o);
                             c && c->objectName() != "cmbLangue") // each in its own language
                        for (int i = 0; i < c->count(); ++i)
                            texts << c->itemText(i);
                    else if (auto* v = qobject_cast<QTreeView*>(o); v && v->model())
                        for (int i = 0; i < v->model()->columnCount(); ++i)
                            texts << v->model()->headerData(i, Qt::Horizontal).toString();
                }
            }
            for (QString& text : texts)
                text = text.remove('&').trimmed();
            return texts;
        };
        // Qt's own dialogs speak French with the built-in captions, then the chosen language.
        const auto dialogButton = [] {
            QFileDialog dialog(nullptr);
            dialog.setOption(QFileDialog::DontUseNativeDialog);
            return dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Open)->text();
        };
        QCOMPARE(dialogButton(), "&Ouvrir");
        frmOption* options = program->optionWindow();
        auto* list = control<QComboBox>(options, "cmbLangue");
        list->setCurrentText("English");
        Q_EMIT list->activated(list->currentIndex());
        for (const QString& text : shown())
            QVERIFY2(!french.contains(text) || english.contains(text), qPrintable(text));
        QCOMPARE(dialogButton(), "&Open");

        // OK stores the choice; a restart comes back to it.
        control<QPushButton>(options, "cmdOK")->click();
        QCOMPARE(desktop->messages.last().text,
                 "Your choices will be used again the next time Quenzal starts.");
        program = StartProgram(env.programFolder(), desktop);
        QCOMPARE(control<QComboBox>(program->optionWindow(), "cmbLangue")->currentText(),
                 "English");
        QCOMPARE(control<QAction>(program->mainWindow(), "mnuEffacer")->text(), "Clear List");
        program->setLanguage(langue("Francais"));
        for (const QString& text : shown())
            QVERIFY2(!english.contains(text) || french.contains(text), qPrintable(text));
    }

    void aboutWindowClosesOnEnterAndEscape()
    {
        for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Escape}) {
            QString notice;
            QTimer::singleShot(0, [&] {
                auto* info = qobject_cast<frmInfo*>(QApplication::activeModalWidget());
                notice = control<QLabel>(info, "lblAvertissement")->text() + '|' +
                         control<QLabel>(info, "lblVersion")->text();
                QTest::keyClick(control<QPushButton>(info, "cmdOK"), key);
            });
            control<QToolButton>(program->mainWindow(), "cmdBouton_3")->click();
            QVERIFY(notice.startsWith("Ce logiciel est protégé.")); // the design notice
            QVERIFY(notice.endsWith("|Quenzal " QUENZAL_VERSION));
            QVERIFY(!QApplication::activeModalWidget());
        }
        program->setLanguage(langue("English"));
        QVERIFY(control<QLabel>(program->infoWindow(), "lblAvertissement")
                    ->text()
                    .startsWith("Quenzal is free"));
    }
};

QTEST_MAIN(TestLanguage)
#include "tst_language.moc"

// SPDX-License-Identifier: GPL-3.0-or-later
#include "testsupport.h"

#include "core/diaryfile.h"
#include "ui/mellidor.h"

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSpinBox>
#include <QtTest>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

WorkDir::WorkDir() : m_previous(QDir::currentPath())
{
    QVERIFY2(m_dir.isValid(), "no temporary directory");
    QDir::setCurrent(m_dir.path());
}

WorkDir::WorkDir(const QByteArray &diary) : WorkDir()
{
    writeBytes(this->diary(), diary);
}

WorkDir::~WorkDir()
{
    QDir::setCurrent(m_previous);
}

void writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY2(file.open(QIODevice::WriteOnly | QIODevice::Truncate), qPrintable(path));
    QCOMPARE(file.write(bytes), bytes.size());
}

QByteArray readBytes(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    return file.readAll();
}

QByteArray testData(const char *name)
{
    QFile file(QStringLiteral(MELLIDOR_TEST_DATA "/") + QLatin1String(name));
    if (!file.open(QIODevice::ReadOnly))
        QTest::qFail(qPrintable(file.fileName()), __FILE__, __LINE__);
    return file.readAll();
}

Diary diaryOf(const QByteArray &bytes)
{
    Diary diary;
    DiaryFile::loadBytes(bytes.constData(), bytes.size(), diary);
    return diary;
}

QString outputOf(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    process.waitForFinished(60000);
    return QString::fromUtf8(process.readAllStandardOutput());
}

QString makeDevice(const QString &name)
{
    if (::mknod(QFile::encodeName(name).constData(), S_IFCHR | 0666, makedev(1, 3)) == 0)
        return name;
    return QStringLiteral("/dev/null");
}

void withFileSizeLimit(qint64 bytes, const std::function<void()> &work)
{
    struct rlimit saved;
    getrlimit(RLIMIT_FSIZE, &saved);
    struct rlimit limit = saved;
    limit.rlim_cur = rlim_t(bytes);
    auto *previous = std::signal(SIGXFSZ, SIG_IGN);
    QCOMPARE(setrlimit(RLIMIT_FSIZE, &limit), 0);
    work();
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previous);
}

namespace {
int unanswered = 0; // since the last verification
int verifications = 0;
} // namespace

void whenDialogOpens(std::function<void(QDialog *)> handle)
{
    ++unanswered;
    auto *timer = new QTimer;
    QObject::connect(timer, &QTimer::timeout, [=, tries = 0, since = verifications]() mutable {
        // A verification ends the wait: a later dialog is another's.
        const bool waiting = since == verifications;
        auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        if (waiting && !dialog && ++tries < 500)
            return;
        timer->stop();
        timer->deleteLater();
        if (waiting && dialog) {
            --unanswered;
            handle(dialog);
        }
    });
    timer->start(10);
}

void verifyDialogsAnswered()
{
    ++verifications;
    QVERIFY2(std::exchange(unanswered, 0) == 0, "a dialog waited for did not open");
}

void chooseFiles(const QStringList &names)
{
    whenDialogOpens([names](QDialog *dialog) {
        auto *files = qobject_cast<QFileDialog *>(dialog);
        if (!files) {
            dialog->reject();
            QFAIL("not a file dialog");
        }
        // Mellidor's own refusals are tested, not the dialog's question.
        files->setOption(QFileDialog::DontConfirmOverwrite);
        files->setDirectory(QDir::currentPath());
        files->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"))
            ->setText(u'"' + names.join(QStringLiteral("\" \"")) + u'"');
        dialog->accept(); // QFileDialog::accept reads the names
    });
}

void triggerMenuItem(const QWidget &window, int menu, const QString &text)
{
    for (QAction *action : window.findChild<QMenuBar *>()->actions()[menu]->menu()->actions()) {
        if (action->text().startsWith(text))
            return action->trigger();
    }
    QFAIL(qPrintable(text));
}

void enterValue(const QWidget &window, const QString &item, int box, int value)
{
    whenDialogOpens([box, value](QDialog *dialog) {
        spinBoxes(dialog).at(box)->setValue(value);
        pressOk(dialog);
    });
    triggerMenuItem(window, 0, item);
    verifyDialogsAnswered();
}

void answerDialog(QObject *window, const char *slot, std::function<void(QDialog *)> handle)
{
    whenDialogOpens(std::move(handle));
    QVERIFY(QMetaObject::invokeMethod(window, slot));
    verifyDialogsAnswered();
}

void recordMessages(QList<UserMessage::Shown> *messages)
{
    messages->clear();
    UserMessage::setHandlerForTesting([messages](const UserMessage::Shown &shown) {
        messages->append(shown);
        return UserMessage::SaveChoice::Cancel;
    });
}

QStringList rowLines(const Mellidor &window)
{
    QStringList lines;
    const Diary &diary = window.listBox->diary();
    for (int r = 0; r < diary.rowCount(); ++r) {
        QStringList fields;
        for (int c = 0; c < 4; ++c)
            fields << diary.text(r, c);
        lines << fields.join(u',');
    }
    return lines;
}

QList<int> limits(const Mellidor &window)
{
    return {window.lowerLimit, window.upperLimit, window.maxGluco, window.daysBack};
}

void pressOk(QDialog *dialog)
{
    dialog->findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Ok)->click();
}

void pressCancel(QDialog *dialog)
{
    dialog->findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Cancel)->click();
}

QList<QSpinBox *> spinBoxes(QDialog *dialog)
{
    return dialog->findChildren<QSpinBox *>();
}

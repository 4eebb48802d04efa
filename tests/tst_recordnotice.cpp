// SPDX-License-Identifier: GPL-3.0-or-later
// The recorder's word in its window: the file it writes, and a failure to
// make or write it, when it happens (a recorder started from the Start menu
// has no console to say it in).
#include "trace/recordnotice.h"

#include <QMessageBox>
#include <QtTest>

namespace {
// The texts of the boxes the notice shows in `window`, by their icon.
QStringList shown(QWidget &window, QMessageBox::Icon icon)
{
    QStringList texts;
    for (QMessageBox *box : window.findChildren<QMessageBox *>()) {
        if (box->icon() == icon && box->isVisible() && !box->isModal())
            texts << box->text();
    }
    return texts;
}
} // namespace

class TestRecordNotice : public QObject
{
    Q_OBJECT
private slots:
    void namesTheFileThenShowsAFailureAtOnce()
    {
        QWidget window;
        window.show();
        RecordNotice notice;
        const QString path = QDir::temp().filePath("tavrix-20261207-090503.ktrace");
        notice.show(&window, path, true);
        QCOMPARE(shown(window, QMessageBox::Information).size(), 1);
        QVERIFY(
            shown(window, QMessageBox::Information)[0].contains(QDir::toNativeSeparators(path)));
        QVERIFY(shown(window, QMessageBox::Warning).isEmpty());
        notice.failed("recording stopped: cannot write x.ktrace: No space left on device");
        QCOMPARE(shown(window, QMessageBox::Warning).size(), 1);
        QVERIFY(shown(window, QMessageBox::Warning)[0].contains("No space left on device"));
    }

    void failureBeforeTheWindowShowsWithIt()
    {
        QWidget window;
        window.show();
        RecordNotice notice;
        notice.failed("recording off: cannot create /gone/x.ktrace: No such file or directory");
        QVERIFY(window.findChildren<QMessageBox *>().isEmpty());
        notice.show(&window, "/gone/x.ktrace", false);
        QCOMPARE(shown(window, QMessageBox::Warning).size(), 1);
        QVERIFY(shown(window, QMessageBox::Warning)[0].contains("cannot create /gone/x.ktrace"));
        QVERIFY(shown(window, QMessageBox::Information).isEmpty());
    }
};

QTEST_MAIN(TestRecordNotice)
#include "tst_recordnotice.moc"

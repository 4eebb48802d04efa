// SPDX-License-Identifier: GPL-3.0-or-later
// The recorder's word in its window: the file it writes, and a failure to
// make or write it the moment it happens (a recorder started from the Start
// menu has no console to say it in).
#include "trace/recordnotice.h"

#include <QMessageBox>
#include <QtTest>

namespace {
QList<QMessageBox *> boxes(QWidget &window, QMessageBox::Icon icon)
{
    QList<QMessageBox *> found;
    for (QMessageBox *box : window.findChildren<QMessageBox *>()) {
        if (box->icon() == icon && box->isVisible() && !box->isModal())
            found << box;
    }
    return found;
}
} // namespace

class TestRecordNotice : public QObject
{
    Q_OBJECT
private slots:
    void namesTheFileOnceTheWindowIsUp()
    {
        QWidget window;
        window.show();
        RecordNotice notice;
        const QString path = QDir::temp().filePath("tavrix-20261207-090503.ktrace");
        notice.show(&window, path, true);
        const auto shown = boxes(window, QMessageBox::Information);
        QCOMPARE(shown.size(), 1);
        QVERIFY(shown[0]->text().contains(QDir::toNativeSeparators(path)));
        QVERIFY(boxes(window, QMessageBox::Warning).isEmpty());
    }

    void failureBeforeTheWindowShowsWithIt()
    {
        QWidget window;
        window.show();
        RecordNotice notice;
        notice.failed("recording off: cannot create /gone/x.ktrace: No such file or directory");
        QVERIFY(window.findChildren<QMessageBox *>().isEmpty());
        notice.show(&window, "/gone/x.ktrace", false);
        const auto shown = boxes(window, QMessageBox::Warning);
        QCOMPARE(shown.size(), 1);
        QVERIFY(shown[0]->text().contains("cannot create /gone/x.ktrace"));
        QVERIFY(boxes(window, QMessageBox::Information).isEmpty());
    }

    void failureDuringTheSessionShowsAtOnce()
    {
        QWidget window;
        window.show();
        RecordNotice notice;
        notice.show(&window, QDir::temp().filePath("x.ktrace"), true);
        notice.failed("recording stopped: cannot write x.ktrace: No space left on device");
        const auto shown = boxes(window, QMessageBox::Warning);
        QCOMPARE(shown.size(), 1);
        QVERIFY(shown[0]->text().contains("No space left on device"));
    }
};

QTEST_MAIN(TestRecordNotice)
#include "tst_recordnotice.moc"

// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's form as the mechanic sees it: widgets, texts, sizes,
// layout, icon and the table's columns.
#include "support/mainwindowprobe.h"
#include "support/simsupport.h"
#include "support/translationrecorder.h"

#include <QFile>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QImage>
#include <QStatusBar>
#include <QtTest>

using sim::VirtualCable;

class TestWindowForm : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        VirtualCable::instance().reset();
        VirtualCable::instance().unplug(); // the form only; no session
    }

    void windowItself()
    {
        MainWindow window;
        QCOMPARE(window.objectName(), QString("MainWindow"));
        QCOMPARE(window.size(), QSize(587, 455));
        QCOMPARE(window.windowTitle(), QString("Tavrix-3.0"));
        QVERIFY(!window.windowIcon().isNull());
        QVERIFY(window.findChild<QStatusBar *>("statusBar") == window.statusBar());
        QCOMPARE(window.centralWidget()->objectName(), QString("centralWidget"));
    }

    void iconIsACompiledInPng()
    {
        QVERIFY(QFile::exists(":/img/icon.png"));
        const QImage image(":/img/icon.png", "PNG");
        QVERIFY(!image.isNull());
        MainWindow window;
        const QImage shown = window.windowIcon().pixmap(image.size()).toImage();
        QCOMPARE(shown.convertToFormat(QImage::Format_ARGB32_Premultiplied),
                 image.convertToFormat(QImage::Format_ARGB32_Premultiplied));
    }

    void textsAndNames_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("text");
        QTest::newRow("label") << "label"
                               << "Type :";
        QTest::newRow("pushButton") << "pushButton"
                                    << "Action";
        QTest::newRow("label_check") << "label_check"
                                     << "Checking";
        QTest::newRow("pushButton_co") << "pushButton_co"
                                       << "CO";
        QTest::newRow("label_info") << "label_info"
                                    << "Info:";
    }
    void textsAndNames()
    {
        QFETCH(QString, name);
        QFETCH(QString, text);
        TranslationRecorder translations;
        MainWindow window;
        QWidget *widget = window.findChild<QWidget *>(name);
        QVERIFY(widget);
        const QString shown = widget->property("text").toString();
        QCOMPARE(shown, text);
        QVERIFY(translations.saw("MainWindow", text));
    }

    void titleAndEntriesGoThroughTranslation()
    {
        TranslationRecorder translations;
        MainWindow window;
        for (const char *text :
             {"Tavrix-3.0", "Auto", "Xmax", "A", "Code", "Item", "Value", "Unit"})
            QVERIFY2(translations.saw("MainWindow", text), text);
    }

    void buttonsAndLabels()
    {
        MainWindow window;
        MainWindowProbe probe(window);
        QVERIFY(!probe.actionButton()->isEnabled());
        QCOMPARE(probe.actionButton()->minimumHeight(), 30);
        QVERIFY(!probe.checkLabel()->isEnabled());
        QVERIFY(probe.coButton()->isEnabled());
        QCOMPARE(probe.coButton()->minimumHeight(), 30);
        QCOMPARE(probe.coButton()->maximumWidth(), 50);
        QCOMPARE(probe.infoLabel()->font().pointSize(), 9);
    }

    void typeBox()
    {
        MainWindow window;
        MainWindowProbe probe(window);
        QComboBox *box = probe.typeBox();
        QCOMPARE(box->count(), 2);
        QCOMPARE(box->itemText(0), QString("Auto"));
        QCOMPARE(box->itemText(1), QString("Xmax"));
        QCOMPARE(box->currentIndex(), 0);
        QVERIFY(probe.vehicleType().isEmpty()); // the initial entry made no call
    }

    void table()
    {
        MainWindow window;
        MainWindowProbe probe(window);
        QTableWidget *table = probe.table();
        QCOMPARE(table->columnCount(), 5);
        QCOMPARE(table->rowCount(), 0);
        const QStringList headers = {"A", "Code", "Item", "Value", "Unit"};
        const int widths[] = {50, 100, 200, 100, 100};
        for (int c = 0; c < 5; ++c) {
            QVERIFY(table->horizontalHeaderItem(c));
            QCOMPARE(table->horizontalHeaderItem(c)->text(), headers[c]);
            QCOMPARE(table->columnWidth(c), widths[c]);
        }
        QCOMPARE(table->editTriggers(), QAbstractItemView::NoEditTriggers);
        QVERIFY(table->verticalHeader()->isHidden());
    }

    void layout()
    {
        MainWindow window;
        MainWindowProbe probe(window);
        auto *grid = window.findChild<QGridLayout *>("gridLayout");
        QVERIFY(grid);
        QCOMPARE(grid->spacing(), 6);
        QCOMPARE(grid->contentsMargins(), QMargins(11, 11, 11, 11));
        auto *top = window.findChild<QHBoxLayout *>("horizontalLayout_2");
        auto *bottom = window.findChild<QHBoxLayout *>("horizontalLayout");
        QVERIFY(top && bottom);
        QCOMPARE(top->spacing(), 6);
        QCOMPARE(bottom->spacing(), 6);
        QCOMPARE(grid->itemAtPosition(0, 0)->layout(), top);
        QCOMPARE(grid->itemAtPosition(1, 0)->widget(), probe.table());
        QCOMPARE(grid->itemAtPosition(2, 0)->layout(), bottom);
        QCOMPARE(grid->itemAtPosition(3, 0)->widget(), probe.infoLabel());
        QCOMPARE(top->count(), 3);
        QCOMPARE(top->itemAt(0)->widget()->objectName(), QString("label"));
        QCOMPARE(top->itemAt(1)->widget(), probe.typeBox());
        QVERIFY(top->itemAt(2)->spacerItem());
        QCOMPARE(bottom->count(), 4);
        QCOMPARE(bottom->itemAt(0)->widget(), probe.actionButton());
        QCOMPARE(bottom->itemAt(1)->widget(), probe.checkLabel());
        QVERIFY(bottom->itemAt(2)->spacerItem());
        QCOMPARE(bottom->itemAt(3)->widget(), probe.coButton());
        const QSpacerItem *spacer = bottom->itemAt(2)->spacerItem();
        QCOMPARE(spacer->sizeHint(), QSize(40, 20));
        QCOMPARE(spacer->sizePolicy().horizontalPolicy(), QSizePolicy::Expanding);
        QCOMPARE(spacer->sizePolicy().verticalPolicy(), QSizePolicy::Minimum);
    }
};

QTEST_MAIN(TestWindowForm)
#include "tst_window_form.moc"

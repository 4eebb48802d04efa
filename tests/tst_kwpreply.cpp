// SPDX-License-Identifier: GPL-3.0-or-later
// The frames as ISO 14230 lays them out, and the readers of both families'
// replies: every reply is untrusted, so each field must cope with any
// length and any content.
#include "auto/autoreply.h"
#include "kwp/kwpreply.h"
#include "support/replybytes.h"

#include <QtTest>

namespace {
const QString kHoldEcho = "83,10,f0,31,70,ca,ee,";
} // namespace

class TestKwpReply : public QObject
{
    Q_OBJECT
private slots:
    // Format byte: addressing mode and the number of data bytes; the
    // physical frames go to the ECU, the functional ones to address 0x33.
    void everyFrameIsLaidOut()
    {
        for (const KwpFrame &frame : KwpFrames::All) {
            const int format = frame.bytes[0];
            QCOMPARE(format & 0x3F, frame.size - 4);
            QCOMPARE(int(frame.bytes[1]), (format & 0xC0) == 0xC0 ? 0x33 : 0x10);
            QCOMPARE(int(frame.bytes[2]), 0xF0);
        }
    }

    void kwpFields_data()
    {
        QTest::addColumn<QString>("reply");
        QTest::addColumn<QString>("fields"); // size beyond echo positive marker code raw rpm
        QTest::newRow("empty") << ""
                               << "1 -6 0 - - - - -1";
        QTest::newRow("echo only") << kHoldEcho << "7 0 1 - 10 f0 31 -1";
        QTest::newRow("value report")
            << kHoldEcho + "87,f0,10,71,70,d0,5,47,0,0,6b," << "18 11 0 + d0 5 47 -1";
        QTest::newRow("checking") << kHoldEcho + "87,f0,10,71,70,d1,1e,0,0,0,a0,"
                                  << "18 11 0 + d1 1e 0 -1";
        QTest::newRow("negative") << kHoldEcho + "83,f0,10,7f,31,22,55," << "14 7 0 - f0 10 7f -1";
        QTest::newRow("a late answer before the echo")
            << "87,f0,10,71,70,d0,5,47,0,0,6b," + kHoldEcho + "87,f0,10,71,70,d0,6,48,0,0,6d,"
            << "29 22 0 + d0 6 48 -1";
        QTest::newRow("co report")
            << kHoldEcho + "87,f0,10,71,70,c8,0,0,5,c,2f," << "18 11 0 + c8 0 0 1292";
        QTest::newRow("co report too short")
            << kHoldEcho + "85,f0,10,71,70,c8,0,0,90," << "16 9 0 + 71 70 c8 -1";
    }
    void kwpFields()
    {
        QFETCH(QString, reply);
        QFETCH(QString, fields);
        const KwpReply r = KwpReply::parse(replyBytes(reply), KwpFrames::Hold);
        const QString said = QString("%1 %2 %3 %4 %5 %6 %7 %8")
                                 .arg(r.size)
                                 .arg(r.beyondEcho)
                                 .arg(r.echoOnly ? 1 : 0)
                                 .arg(r.positive ? "+" : "-")
                                 .arg(r.hasReport ? QString::number(r.marker, 16) : "-")
                                 .arg(r.hasReport ? QString::number(r.code, 16) : "-")
                                 .arg(r.hasReport ? QString::number(r.raw, 16) : "-")
                                 .arg(r.rpm);
        QCOMPARE(said, fields);
    }

    // The fault codes: only whole records, each code padded to four digits,
    // its catalogue index the digits read as a decimal number.
    void faultCodes_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<bool>("isAnswer");
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("codes");
        QTest::newRow("two") << "84,f0,10,58,2,1,10,20,1,13,40,5e" << true << 2
                             << "0110:110 0113:113";
        QTest::newRow("a is 0a, no decimal index")
            << "85,f0,10,58,1,a,12,20,0" << true << 1 << "0a12:0";
        QTest::newRow("a record cut short")
            << "86,f0,10,58,3,1,13,20,5,0" << true << 3 << "0113:113";
        QTest::newRow("negative") << "83,f0,10,7f,18,12,1c" << false << 0 << "";
        QTest::newRow("too short") << "82,f0,10,58,0" << false << 0 << "";
    }
    void faultCodes()
    {
        QFETCH(QString, answer);
        QFETCH(bool, isAnswer);
        QFETCH(int, count);
        QFETCH(QString, codes);
        const KwpReply r = KwpReply::parse(replyBytes("84,10,f0,18,20,ff,ff,ba," + answer),
                                           KwpFrames::ReadDtcHistory);
        QCOMPARE(r.faultAnswer, isAnswer);
        QCOMPARE(r.faultCount, count);
        QStringList listed;
        for (const KwpReply::FaultCode &f : r.faults)
            listed << f.code + ':' + QString::number(f.index);
        QCOMPARE(listed.join(' '), codes);
    }

    // Auto: the fields counted from the end, an answer to a key only when
    // exactly the echo and two bytes came.
    void autoFields_data()
    {
        QTest::addColumn<QString>("reply");
        QTest::addColumn<QString>("fields"); // size first last status shown answersFE reading
        QTest::newRow("empty") << ""
                               << "0 -1 -1 -1 -1 0 0";
        QTest::newRow("identified") << "fe,0,48,"
                                    << "3 254 72 254 0 1 0";
        QTest::newRow("a reading") << "ca,1c,0,c0,1e,5d,"
                                   << "6 202 93 192 30 0 1";
        QTest::newRow("one byte") << "ca,"
                                  << "1 202 202 -1 -1 0 0";
    }
    void autoFields()
    {
        QFETCH(QString, reply);
        QFETCH(QString, fields);
        const AutoReply r = AutoReply::parse(replyBytes(reply));
        const QString said = QString("%1 %2 %3 %4 %5 %6 %7")
                                 .arg(r.size)
                                 .arg(r.first)
                                 .arg(r.last)
                                 .arg(r.status)
                                 .arg(r.shown)
                                 .arg(r.answers(0xFE) ? 1 : 0)
                                 .arg(r.isReading() ? 1 : 0);
        QCOMPARE(said, fields);
    }
};

QTEST_APPLESS_MAIN(TestKwpReply)
#include "tst_kwpreply.moc"

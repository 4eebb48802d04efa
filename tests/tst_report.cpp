// SPDX-License-Identifier: GPL-3.0-or-later
// The customer's report of sessions on the demo bike, read back from the
// PDF with pdftotext: the type, the ECU's model, the stored codes with their
// explanations, a clear with before and after; and, where the fault rows
// were never selected, that the codes were not read.
#include "chartrig.h"

#include "virtualmain.h"
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTextDocument>
#include <QtTest>

using namespace chartrig;

namespace {
// The PDF's words with every run of blanks and line ends made one blank;
// empty, with the reason in `why`, when pdftotext cannot be run here.
QString pdfText(const QString &path, QString *why)
{
    QProcess tool;
    tool.start("pdftotext", {"-enc", "UTF-8", path, "-"});
    if (!tool.waitForFinished(60000) || tool.exitStatus() != QProcess::NormalExit
        || tool.exitCode() != 0) {
        *why = "pdftotext: " + tool.errorString() + " " + tool.readAllStandardError();
        return QString();
    }
    return QString::fromUtf8(tool.readAllStandardOutput()).simplified();
}

// Selects a fault row and waits for what it shows: the count, and the
// listing (on Auto only the history has one).
bool readFaultRow(Rig &rig, int code, bool xmax)
{
    const QString heading = code == 61 ? "Info: History kode kesalahan" : "Info: Daftar kode";
    const bool listed = xmax || code == 61;
    return rig.select(code) && waitUntil([&] {
        return (!listed || rig.probe->infoLabel()->text().startsWith(heading))
               && !rig.probe->cell(rig.rowOf(code), 3).isEmpty();
    });
}
} // namespace

class TestReport : public QObject
{
    Q_OBJECT
private slots:
    void report_data()
    {
        QTest::addColumn<bool>("xmax");
        QTest::addColumn<bool>("readCodes");
        QTest::addColumn<bool>("clear");
        QTest::addColumn<QStringList>("says");
        QTest::addColumn<QStringList>("saysNot");
        const QStringList autoHead = {"Jenis kendaraan Auto", "Model ECU (hasil login) vixion"};
        const QStringList xmaxHead = {
            "Jenis kendaraan Xmax",
            "Model ECU (hasil login) Xmax (KWP 2000), identitas ECU: TX3 (54 58 33)"};
        const QStringList blanks = {"Nama bengkel", "Nomor polisi", "Odometer (km)"};
        QTest::newRow("auto, codes read")
            << false << true << false
            << autoHead + blanks
                   + QStringList{"Riwayat kode kesalahan terakhir (item 61)",
                                 "Error pada sensor posisi crankshaft(CKPS)",
                                 "Malfunction Display 12",
                                 "Jumlah kode kesalahan tersimpan (item 62)", "2 kode tersimpan"}
            << QStringList{"Tidak dibaca", "Penghapusan"};
        QTest::newRow("auto, cleared")
            << false << true << true
            << autoHead
                   + QStringList{"Penghapusan kode kesalahan", "(Auto): Sebelum Sesudah", "2 kode",
                                 "0 kode"}
            << QStringList{"Tidak dibaca"};
        QTest::newRow("auto, never selected")
            << false << false << false
            << autoHead
                   + QStringList{"Tidak dibaca: item 61 tidak dipilih dalam sesi ini.",
                                 "Tidak dibaca: item 62 tidak dipilih dalam sesi ini.",
                                 "Nilai terakhir yang dibaca", "TPS"}
            << QStringList{"Error pada", "Penghapusan"};
        QTest::newRow("xmax, codes read")
            << true << true << false
            << xmaxHead + blanks
                   + QStringList{"Riwayat kode kesalahan (baris 61)",
                                 "P0113 Error pada sensor temperatur udara masuk (IAT) Tegangan "
                                 "tinggi rangkaian sensor IAT Kontak yang longgar pada konektor "
                                 "sensor IAT Sensor IAT atau rangkaiannya tidak berfungsi",
                                 "P0335 Error pada sensor posisi crankshaft(CKPS)",
                                 "Kode kesalahan saat ini (baris 62)",
                                 "P0122 Error pada sensor posisi throttle (TPS) Tegangan rendah TPS"}
            << QStringList{"Tidak dibaca", "Penghapusan"};
        QTest::newRow("xmax, cleared")
            << true << true << true
            << xmaxHead
                   + QStringList{"Penghapusan kode kesalahan", "(Xmax): Sebelum Sesudah",
                                 "Kode kesalahan saat ini (baris 62) P0122 tidak ada kode",
                                 "P0113, P0335, P0122 tidak dibaca"}
            << QStringList{};
        QTest::newRow("xmax, never selected")
            << true << false << false
            << xmaxHead
                   + QStringList{"Tidak dibaca: baris 61 tidak dipilih dalam sesi ini.",
                                 "Tidak dibaca: baris 62 tidak dipilih dalam sesi ini."}
            << QStringList{"P0", "Penghapusan"};
    }
    void report()
    {
        QFETCH(bool, xmax);
        QFETCH(bool, readCodes);
        QFETCH(bool, clear);
        QFETCH(QStringList, says);
        QFETCH(QStringList, saysNot);
        Rig rig{Family::Demo};
        if (xmax)
            rig.probe->typeBox()->setCurrentIndex(1);
        QVERIFY(rig.sessionUp());
        QVERIFY(rig.moreValues(kThrottle, 3));
        if (readCodes) {
            QVERIFY(readFaultRow(rig, 61, xmax));
            QVERIFY(readFaultRow(rig, 62, xmax));
        }
        if (clear) {
            rig.probe->actionButton()->click();
            QVERIFY(waitUntil([&] { return rig.probe->cell(rig.rowOf(62), 3) == "0"; }));
        }
        QTemporaryDir dir;
        const QString path = dir.filePath("laporan.pdf");
        QString error;
        QVERIFY2(rig.probe->tableMenu()->saveReport(path, &error), qPrintable(error));
        QFile pdf(path);
        QVERIFY(pdf.open(QIODevice::ReadOnly) && pdf.read(5) == "%PDF-");
        QString why;
        QString text = pdfText(path, &why);
        if (text.isEmpty()) {
            // No pdftotext to run (the Windows build under Wine): the words
            // come from the report's own document, and the PDF must hold a page.
            qInfo().noquote() << "reading the report's document:" << why;
            QVERIFY(pdf.seek(0) && pdf.readAll().contains("/Type /Page"));
            QTextDocument document;
            document.setHtml(rig.probe->tableMenu()->reportHtml());
            text = document.toPlainText().simplified();
        }
        for (const QString &phrase : says)
            QVERIFY2(text.contains(phrase), qPrintable(phrase + "\n--- in ---\n" + text));
        for (const QString &phrase : saysNot)
            QVERIFY2(!text.contains(phrase), qPrintable(phrase + "\n--- in ---\n" + text));
    }
};

TAVRIX_VIRTUAL_TEST_MAIN(TestReport)
#include "tst_report.moc"

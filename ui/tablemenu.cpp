// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/tablemenu.h"

#include "journal/journalcsv.h"
#include "journal/reporttext.h"
#include "journal/sessionjournal.h"
#include "ui/chartwindow.h"
#include "ui/reportdocument.h"

#include <QFileDialog>
#include <QMainWindow>
#include <QMenu>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QTableWidget>

#include <memory>

namespace {
const char kChart[] = "Grafik";
const char kReport[] = "Laporan…";
const char kCsv[] = "Simpan CSV…";
const char kStamp[] = "yyyyMMdd-HHmm";

bool isRightButton(const QEvent *event)
{
    const QEvent::Type type = event->type();
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseButtonRelease
        && type != QEvent::MouseButtonDblClick)
        return false;
    return static_cast<const QMouseEvent *>(event)->button() == Qt::RightButton;
}
} // namespace

TableMenu::TableMenu(QMainWindow *window, QTableWidget *table, SessionJournal *journal)
    : QObject(window), window_(window), viewport_(table->viewport()), journal_(journal),
      menu_(new QMenu(table))
{
    chart_ = menu_->addAction(QString::fromUtf8(kChart));
    report_ = menu_->addAction(QString::fromUtf8(kReport));
    csv_ = menu_->addAction(QString::fromUtf8(kCsv));
    connect(chart_, SIGNAL(triggered()), this, SLOT(showChart()));
    connect(report_, SIGNAL(triggered()), this, SLOT(chooseReport()));
    connect(csv_, SIGNAL(triggered()), this, SLOT(chooseCsv()));

    table->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(table, SIGNAL(customContextMenuRequested(QPoint)), this, SLOT(popUp(QPoint)));
    // A right press would make its row current and selected like a left
    // one, and the mechanic would see a row chosen that the cycles do not
    // follow: the right button opens the menu and nothing else.
    viewport_->installEventFilter(this);
    window->installEventFilter(this);
}

bool TableMenu::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == viewport_ && isRightButton(event))
        return true;
    // The chart belongs to this window's session: it goes when the window does.
    if (watched == window_ && event->type() == QEvent::Close && chartWindow_)
        chartWindow_->close();
    return QObject::eventFilter(watched, event);
}

ChartWindow *TableMenu::chartWindow() const
{
    return chartWindow_;
}

void TableMenu::popUp(const QPoint &pos)
{
    menu_->popup(viewport_->mapToGlobal(pos));
}

void TableMenu::showChart()
{
    if (!journal_)
        return;
    if (!chartWindow_)
        chartWindow_ = new ChartWindow(journal_, window_);
    chartWindow_->show();
    chartWindow_->raise();
    chartWindow_->activateWindow();
}

QString TableMenu::fileName(const char *stem, const char *suffix) const
{
    const QDateTime now = journal_ ? journal_->wallTime(journal_->nowMs()) : QDateTime();
    return QLatin1String(stem) + QLatin1Char('-') + now.toString(QLatin1String(kStamp))
           + QLatin1Char('.') + QLatin1String(suffix);
}

// Opened, not executed: the ticks go on while the mechanic picks a file.
void TableMenu::openSaveDialog(const QString &title, const char *stem, const char *suffix,
                               const char *chosenSlot)
{
    const QString ext = QLatin1String(suffix);
    auto *dialog = new QFileDialog(window_, title, QString(),
                                   ext.toUpper() + QStringLiteral(" (*.") + ext + QLatin1Char(')'));
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setDefaultSuffix(ext);
    dialog->selectFile(fileName(stem, suffix));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, SIGNAL(fileSelected(QString)), this, chosenSlot);
    dialog->open();
}

void TableMenu::chooseCsv()
{
    openSaveDialog(QStringLiteral("Simpan data grafik (CSV)"), "tavrix-data", "csv",
                   SLOT(csvChosen(QString)));
}

void TableMenu::csvChosen(const QString &path)
{
    QString error;
    if (!saveCsv(path, &error))
        warn(QStringLiteral("CSV tidak dapat disimpan:\n") + error);
}

bool TableMenu::saveCsv(const QString &path, QString *error) const
{
    if (!journal_)
        return false;
    return JournalCsv::write(*journal_, path, error);
}

void TableMenu::chooseReport()
{
    auto *box = new QMessageBox(QMessageBox::Question, QStringLiteral("Laporan"),
                                QStringLiteral("Simpan laporan sesi ini sebagai PDF, atau cetak?"),
                                QMessageBox::NoButton, window_);
    QPushButton *pdf = box->addButton(QStringLiteral("Simpan PDF…"), QMessageBox::AcceptRole);
    QPushButton *print = box->addButton(QStringLiteral("Cetak…"), QMessageBox::ActionRole);
    box->addButton(QStringLiteral("Batal"), QMessageBox::RejectRole);
    box->setDefaultButton(pdf);
    box->setAttribute(Qt::WA_DeleteOnClose);
    connect(box, &QMessageBox::buttonClicked, this, [this, pdf, print](QAbstractButton *button) {
        if (button == pdf)
            choosePdf();
        else if (button == print)
            choosePrinter();
    });
    box->open();
}

void TableMenu::choosePdf()
{
    openSaveDialog(QStringLiteral("Simpan laporan (PDF)"), "laporan-tavrix", "pdf",
                   SLOT(reportChosen(QString)));
}

void TableMenu::reportChosen(const QString &path)
{
    QString error;
    if (!saveReport(path, &error))
        warn(QStringLiteral("Laporan tidak dapat disimpan:\n") + error);
}

void TableMenu::choosePrinter()
{
    auto printer = std::make_shared<QPrinter>(QPrinter::HighResolution);
    auto *dialog = new QPrintDialog(printer.get(), window_);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    // The printer lives as long as the dialog's connection to it.
    connect(dialog, &QDialog::accepted, this,
            [this, printer] { ReportDocument::print(reportHtml(), printer.get()); });
    dialog->open();
}

QString TableMenu::reportHtml() const
{
    if (!journal_)
        return QString();
    return ReportText::html(*journal_, journal_->wallTime(journal_->nowMs()));
}

bool TableMenu::saveReport(const QString &path, QString *error) const
{
    if (!journal_)
        return false;
    return ReportDocument::savePdf(reportHtml(), path, error);
}

void TableMenu::warn(const QString &text)
{
    auto *box = new QMessageBox(QMessageBox::Warning, QStringLiteral("Tavrix"), text,
                                QMessageBox::Ok, window_);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

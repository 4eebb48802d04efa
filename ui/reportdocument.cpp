// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/reportdocument.h"

#include <QPageLayout>
#include <QPdfWriter>
#include <QPrinter>
#include <QSaveFile>
#include <QTextDocument>

namespace ReportDocument {

namespace {
constexpr int kPdfDpi = 300;
constexpr qreal kMarginMm = 15;
const char kPdfTitle[] = "Laporan Diagnosa ECU";
const char kCreator[] = "Tavrix";
} // namespace

bool savePdf(const QString &html, const QString &path, QString *error)
{
    // Written beside the target and put in its place whole: a failed write
    // leaves an earlier report as it was.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        *error = file.errorString();
        return false;
    }
    {
        QPdfWriter writer(&file);
        writer.setResolution(kPdfDpi);
        writer.setTitle(QLatin1String(kPdfTitle));
        writer.setCreator(QLatin1String(kCreator));
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                         QMarginsF(kMarginMm, kMarginMm, kMarginMm, kMarginMm),
                                         QPageLayout::Millimeter));
        QTextDocument document;
        document.setHtml(html);
        document.print(&writer);
    }
    if (!file.commit()) {
        *error = file.errorString();
        return false;
    }
    return true;
}

void print(const QString &html, QPrinter *printer)
{
    QTextDocument document;
    document.setHtml(html);
    document.print(printer);
}

} // namespace ReportDocument

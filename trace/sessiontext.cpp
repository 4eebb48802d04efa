// SPDX-License-Identifier: GPL-3.0-or-later
#include "trace/sessiontext.h"

#include "trace/autodecode.h"
#include "trace/exchanges.h"
#include "trace/kwpdecode.h"

#include <cstdint>

namespace trace {

namespace {

const char *const kParityNames[] = {"N", "O", "E", "M", "S"};
const char *const kStopNames[] = {"1", "1.5", "2"};
const char *const kInterfaceNames[] = {"ANY", "A", "B", "C", "D"};

struct Tag {
    Kind kind;
    const char *tag;
};

const Tag kTags[] = {
    {Kind::Open, "OPEN"}, {Kind::Close, "CLOSE"}, {Kind::Baud, "BAUD"}, {Kind::Line, "LINE"},
    {Kind::Dtr, "DTR"},   {Kind::Error, "ERROR"}, {Kind::End, "END"},
};

// What the mechanic did and what the window showed, between the exchanges.
QString windowText(const Event &e)
{
    const QString text = QString::fromUtf8(e.texts.value(0));
    const QString quoted = '"' + QString(text).replace('\n', " / ") + '"';
    switch (e.kind) {
    case Kind::UiType:
        return QString("type box: %1")
            .arg(e.arg1 == 0   ? "Auto"
                 : e.arg1 == 1 ? "Xmax"
                               : QString::number(e.arg1));
    case Kind::UiRow: return QString("row %1 clicked (item %2)").arg(e.arg1).arg(e.arg2);
    case Kind::UiAction: return "Action pressed";
    case Kind::UiCo: return e.arg1 ? "CO window opened" : "CO window closed";
    case Kind::UiUp: return "CO Up pressed";
    case Kind::UiDown: return "CO Down pressed";
    case Kind::UiCyl: return QString("cylinder box: %1").arg(e.arg1 + 1);
    case Kind::UiMenu: return "table menu: " + text;
    case Kind::UiClose: return "session closed";
    case Kind::UiStatus: return "status " + quoted;
    case Kind::UiCable: return text.isEmpty() ? "no cable reason" : "cable reason " + quoted;
    case Kind::UiInfo: return "info " + quoted;
    case Kind::UiValue:
        return e.arg1 < 0 ? QString("value: no row")
                          : QString("value of row %1 %2").arg(e.arg1).arg(quoted);
    case Kind::UiWatch:
        return e.arg1 ? "the window looked at before each call, and the status as it changed"
                      : "the window looked at before each call";
    default: return QString();
    }
}

QString tagOf(Kind kind)
{
    if (isWindowAction(kind))
        return "HAND";
    if (isWindowShown(kind))
        return "SHOW";
    if (kind == Kind::UiWatch)
        return "LOOK";
    for (const Tag &t : kTags)
        if (t.kind == kind)
            return t.tag;
    return "USB";
}

QString ms(qint64 us)
{
    return QString::number(double(us) / 1000.0, 'f', 3).rightJustified(11);
}

QString usbId(int vendor, int product)
{
    return QString("%1:%2")
        .arg(vendor, 4, 16, QLatin1Char('0'))
        .arg(product, 4, 16, QLatin1Char('0'));
}

QString result(int rc)
{
    return rc < 0 ? QString("failed (%1)").arg(rc) : QString("ok");
}

QString named(const char *const *names, int count, int i)
{
    return i >= 0 && i < count ? QString(names[i]) : QString::number(i);
}

class TextPrinter
{
public:
    explicit TextPrinter(const QList<QString> &catalogue) : catalogue_(catalogue) {}
    QStringList run(const ParseResult &r);

private:
    void event(const Event &e);
    void write(const Event &e);
    void read(const Event &e);
    void control(const Event &e);
    QString controlText(const Event &e);
    QString dtrText(const Event &e);
    void flushTx();
    void flushRx();
    void noAnswer();
    void rxKwp();
    void add(qint64 us, const QString &tag, const QString &text);

    const QList<QString> &catalogue_;
    QStringList out_;
    EchoFilter echo_;
    QByteArray tx_, rx_, lastTx_;
    qint64 txUs_ = 0, txLastUs_ = 0, rxUs_ = 0;
    int rxEchoed_ = 0;
    bool txOpen_ = false;
    bool awaiting_ = false; // a request printed, no answer yet
    qint64 lookedUs_ = -1;  // the last read after it
    qint64 dtrLowUs_ = -1;
};

void TextPrinter::add(qint64 us, const QString &tag, const QString &text)
{
    out_ << QString("%1  %2 %3").arg(ms(us), tag.leftJustified(5), text);
}

QStringList TextPrinter::run(const ParseResult &r)
{
    out_ << QString("ktrace %1, recorded by %2 %3, started %4")
                .arg(r.header.version)
                .arg(r.header.program, r.header.programVersion, r.header.started);
    out_ << QString("%1  %2 %3")
                .arg(QString("time ms").rightJustified(11), QString("what").leftJustified(5),
                     "bytes and meaning");
    if (r.skipped > 0)
        out_ << QString("(%1 records of a newer Tavrix skipped)").arg(r.skipped);
    for (const Event &e : r.events)
        event(e);
    flushTx();
    flushRx();
    noAnswer();
    if (!r.ended)
        out_ << "(no end mark: the recording stops abruptly)";
    return out_;
}

void TextPrinter::event(const Event &e)
{
    if (e.kind == Kind::Write)
        write(e);
    else if (e.kind == Kind::Read)
        read(e);
    else
        control(e);
}

void TextPrinter::write(const Event &e)
{
    if (e.rc <= 0)
        return; // the error line that follows says why
    flushRx();
    if (!txOpen_ || e.us - txLastUs_ > IdleGapUs)
        flushTx();
    if (tx_.isEmpty())
        txUs_ = e.us;
    const QByteArray sent = e.bytes.left(e.rc);
    tx_ += sent;
    echo_.sent(sent);
    txLastUs_ = e.us;
    txOpen_ = true;
}

void TextPrinter::read(const Event &e)
{
    txOpen_ = false;
    flushTx();
    lookedUs_ = e.us;
    if (e.rc <= 0)
        return;
    int echoed = 0;
    const QByteArray ecu = echo_.received(e.bytes, &echoed);
    if (rx_.isEmpty() && !ecu.isEmpty())
        rxUs_ = e.us;
    rxEchoed_ += echoed;
    rx_ += ecu;
}

void TextPrinter::flushTx()
{
    if (tx_.isEmpty())
        return;
    QString meaning;
    if (tx_.size() == 1) {
        const QString key = autoKeyName(std::uint8_t(tx_.at(0)));
        meaning = key.isEmpty() ? "Auto: no key byte" : "Auto " + key;
    } else if (isKwpFrame(tx_)) {
        meaning = describeKwp(splitKwp(tx_, nullptr).value(0));
    } else {
        meaning = "no KWP frame";
    }
    noAnswer();
    add(txUs_, "TX", hexBytes(tx_) + "  " + meaning);
    awaiting_ = true;
    lookedUs_ = -1;
    lastTx_ = tx_;
    tx_.clear();
    rxEchoed_ = 0;
}

void TextPrinter::rxKwp()
{
    QByteArray rest;
    for (const KwpFrame &f : splitKwp(rx_, &rest))
        add(rxUs_, "RX", hexBytes(f.raw) + "  " + describeKwp(f));
    if (!rest.isEmpty())
        add(rxUs_, "RX", hexBytes(rest) + "  " + describeKwpRest(rest));
}

// A request the tester read back without the ECU saying anything.
void TextPrinter::noAnswer()
{
    if (awaiting_ && rx_.isEmpty() && lookedUs_ >= 0)
        add(lookedUs_, "RX", "(no answer beyond the echo)");
    awaiting_ = false;
}

void TextPrinter::flushRx()
{
    if (rx_.isEmpty())
        return;
    awaiting_ = false;
    if (isKwpFrame(lastTx_)) {
        rxKwp();
    } else if (lastTx_.size() == 1) {
        const QStringList fields = replyFields(lastTx_.left(rxEchoed_ > 0 ? 1 : 0) + rx_);
        add(rxUs_, "RX",
            hexBytes(rx_) + "  "
                + describeAutoReply(std::uint8_t(lastTx_.at(0)), fields, catalogue_));
    } else {
        add(rxUs_, "RX", hexBytes(rx_));
    }
    rx_.clear();
}

QString TextPrinter::dtrText(const Event &e)
{
    QString text = e.arg1 ? "high" : "low";
    if (e.rc < 0)
        return text + " " + result(e.rc);
    if (e.arg1 && dtrLowUs_ >= 0)
        text += QString(" (low for %1 ms)").arg(double(e.us - dtrLowUs_) / 1000.0, 0, 'f', 3);
    dtrLowUs_ = e.arg1 ? -1 : e.us;
    return text;
}

QString TextPrinter::controlText(const Event &e)
{
    switch (e.kind) {
    case Kind::New: return e.rc == 0 ? "context created" : "no context";
    case Kind::Interface:
        return "interface " + named(kInterfaceNames, 5, e.arg1) + " " + result(e.rc);
    case Kind::Open: return usbId(e.arg1, e.arg2) + " " + result(e.rc);
    case Kind::Baud: return QString("%1 baud %2").arg(e.arg1).arg(result(e.rc));
    case Kind::Line:
        return QString("%1%2%3 %4")
            .arg(e.arg1)
            .arg(named(kParityNames, 5, e.arg3), named(kStopNames, 3, e.arg2), result(e.rc));
    case Kind::Dtr: return dtrText(e);
    case Kind::Close: return "adapter closed " + result(e.rc);
    case Kind::Free: return "context released";
    case Kind::FindAll: return QString("listing %1: %2 found").arg(usbId(e.arg1, e.arg2)).arg(e.rc);
    case Kind::Strings:
        return e.rc < 0 ? "device strings " + result(e.rc)
                        : "device "
                              + QStringList{QString::fromUtf8(e.texts.value(0)),
                                            QString::fromUtf8(e.texts.value(1)),
                                            QString::fromUtf8(e.texts.value(2))}
                                    .join(", ");
    case Kind::Error:
        return QString("%1 failed: %2 %3")
            .arg(QString::fromLatin1(kindName(e.call)))
            .arg(e.rc)
            .arg(QString::fromUtf8(e.texts.value(0)));
    case Kind::End: return "recording ends";
    default: return windowText(e);
    }
}

void TextPrinter::control(const Event &e)
{
    if (e.kind == Kind::ListFree || e.kind == Kind::ErrorText)
        return; // bookkeeping of the listing; the error line carries the text
    txOpen_ = false;
    flushTx();
    flushRx();
    noAnswer();
    if (e.kind == Kind::Open)
        echo_.reset();
    add(e.us, tagOf(e.kind), controlText(e));
}

} // namespace

QStringList sessionText(const ParseResult &recording, const QList<QString> &catalogue)
{
    return TextPrinter(catalogue).run(recording);
}

} // namespace trace

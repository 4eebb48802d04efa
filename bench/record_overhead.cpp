// SPDX-License-Identifier: GPL-3.0-or-later
// What recording costs per libftdi1 call: the same calls timed with the
// recording off and on, over the simulated cable (whose own cost is in both
// figures). Prints the median and the 99th percentile in microseconds.
// Usage: record_overhead [CALLS]   (built, not run by the tests)

#include "examplesessions.h"
#include "link/usbserial.h"
#include "trace/recording.h"

#include <QCoreApplication>
#include <QDir>

#include <ftdi.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

struct Figures {
    double median = 0, p99 = 0, max = 0;
};

Figures figures(std::vector<double> us)
{
    std::sort(us.begin(), us.end());
    return {us[us.size() / 2], us[us.size() * 99 / 100], us.back()};
}

template <typename F>
Figures timeCalls(int calls, F call)
{
    std::vector<double> us;
    us.reserve(std::size_t(calls));
    for (int i = 0; i < calls; ++i) {
        const auto t0 = Clock::now();
        call(i);
        us.push_back(std::chrono::duration<double, std::micro>(Clock::now() - t0).count());
    }
    return figures(us);
}

struct Result {
    Figures write, read, dtr, exchange;
};

Result measure(int calls)
{
    sim::VirtualCable::instance().reset();
    Result r;
    ftdi_context *ftdi = ftdi_new();
    ftdi_usb_open(ftdi, 0x0433, 0x6066);
    ftdi_set_baudrate(ftdi, 10400);
    const unsigned char byte = 0xCA;
    unsigned char buf[1024];
    r.write = timeCalls(calls, [&](int) { ftdi_write_data(ftdi, &byte, 1); });
    r.read = timeCalls(calls, [&](int) { ftdi_read_data(ftdi, buf, sizeof buf); });
    r.dtr = timeCalls(calls, [&](int i) { ftdi_setdtr(ftdi, i & 1); });
    ftdi_free(ftdi);
    UsbSerial link;
    link.Connect();
    const QString hold = commandString(kwpHold());
    r.exchange = timeCalls(calls / 10, [&](int) {
        link.writeDataStr(hold);
        link.readDataHex();
    });
    return r;
}

void print(const char *what, const Figures &off, const Figures &on)
{
    std::printf("%-28s %8.3f %8.3f %8.3f   %8.3f %8.3f   %8.1f %8.1f\n", what, off.median,
                on.median, on.median - off.median, off.p99, on.p99, off.max, on.max);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const int calls = argc > 1 ? std::max(100, std::atoi(argv[1])) : 20000;
    const Result off = measure(calls);
    const QString path = QDir::temp().filePath("record_overhead.ktrace");
    trace::startRecording(path, "record_overhead");
    const Result on = measure(calls);
    trace::stopRecording();
    QFile::remove(path);
    std::printf("%d calls each; microseconds per call (exchange: 7-byte frame + read)\n", calls);
    std::printf("%-28s %8s %8s %8s   %8s %8s   %8s %8s\n", "call", "off med", "on med", "added",
                "off p99", "on p99", "off max", "on max");
    print("ftdi_write_data (1 byte)", off.write, on.write);
    print("ftdi_read_data", off.read, on.read);
    print("ftdi_setdtr", off.dtr, on.dtr);
    print("exchange (UsbSerial)", off.exchange, on.exchange);
    return 0;
}

// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef VIRTUALCABLE_H
#define VIRTUALCABLE_H

// The simulated K-line cable: the far side of the USB port as the link sees
// it through libftdi1. sim/ftdi_sim.cpp implements the libftdi1 calls on top
// of this object, so the application talks to it through the very same code
// it uses with the real adapter.
//
// What the cable models
//   - one adapter 0433:6066, plugged or not; it can be pulled or plugged at
//     any moment. Pulling it kills every open handle for good (as USB does):
//     writes, DTR changes, baud and line settings and reads on such a handle
//     fail with libftdi1's own codes until a new context opens it again.
//   - at most one open handle holds the device; a second open is refused
//     (-5, "unable to claim usb device") until the first is closed or freed.
//   - what the system says of the cable when the link looks it up after a
//     failed open (sim/simlookup.cpp): plugged or not, held by a program,
//     or its device node closed to us.
//   - the chip (3 MHz base clock, divisors in eighths): a requested rate
//     becomes the nearest rate the chip reaches (15630 -> 15625,
//     10400 -> 10399, 9600 after open); a rate it cannot reach within 5 %
//     is refused and the line keeps its old rate.
//   - the wire: every transmitted byte takes 10 bit times and is recorded
//     with its times and the line settings; the adapter hears itself, so
//     each byte is echoed into the receive buffer when its stop bit ends.
//     ECU bytes and our own bytes share the wire one after the other.
//   - the receive buffer and the chip's way back to the host: the chip
//     sends what the line brought in 64-byte USB packets, each two
//     modem-status bytes and then at most 62 data bytes, and it answers
//     the host's IN requests only when it has a packet to give:
//       * 62 data bytes are waiting: a full packet goes at once;
//       * its latency timer has run out: whatever has arrived goes at
//         once, and when nothing has, the two status bytes alone;
//       * otherwise the host waits (the chip NAKs its IN tokens) until
//         one of the two happens.
//     The timer restarts whenever a packet goes to the host; an IN that
//     comes after it ran out (nobody asked meanwhile) is answered at once.
//     16 ms, as the chip ships (setLatencyMs changes it; the link sets
//     none of its own). A bulk IN transfer (bulkIn) is such packets until
//     a short one (fewer than 64 bytes) or the host's buffer is full.
//     Sources: FTDI's AN232B-04 "Data Throughput, Latency and Handshaking"
//     (the buffer-full and latency-timer rules, the status bytes sent on
//     every timeout even with no data) and the FT232R data sheet (64-byte
//     packets, two status bytes each, 1..255 ms, 16 ms default); that the
//     timer restarts at every packet and that a late IN is answered at
//     once is how we read AN232B-04 and what libftdi's read loop relies
//     on, not something FTDI states in so many words.
//   - libftdi 1.5's ftdi_read_data on top of it (sim/ftdi_sim.cpp): the
//     library's read buffer first, then bulk transfers of 4096 bytes until
//     one brings only the status bytes; what a transfer brings beyond the
//     size asked stays in the library for the next call. So a read that
//     finds data takes one more latency period to end, and a read made
//     less than a period after the last one waits for the timer first:
//     up to about 16-32 ms beyond the application's own wait.
//   - faults to inject: ftdi_new failure, open failure, refused baud rate,
//     refused line properties, failing writes, failing device listing,
//     failing string descriptors of a listed device.
//   - the listing: a few FTDI devices with the library's default ids
//     (0403:6001 ...), which is what ftdi_usb_find_all(ctx, list, 0, 0)
//     finds; the K-line adapter never appears in it.
//   - a seat for an ECU model (EcuModel below) that hears every byte and
//     DTR/baud change and answers through ecuSend.
//
// Test API (everything a test needs to plug, break and watch the cable):
//   VirtualCable &cable = VirtualCable::instance();
//   cable.reset();                       // plugged, silent line, no faults
//   cable.seat(std::make_shared<MyEcu>());
//   cable.unplug(); cable.plug();
//   cable.failWrites(3);                 // next three bytes fail
//   cable.failWrites(VirtualCable::Forever); cable.failWrites(0);
//   cable.transmitted();                 // every byte sent, with its time
//   cable.dtrEdges(); cable.baudChanges();
//   cable.libraryCalls();                // "ftdi_usb_open(0x433,0x6066)", ...
//   cable.contextsAlive();               // contexts made and not yet freed
//
//   cable.setLatencyMs(1);               // the chip's latency timer (16)
//   cable.reads();                       // ftdi_read_data calls, with times
//
// Times are nanoseconds on the steady clock (std::chrono::steady_clock),
// the same clock QElapsedTimer uses on Linux.

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace sim {

using Nanos = std::int64_t;

// The cable's clock: every time in this header is on it.
Nanos nowNs();

// Lets a harness run the cable on a clock of its own (fuzzing, benches, or
// a test that checks exact arrival times). Passing nullptr restores the
// steady clock; a test that sets a clock restores it in cleanup(). The
// application's own timers keep running on real time. Setting a clock
// drops the sleeper: set one after it.
void setClock(std::function<Nanos()> clock);

// Blocks the calling thread until the cable's clock shows `until`, as a
// USB transfer blocks it on a real cable: on the steady clock the thread
// sleeps; a harness with a clock of its own moves its clock on instead
// (virtual time: VirtualTime::advanceNs). A harness that lends a clock
// and no sleeper gets no wait at all: a read then answers as of the
// moment it would have ended, while the clock stands still.
void sleepUntil(Nanos until);
void setSleeper(std::function<void(Nanos until)> sleeper);

// The chip's line settings as they are now (VirtualCable::line()). An open
// resets the rate to 9600; the other settings keep their last values.
struct LineState {
    int baud = 9600; // actual rate after the chip's rounding
    bool dtr = false;
    int bits = 8;
    int stopBits = 1;
    int parity = 0; // 0 none
};

// One byte the application put on the wire.
struct TxByte {
    std::uint8_t value;
    Nanos writtenAt; // when the application wrote it
    Nanos endsAt;    // when its stop bit left the wire (echo arrives)
    int baud;        // line rate it went out at
    bool dtr;        // DTR level while it went out
};

// One DTR setting that reached the chip (a repeated level is recorded too).
struct DtrEdge {
    bool level;
    Nanos at;
};

// One ftdi_read_data that reached an open chip: when it was called, when it
// returned, how many bytes it handed out, and how many bulk transfers it
// took (1 when the first brought nothing).
struct ReadCall {
    Nanos at;
    int got;
    Nanos returnedAt;
    int transfers;
};

// One byte that reached the receive buffer: an ECU byte or the echo of one
// of ours, with the time its stop bit ended.
struct RxByte {
    std::uint8_t value;
    Nanos arrivesAt;
    bool echo;
};

// One baud-rate request that reached an open chip, granted or refused.
struct BaudChange {
    int requested;
    int actual; // 0 when refused
    Nanos at;
};

class VirtualCable;

// What sits on the far end of the K-line. The cable calls it for every byte
// the application transmits (from inside the write, with `heardAt` the time
// the byte's stop bit ends, which may lie a little in the future) and for
// every DTR or baud change. It answers through VirtualCable::ecuSend with a
// start time of its choosing (usually heardAt plus the ECU's reply delay);
// the application cannot read those bytes before their time has come.
class EcuModel
{
public:
    virtual ~EcuModel() = default;
    virtual void onByte(VirtualCable &cable, std::uint8_t byte, Nanos heardAt,
                        const LineState &line) = 0;
    virtual void onDtr(VirtualCable &, bool /*level*/, Nanos /*at*/) {}
    virtual void onBaud(VirtualCable &, int /*actualBaud*/, Nanos /*at*/) {}
};

class VirtualCable
{
public:
    static constexpr int Forever = -1;
    static constexpr int VendorId = 0x0433;
    static constexpr int ProductId = 0x6066;
    // The chip's bulk IN packets: two status bytes, then the data.
    static constexpr int PacketSize = 64;
    static constexpr int StatusBytes = 2;
    // Modem status (CTS and DSR low) and line status (transmitter empty).
    static constexpr std::uint8_t ModemStatus[StatusBytes] = {0x01, 0x60};
    static constexpr int DefaultLatencyMs = 16;

    // The one cable of the process. It starts plugged with the demo bike
    // seated (sim/demobike.cpp), which is what tavrix-demo finds.
    static VirtualCable &instance();

    // Back to a plugged adapter with a silent line (no ECU seated), no
    // faults, the default listing and no history. Contexts the application
    // still holds stay valid but lose the device (as after a replug), so a
    // window of an earlier test cannot reach the line of the next one.
    void reset();

    // --- the device ---
    void plug();   // the next ftdi_usb_open can find it
    void unplug(); // open handles die; bytes not yet read are lost
    bool plugged() const { return plugged_; }

    // --- the far side ---
    void seat(std::shared_ptr<EcuModel> ecu);
    std::shared_ptr<EcuModel> ecu() const { return ecu_; }
    // Bytes from the ECU: the first starts on the wire at `startAt` (or when
    // the wire is free, if later), the following ones back to back at the
    // current baud rate. A start in the past makes them pending at once.
    // Nothing is queued while the adapter is unplugged.
    void ecuSend(const std::vector<std::uint8_t> &bytes, Nanos startAt);
    // Time one byte (start, 8 data, stop) takes at the current baud rate.
    Nanos byteTimeNs() const;
    // Hears every ecuSend (seed recording for the fuzz targets); nullptr: none.
    void tapEcu(std::function<void(const std::vector<std::uint8_t> &)> tap)
    {
        ecuTap_ = std::move(tap);
    }

    // --- the chip's latency timer (reset: 16 ms) ---
    // 1..255 ms, as SIO_SET_LATENCY_TIMER takes it; other values are ignored.
    void setLatencyMs(int ms);
    int latencyMs() const { return latencyMs_; }

    // --- injectable faults (all cleared by reset) ---
    void failNextNew(int count = 1); // the next `count` ftdi_new return NULL
    void failOpen(bool fail);        // ftdi_usb_open: -3 "usb device not found"
    bool openFails() const { return failOpen_; }
    // A plugged adapter the system will not let us open: its device node
    // is closed to us (ftdi_usb_open: -4), or another program holds it (-5).
    enum class Refusal { None, NoPermission, Busy };
    void refuseOpen(Refusal refusal) { refusal_ = refusal; }
    Refusal openRefusal() const { return refusal_; }
    void refuseBaud(bool refuse);         // ftdi_set_baudrate: -1
    void refuseLineProperty(bool refuse); // ftdi_set_line_property: -1
    // The next `count` bytes written fail (Forever: until failWrites(0)).
    // A failing byte is not sent; ftdi_write_data returns -1.
    void failWrites(int count);
    int writesToFail() const { return failWrites_; } // Forever: all of them

    // --- what went over the line (oldest first; cleared by clearHistory) ---
    // Each history keeps its latest entries: the oldest half goes once
    // 100000 are recorded, so a demo left running does not grow for ever.
    const std::vector<TxByte> &transmitted() const { return tx_; }
    const std::vector<DtrEdge> &dtrEdges() const { return dtr_; }
    const std::vector<BaudChange> &baudChanges() const { return baud_; }
    // The simulated library's reads on the open handle with their times,
    // so that a bench can tell how long after a request the application
    // looked for its answer and when it had it (bounded like
    // libraryCalls()).
    const std::vector<ReadCall> &reads() const { return reads_; }
    void noteRead(const ReadCall &read);
    // Every byte that reached the receive buffer, in arrival order, so that
    // a bench can time the ECU's answers on the line (bounded likewise).
    const std::vector<RxByte> &received() const { return received_; }
    // Every libftdi1 call that reached the simulated library, in order, with
    // the arguments that matter, e.g. "ftdi_new", "ftdi_set_interface(A)",
    // "ftdi_usb_open(0x433,0x6066)", "ftdi_set_baudrate(15630)",
    // "ftdi_set_line_property(8,0,0)"
    // (libftdi1's enum values: BITS_8, STOP_BIT_1, NONE), "ftdi_setdtr(1)",
    // "ftdi_read_data(1024)", "ftdi_write_data(1)", "ftdi_usb_close",
    // "ftdi_free", "ftdi_usb_find_all(0x0,0x0)", "ftdi_usb_get_strings",
    // "ftdi_get_error_string", "ftdi_list_free".
    // A long demo run keeps only the latest calls (the oldest half goes once
    // 100000 are recorded); tests never come near that.
    const std::vector<std::string> &libraryCalls() const { return calls_; }
    void clearHistory();
    const LineState &line() const { return line_; }
    int receivePending() const; // bytes that have arrived and wait for a read
    int receiveQueued() const { return int(rx_.size()); } // incl. still on the wire

    // Lookups of the cable the link made after failed opens (not cleared by
    // reset: a counter for tests).
    int lookups() const { return lookups_; }
    void noteLookup() { ++lookups_; }

    // --- the libftdi1 side (used by sim/ftdi_sim.cpp) ---
    // Contexts made by ftdi_new and not yet released by ftdi_free; a link
    // that leaks contexts makes this grow. Not cleared by reset.
    int contextsAlive() const { return contextsAlive_; }
    // Handles opened and not yet closed (a handle killed by unplug or reset
    // still counts until its context closes or frees it).
    int openHandles() const { return openHandles_; }
    // True while some handle holds the device.
    bool held() const { return openToken_ != 0; }
    void noteCall(std::string call);
    bool takeNewFailure();
    void contextCreated() { ++contextsAlive_; }
    void contextFreed() { --contextsAlive_; }
    // The calls below take the token of a handle; on a token that does not
    // hold the device (never opened, closed, or killed by unplug) they
    // return -666, which the library layer turns into its own error code.
    // Returns an open-handle token (>0) or a libftdi1 error code (<0).
    int open(int vendor, int product);
    void close(int token);
    bool isOpen(int token) const;
    int setBaud(int token, int requested); // libftdi1 result code
    int setLineProperty(int token, int bits, int stopBits, int parity);
    int setDtr(int token, bool level);
    int write(int token, const std::uint8_t *buf, int size);
    // One bulk IN transfer that the host starts at `startedAt` with room for
    // `room` bytes: the chip's packets (see the top of this file) until a
    // short one or the room is full, written to `buf` as they go on the
    // bus, status bytes included. The bytes they carry leave the receive
    // buffer and the latency timer restarts at the last packet; `endsAt`
    // is when that packet goes, and the host has nothing of the transfer
    // before then. Returns the bytes written.
    int inTransfer(int token, std::uint8_t *buf, int room, Nanos startedAt, Nanos &endsAt);
    // The same as libusb_bulk_transfer makes it: started now, the calling
    // thread waits (sleepUntil) until the transfer ends.
    int bulkIn(int token, std::uint8_t *buf, int room);
    // The chip's purge of its receive buffer (SIO_RESET): the bytes that
    // have arrived are dropped. Returns how many, or a cable error.
    int purgeReceive(int token);

    // The default-ID FTDI devices that a listing finds (never 0433:6066).
    // Tests may edit the list (reset restores two devices); stringsFail
    // makes ftdi_usb_get_strings fail for that device.
    struct ListedDevice {
        std::string manufacturer, description, serial;
        bool stringsFail = false;
    };
    std::vector<ListedDevice> &listedDevices() { return listed_; }
    void failFindAll(bool fail) { failFindAll_ = fail; }
    bool findAllFails() const { return failFindAll_; }

    // Rate the chip reaches for `requested` (libftdi1's divisor choice for
    // the 3 MHz chips), 0 when it cannot come within 5 %.
    static int chipBaud(int requested);

private:
    VirtualCable();
    void queueRx(std::uint8_t value, Nanos arrivesAt, bool echo);

    bool plugged_ = true;
    int openToken_ = 0; // the one handle that holds the device
    int nextToken_ = 1;
    int contextsAlive_ = 0;
    int openHandles_ = 0;
    LineState line_;
    Nanos lineFreeAt_ = 0; // end of the last byte on the wire
    int latencyMs_ = DefaultLatencyMs;
    Nanos lastPacketAt_ = 0; // the latency timer restarted here
    std::deque<RxByte> rx_;
    std::shared_ptr<EcuModel> ecu_;
    std::vector<TxByte> tx_;
    std::vector<DtrEdge> dtr_;
    std::vector<BaudChange> baud_;
    std::vector<ReadCall> reads_;
    std::vector<RxByte> received_;
    std::vector<std::string> calls_;
    std::vector<ListedDevice> listed_;
    int failNew_ = 0;
    bool failOpen_ = false;
    bool refuseBaud_ = false;
    bool refuseLine_ = false;
    bool failFindAll_ = false;
    int failWrites_ = 0;
    Refusal refusal_ = Refusal::None;
    int lookups_ = 0;
    std::function<void(const std::vector<std::uint8_t> &)> ecuTap_;
};

} // namespace sim

#endif // VIRTUALCABLE_H

#ifndef VIRTUALCABLE_H
#define VIRTUALCABLE_H

// The simulated K-line cable: the far side of the USB port as the link sees
// it through libftdi1. sim/ftdi_sim.cpp implements the libftdi1 calls on top
// of this object, so the application talks to it through the very same code
// it uses with the real adapter.
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

Nanos nowNs();

// Lets a harness run the cable on a clock of its own (fuzzing, benches).
// Passing nullptr restores the steady clock.
void setClock(std::function<Nanos()> clock);

struct LineState {
    int baud = 9600;       // actual rate after the chip's rounding
    bool dtr = false;
    int bits = 8;
    int stopBits = 1;
    int parity = 0;        // 0 none
};

struct TxByte {
    std::uint8_t value;
    Nanos writtenAt;       // when the application wrote it
    Nanos endsAt;          // when its stop bit left the wire
    int baud;
    bool dtr;
};

struct DtrEdge {
    bool level;
    Nanos at;
};

struct BaudChange {
    int requested;
    int actual;            // 0 when refused
    Nanos at;
};

class VirtualCable;

// What sits on the far end of the K-line. The cable calls it for every byte
// the application transmits, at the time the byte has fully arrived, and for
// every DTR or baud change. It answers through VirtualCable::ecuSend.
class EcuModel {
public:
    virtual ~EcuModel() = default;
    virtual void onByte(VirtualCable &cable, std::uint8_t byte, Nanos heardAt,
                        const LineState &line) = 0;
    virtual void onDtr(VirtualCable &, bool /*level*/, Nanos /*at*/) {}
    virtual void onBaud(VirtualCable &, int /*actualBaud*/, Nanos /*at*/) {}
};

class VirtualCable {
public:
    static constexpr int Forever = -1;
    static constexpr int VendorId = 0x0433;
    static constexpr int ProductId = 0x6066;

    static VirtualCable &instance();

    // Back to a plugged adapter with a silent line, no faults, no history.
    // Contexts the application still holds stay valid but lose the device.
    void reset();

    // --- the device ---
    void plug();
    void unplug();
    bool plugged() const { return plugged_; }

    // --- the far side ---
    void seat(std::shared_ptr<EcuModel> ecu);
    std::shared_ptr<EcuModel> ecu() const { return ecu_; }
    // Bytes from the ECU: the first starts on the wire at `startAt`, the
    // following ones back to back at the current baud rate.
    void ecuSend(const std::vector<std::uint8_t> &bytes, Nanos startAt);
    // Time one byte (start, 8 data, stop) takes at the current baud rate.
    Nanos byteTimeNs() const;

    // --- injectable faults ---
    void failNextNew(int count = 1);
    void failOpen(bool fail);
    void refuseBaud(bool refuse);
    void refuseLineProperty(bool refuse);
    // count bytes fail from now (Forever: until failWrites(0)).
    void failWrites(int count);

    // --- what went over the line ---
    const std::vector<TxByte> &transmitted() const { return tx_; }
    const std::vector<DtrEdge> &dtrEdges() const { return dtr_; }
    const std::vector<BaudChange> &baudChanges() const { return baud_; }
    void clearHistory();
    const LineState &line() const { return line_; }
    int receivePending() const;   // bytes that have arrived and wait for a read

    // --- the libftdi1 side (used by sim/ftdi_sim.cpp) ---
    int contextsAlive() const { return contextsAlive_; }
    int openHandles() const { return openHandles_; }
    bool takeNewFailure();
    void contextCreated() { ++contextsAlive_; }
    void contextFreed() { --contextsAlive_; }
    // Returns an open-handle token (>0) or a libftdi1 error code (<0).
    int open(int vendor, int product);
    void close(int token);
    bool isOpen(int token) const;
    int setBaud(int token, int requested);     // libftdi1 result code
    int setLineProperty(int token, int bits, int stopBits, int parity);
    int setDtr(int token, bool level);
    int write(int token, const std::uint8_t *buf, int size);
    int read(int token, std::uint8_t *buf, int size);

    // The default-ID FTDI devices that a listing finds (never 0433:6066).
    struct ListedDevice {
        std::string manufacturer, description, serial;
        bool stringsFail = false;
    };
    std::vector<ListedDevice> &listedDevices() { return listed_; }
    void failFindAll(bool fail) { failFindAll_ = fail; }
    bool findAllFails() const { return failFindAll_; }

    // Nearest rate the FT232R reaches for `requested`, 0 when outside 5 %.
    static int chipBaud(int requested);

private:
    VirtualCable();
    struct RxByte {
        std::uint8_t value;
        Nanos arrivesAt;
    };
    void queueRx(std::uint8_t value, Nanos arrivesAt);

    bool plugged_ = true;
    int openToken_ = 0;           // the one handle that holds the device
    int nextToken_ = 1;
    int contextsAlive_ = 0;
    int openHandles_ = 0;
    LineState line_;
    Nanos lineFreeAt_ = 0;        // end of the last byte on the wire
    std::deque<RxByte> rx_;
    std::shared_ptr<EcuModel> ecu_;
    std::vector<TxByte> tx_;
    std::vector<DtrEdge> dtr_;
    std::vector<BaudChange> baud_;
    std::vector<ListedDevice> listed_;
    int failNew_ = 0;
    bool failOpen_ = false;
    bool refuseBaud_ = false;
    bool refuseLine_ = false;
    bool failFindAll_ = false;
    int failWrites_ = 0;
};

} // namespace sim

#endif // VIRTUALCABLE_H

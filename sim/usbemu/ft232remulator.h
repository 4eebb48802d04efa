// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef FT232REMULATOR_H
#define FT232REMULATOR_H

// The emulated K-line adapter at the Linux usbdevfs level: a umockdev ioctl
// handler that answers what libusb-1.0 asks of /dev/bus/usb/BBB/DDD (URB
// submission and reaping, interface claims, capabilities) with an FT232R
// (sim/usbemu/ft232rchip.h) in front of sim::VirtualCable.
//
// umockdev serves the ioctls on a worker thread of its own, so every entry
// point here takes the one lock; a test reads the chip and the cable through
// `inspect`, which holds that lock too.
//
// As usbfs does when a handle's file goes, a program that closes the node or
// dies loses its claim and its transfers at once: the emulator watches each
// program's connection (sim/usbemu/clientsocket.h) rather than wait for
// umockdev to notice.
//
// A bulk IN transfer ends when the chip's latency timer lets its last
// packet go (sim/virtualcable.h), up to a timer period or two after it was
// submitted. Its URB is reapable only from then on: a reap that comes
// earlier is held until that moment and then answered, as the program's
// poll() would have woken then (the node is a plain file, whose poll
// cannot wait). The transfer's packets are decided when it is submitted,
// from what the line will have brought by its end; a write made by another
// thread while it is pending is not in it (libftdi programs read and write
// from one thread).

#include "sim/usbemu/clientsocket.h"
#include "sim/usbemu/ft232rchip.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

typedef struct _UMockdevIoctlBase UMockdevIoctlBase;
typedef struct _UMockdevIoctlClient UMockdevIoctlClient;
typedef struct _UMockdevIoctlData UMockdevIoctlData;
typedef struct _GSource GSource;

namespace sim::usbemu {

class Ft232rEmulator
{
public:
    explicit Ft232rEmulator(VirtualCable &cable);
    ~Ft232rEmulator();
    Ft232rEmulator(const Ft232rEmulator &) = delete;
    Ft232rEmulator &operator=(const Ft232rEmulator &) = delete;

    UMockdevIoctlBase *handler() const { return handler_; }

    // The plug: pulled, every open handle answers "no device" from then on.
    void unplug();
    void plug();
    // Another program on the bus has claimed the interface: every claim of
    // ours is refused as busy, as usbfs refuses it.
    void holdForAnotherProgram(bool held);
    // Each claim of the interface answers only after `ms`, as a slow driver
    // (or a Windows libusb enumerating a hub of stuck devices) keeps an open.
    void slowClaims(int ms);
    // When each claim was asked for, oldest first.
    std::vector<std::chrono::steady_clock::time_point> claimsAsked();

    // Runs `look` under the lock with the chip and the line behind it.
    void inspect(const std::function<void(const Ft232rChip &, VirtualCable &)> &look);

private:
    struct Finished {
        UMockdevIoctlData *urb;
        Nanos readyAt; // the host has it from then on
    };
    struct Client {
        bool dead = false;                       // opened before an unplug
        bool gone = false;                       // its program closed the node or died
        std::vector<Finished> reapable;          // submitted URBs, oldest first
        UMockdevIoctlData *lastReaped = nullptr; // held until its reap is synced
        ClientSocket socket;                     // our end of its connection, when found
        GSource *hangUpWatch = nullptr;          // fires when that socket hangs up
        GSource *heldReap = nullptr;             // answers a reap that came too early
    };
    struct HangUp;  // the hang-up watch's callback and its data
    struct ReapDue; // the held reap's timer and its data
    static int onIoctl(UMockdevIoctlBase *, UMockdevIoctlClient *client, void *self);
    static void onConnected(UMockdevIoctlBase *, UMockdevIoctlClient *client, void *self);
    static void onVanished(UMockdevIoctlBase *, UMockdevIoctlClient *client, void *self);

    void handle(UMockdevIoctlClient *client);
    Client &clientFor(UMockdevIoctlClient *client);
    void watch(UMockdevIoctlClient *client);
    bool hasGone(UMockdevIoctlClient *client) const;
    void release(UMockdevIoctlClient *client);
    void dropClient(UMockdevIoctlClient *client);
    void dropVanished();
    void submit(UMockdevIoctlClient *client, Client &state);
    void reap(UMockdevIoctlClient *client, Client &state);
    void holdReap(UMockdevIoctlClient *client, Client &state, Nanos until);
    // 0, or the negative errno with which the submission itself fails.
    int runUrb(UMockdevIoctlClient *client, UMockdevIoctlData *urbData, Nanos &readyAt);
    int runTransfer(int type, int endpoint, std::uint8_t *bytes, int length, int &actual,
                    Outcome &outcome, Nanos &readyAt);
    int runControl(std::uint8_t *bytes, int length, int &actual, Outcome &outcome);
    void syncControl(UMockdevIoctlClient *client);
    int claimFor(UMockdevIoctlClient *client);
    void housekeeping(UMockdevIoctlClient *client, unsigned long request);

    std::mutex lock_;
    VirtualCable &cable_;
    Ft232rChip chip_;
    UMockdevIoctlClient *owner_ = nullptr; // the handle that claimed the interface
    bool heldElsewhere_ = false;
    int claimDelayMs_ = 0;
    std::vector<std::chrono::steady_clock::time_point> claimsAsked_;
    std::map<UMockdevIoctlClient *, Client> clients_;
    UMockdevIoctlBase *handler_ = nullptr;
};

} // namespace sim::usbemu

#endif // FT232REMULATOR_H

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

#include "sim/usbemu/clientsocket.h"
#include "sim/usbemu/ft232rchip.h"

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

    // Runs `look` under the lock with the chip and the line behind it.
    void inspect(const std::function<void(const Ft232rChip &, VirtualCable &)> &look);

private:
    struct Client {
        bool dead = false;                         // opened before an unplug
        bool gone = false;                         // its program closed the node or died
        std::vector<UMockdevIoctlData *> reapable; // completed URBs, oldest first
        UMockdevIoctlData *lastReaped = nullptr;   // held until its reap is synced
        ClientSocket socket;                       // our end of its connection, when found
        GSource *hangUpWatch = nullptr;            // fires when that socket hangs up
    };
    struct HangUp; // the hang-up watch's callback and its data
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
    // 0, or the negative errno with which the submission itself fails.
    int runUrb(UMockdevIoctlClient *client, UMockdevIoctlData *urbData);
    int runTransfer(int type, int endpoint, std::uint8_t *bytes, int length, int &actual,
                    Outcome &outcome);
    int runControl(std::uint8_t *bytes, int length, int &actual, Outcome &outcome);
    void syncControl(UMockdevIoctlClient *client);
    int claimFor(UMockdevIoctlClient *client);
    void housekeeping(UMockdevIoctlClient *client, unsigned long request);

    std::mutex lock_;
    VirtualCable &cable_;
    Ft232rChip chip_;
    UMockdevIoctlClient *owner_ = nullptr; // the handle that claimed the interface
    bool heldElsewhere_ = false;
    std::map<UMockdevIoctlClient *, Client> clients_;
    UMockdevIoctlBase *handler_ = nullptr;
};

} // namespace sim::usbemu

#endif // FT232REMULATOR_H

// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/usbemu/ft232remulator.h"

#include "sim/usbemu/ft232rdescriptors.h"

#include <umockdev.h>

#include <glib-unix.h>
#include <linux/usbdevice_fs.h>
#include <sys/ioctl.h>

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <thread>

namespace sim::usbemu {

namespace {
constexpr unsigned kCapabilities = USBDEVFS_CAP_BULK_CONTINUATION | USBDEVFS_CAP_NO_PACKET_SIZE_LIM;
constexpr int kSpeedFull = 2; // enum usb_device_speed: USB_SPEED_FULL
constexpr int kSetupSize = 8;

void complete(UMockdevIoctlClient *client, long result, int error)
{
    umockdev_ioctl_client_complete(client, result, result < 0 ? error : 0);
}

// Our reference to resolved client memory; the parent keeps its own, for
// syncing the memory back when the ioctl completes.
struct Unref {
    void operator()(UMockdevIoctlData *data) const { g_object_unref(data); }
};
using Resolved = std::unique_ptr<UMockdevIoctlData, Unref>;

// The client's `length` bytes behind the pointer at `offset` of `data`,
// mapped here; empty when the client passed junk.
Resolved resolve(UMockdevIoctlData *data, std::size_t offset, std::size_t length)
{
    GError *error = nullptr;
    UMockdevIoctlData *child = umockdev_ioctl_data_resolve(data, offset, length, &error);
    if (error)
        g_error_free(error);
    return Resolved(child);
}

// The setup packet of a synchronous control request, room for its data behind.
std::vector<std::uint8_t> setupBytes(const usbdevfs_ctrltransfer &c)
{
    std::vector<std::uint8_t> bytes = {c.bRequestType,          c.bRequest,
                                       std::uint8_t(c.wValue),  std::uint8_t(c.wValue >> 8),
                                       std::uint8_t(c.wIndex),  std::uint8_t(c.wIndex >> 8),
                                       std::uint8_t(c.wLength), std::uint8_t(c.wLength >> 8)};
    bytes.resize(kSetupSize + c.wLength);
    return bytes;
}

int urbStatus(Outcome outcome)
{
    return outcome == Outcome::Done ? 0 : outcome == Outcome::Stall ? -EPIPE : -ENODEV;
}
} // namespace

struct Ft232rEmulator::HangUp {
    Ft232rEmulator *emulator;
    UMockdevIoctlClient *client;

    static gboolean fired(gint, GIOCondition, gpointer data)
    {
        const auto *hangUp = static_cast<HangUp *>(data);
        std::lock_guard<std::mutex> guard(hangUp->emulator->lock_);
        hangUp->emulator->release(hangUp->client);
        return G_SOURCE_REMOVE;
    }
    static void destroy(gpointer data) { delete static_cast<HangUp *>(data); }
};

struct Ft232rEmulator::ReapDue {
    Ft232rEmulator *emulator;
    UMockdevIoctlClient *client;

    static gboolean fired(gpointer data)
    {
        const auto *due = static_cast<ReapDue *>(data);
        Ft232rEmulator *emulator = due->emulator;
        std::lock_guard<std::mutex> guard(emulator->lock_);
        const auto it = emulator->clients_.find(due->client);
        if (it != emulator->clients_.end() && it->second.heldReap) {
            g_source_unref(it->second.heldReap);
            it->second.heldReap = nullptr;
            emulator->reap(due->client, it->second);
        }
        return G_SOURCE_REMOVE;
    }
    static void destroy(gpointer data) { delete static_cast<ReapDue *>(data); }
};

Ft232rEmulator::Ft232rEmulator(VirtualCable &cable)
    : cable_(cable), chip_(cable), handler_(umockdev_ioctl_base_new())
{
    g_signal_connect(handler_, "handle-ioctl", G_CALLBACK(&Ft232rEmulator::onIoctl), this);
    g_signal_connect(handler_, "client-connected", G_CALLBACK(&Ft232rEmulator::onConnected), this);
    g_signal_connect(handler_, "client-vanished", G_CALLBACK(&Ft232rEmulator::onVanished), this);
}

Ft232rEmulator::~Ft232rEmulator()
{
    g_signal_handlers_disconnect_by_data(handler_, this);
    std::lock_guard<std::mutex> guard(lock_);
    // umockdev never closes the stream of a program that died mid-ioctl and
    // says so (a CRITICAL) when that client goes here; nothing is wrong.
    while (!clients_.empty())
        dropClient(clients_.begin()->first);
    g_object_unref(handler_);
}

void Ft232rEmulator::unplug()
{
    std::lock_guard<std::mutex> guard(lock_);
    for (auto &entry : clients_)
        entry.second.dead = true;
    chip_.release();
    owner_ = nullptr;
    cable_.unplug();
}

void Ft232rEmulator::plug()
{
    std::lock_guard<std::mutex> guard(lock_);
    cable_.plug();
}

void Ft232rEmulator::holdForAnotherProgram(bool held)
{
    std::lock_guard<std::mutex> guard(lock_);
    heldElsewhere_ = held;
}

void Ft232rEmulator::slowClaims(int ms)
{
    std::lock_guard<std::mutex> guard(lock_);
    claimDelayMs_ = ms;
    claimsAsked_.clear();
}

std::vector<std::chrono::steady_clock::time_point> Ft232rEmulator::claimsAsked()
{
    std::lock_guard<std::mutex> guard(lock_);
    return claimsAsked_;
}

void Ft232rEmulator::inspect(const std::function<void(const Ft232rChip &, VirtualCable &)> &look)
{
    std::lock_guard<std::mutex> guard(lock_);
    look(chip_, cable_);
}

int Ft232rEmulator::onIoctl(UMockdevIoctlBase *, UMockdevIoctlClient *client, void *self)
{
    static_cast<Ft232rEmulator *>(self)->handle(client);
    return TRUE;
}

void Ft232rEmulator::onConnected(UMockdevIoctlBase *, UMockdevIoctlClient *client, void *self)
{
    auto *emulator = static_cast<Ft232rEmulator *>(self);
    std::lock_guard<std::mutex> guard(emulator->lock_);
    emulator->watch(client);
}

void Ft232rEmulator::onVanished(UMockdevIoctlBase *, UMockdevIoctlClient *client, void *self)
{
    auto *emulator = static_cast<Ft232rEmulator *>(self);
    std::lock_guard<std::mutex> guard(emulator->lock_);
    emulator->dropClient(client);
}

Ft232rEmulator::Client &Ft232rEmulator::clientFor(UMockdevIoctlClient *client)
{
    auto it = clients_.find(client);
    if (it != clients_.end())
        return it->second;
    dropVanished();
    // Hold the client: its address is our key until it vanishes.
    g_object_ref(client);
    Client &state = clients_[client];
    state.dead = !cable_.plugged();
    return state;
}

// umockdev announces each connection as it accepts it, before it accepts
// the next, so the one socket it has just accepted for the node is this
// client's. Without one found, umockdev's own notice is all there is.
void Ft232rEmulator::watch(UMockdevIoctlClient *client)
{
    Client &state = clientFor(client);
    std::vector<ClientSocket> known;
    for (const auto &entry : clients_) {
        if (entry.second.socket.valid())
            known.push_back(entry.second.socket);
    }
    state.socket = ClientSocket::accepted(umockdev_ioctl_client_get_devnode(client), known);
    if (!state.socket.valid())
        return;
    // On umockdev's worker thread, which serves the client too.
    state.hangUpWatch = g_unix_fd_source_new(state.socket.fd(), GIOCondition(G_IO_HUP | G_IO_ERR));
    g_source_set_callback(state.hangUpWatch, G_SOURCE_FUNC(&HangUp::fired),
                          new HangUp{this, client}, &HangUp::destroy);
    g_source_attach(state.hangUpWatch, g_main_context_get_thread_default());
}

bool Ft232rEmulator::hasGone(UMockdevIoctlClient *client) const
{
    const auto it = clients_.find(client);
    return !umockdev_ioctl_client_get_connected(client)
           || (it != clients_.end() && it->second.socket.hungUp());
}

// umockdev marks a closed connection but does not always signal it, so a
// newcomer sweeps up the handles that have gone.
void Ft232rEmulator::dropVanished()
{
    std::vector<UMockdevIoctlClient *> gone;
    for (const auto &entry : clients_) {
        if (!umockdev_ioctl_client_get_connected(entry.first))
            gone.push_back(entry.first);
    }
    for (UMockdevIoctlClient *client : gone)
        dropClient(client);
}

// What usbfs does when a handle's file goes. The entry stays, marked gone,
// while umockdev may still hand us a request the program sent before it
// died, so that request cannot claim the interface again.
void Ft232rEmulator::release(UMockdevIoctlClient *client)
{
    auto it = clients_.find(client);
    if (it == clients_.end())
        return;
    Client &state = it->second;
    // A killed program's transfers must not reach the next one.
    for (const Finished &finished : state.reapable)
        g_object_unref(finished.urb);
    state.reapable.clear();
    if (state.heldReap) {
        g_source_destroy(state.heldReap);
        g_source_unref(state.heldReap);
        state.heldReap = nullptr;
    }
    if (state.lastReaped)
        g_object_unref(state.lastReaped);
    state.lastReaped = nullptr;
    if (owner_ == client) {
        chip_.release();
        owner_ = nullptr;
    }
    if (state.hangUpWatch) {
        g_source_destroy(state.hangUpWatch);
        g_source_unref(state.hangUpWatch);
        state.hangUpWatch = nullptr;
    }
    state.gone = true;
}

void Ft232rEmulator::dropClient(UMockdevIoctlClient *client)
{
    release(client);
    if (clients_.erase(client) > 0)
        g_object_unref(client);
}

void Ft232rEmulator::handle(UMockdevIoctlClient *client)
{
    if (umockdev_ioctl_client_get_request(client) == USBDEVFS_CLAIMINTERFACE) {
        int delayMs = 0;
        {
            std::lock_guard<std::mutex> guard(lock_);
            claimsAsked_.push_back(std::chrono::steady_clock::now());
            delayMs = claimDelayMs_;
        }
        // Outside the lock: the test keeps looking at the chip meanwhile.
        std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
    }
    std::lock_guard<std::mutex> guard(lock_);
    Client &state = clientFor(client);
    const unsigned long request = umockdev_ioctl_client_get_request(client);
    // Nobody is left to read the answer.
    if (state.gone)
        complete(client, -1, ENODEV);
    // Reaping comes first: usbfs still hands back the URBs that finished
    // before an unplug, and libusb waits for ever on one that never returns.
    else if (request == USBDEVFS_REAPURBNDELAY || request == USBDEVFS_REAPURB)
        reap(client, state);
    else if (state.dead)
        complete(client, -1, ENODEV);
    else if (request == USBDEVFS_SUBMITURB)
        submit(client, state);
    else
        housekeeping(client, request);
}

int Ft232rEmulator::claimFor(UMockdevIoctlClient *client)
{
    if (heldElsewhere_)
        return -EBUSY;
    if (owner_ == client)
        return 0;
    // It went away holding the claim, as a killed program does. Asked here
    // too, since its hang-up may wait behind this request on the worker.
    if (owner_ != nullptr && hasGone(owner_))
        release(owner_);
    if (owner_ != nullptr)
        return -EBUSY;
    const int rc = chip_.claim();
    if (rc == 0)
        owner_ = client;
    return rc;
}

void Ft232rEmulator::submit(UMockdevIoctlClient *client, Client &state)
{
    Resolved urbData = resolve(umockdev_ioctl_client_get_arg(client), 0, sizeof(usbdevfs_urb));
    if (!urbData) {
        complete(client, -1, EFAULT);
        return;
    }
    Nanos readyAt = 0;
    const int rc = runUrb(client, urbData.get(), readyAt);
    if (rc < 0) {
        complete(client, -1, -rc);
        return;
    }
    // The finished URB waits for libusb to reap it.
    state.reapable.push_back({urbData.release(), readyAt});
    complete(client, 0, 0);
}

void Ft232rEmulator::reap(UMockdevIoctlClient *client, Client &state)
{
    if (state.reapable.empty()) {
        complete(client, -1, state.dead ? ENODEV : EAGAIN);
        return;
    }
    // The transfer that has ended first; none yet: the reap waits for it.
    const auto next = std::min_element(
        state.reapable.begin(), state.reapable.end(),
        [](const Finished &a, const Finished &b) { return a.readyAt < b.readyAt; });
    if (next->readyAt > nowNs()) {
        holdReap(client, state, next->readyAt);
        return;
    }
    Resolved slot = resolve(umockdev_ioctl_client_get_arg(client), 0, sizeof(void *));
    if (!slot) {
        complete(client, -1, EFAULT);
        return;
    }
    UMockdevIoctlData *urb = next->urb;
    state.reapable.erase(next);
    umockdev_ioctl_data_set_ptr(slot.get(), 0, urb);
    complete(client, 0, 0);
    if (state.lastReaped)
        g_object_unref(state.lastReaped);
    state.lastReaped = urb;
}

// On umockdev's worker thread, whose context serves the client.
void Ft232rEmulator::holdReap(UMockdevIoctlClient *client, Client &state, Nanos until)
{
    if (state.heldReap) { // one waits already: this one finds nothing yet
        complete(client, -1, EAGAIN);
        return;
    }
    constexpr Nanos kNsPerMs = 1000000;
    const Nanos left = until - nowNs();
    state.heldReap = g_timeout_source_new(guint((left + kNsPerMs - 1) / kNsPerMs));
    g_source_set_callback(state.heldReap, &ReapDue::fired, new ReapDue{this, client},
                          &ReapDue::destroy);
    g_source_attach(state.heldReap, g_main_context_get_thread_default());
}

int Ft232rEmulator::runControl(std::uint8_t *bytes, int length, int &actual, Outcome &outcome)
{
    if (!bytes || length < kSetupSize)
        return -EINVAL;
    const SetupPacket setup = parseSetup(bytes);
    const int room = std::min<int>(setup.length, length - kSetupSize);
    const bool in = (setup.requestType & 0x80) != 0;
    std::vector<std::uint8_t> data;
    if (!in)
        data.assign(bytes + kSetupSize, bytes + kSetupSize + room);
    outcome = chip_.control(setup, data);
    actual = 0;
    if (outcome == Outcome::Done) {
        actual = in ? std::min<int>(room, int(data.size())) : room;
        if (in)
            std::copy(data.begin(), data.begin() + actual, bytes + kSetupSize);
    }
    return 0;
}

int Ft232rEmulator::runTransfer(int type, int endpoint, std::uint8_t *bytes, int length,
                                int &actual, Outcome &outcome, Nanos &readyAt)
{
    actual = 0;
    outcome = Outcome::Done;
    const Nanos submittedAt = nowNs();
    readyAt = submittedAt;
    if (type == USBDEVFS_URB_TYPE_CONTROL)
        return runControl(bytes, length, actual, outcome);
    if (type == USBDEVFS_URB_TYPE_BULK && endpoint == kBulkOut)
        outcome = chip_.bulkOut(bytes, length, actual);
    else if (type == USBDEVFS_URB_TYPE_BULK && endpoint == kBulkIn)
        outcome = bytes ? chip_.bulkIn(bytes, length, actual, submittedAt, readyAt) : Outcome::Done;
    else
        return -EINVAL;
    return 0;
}

int Ft232rEmulator::runUrb(UMockdevIoctlClient *client, UMockdevIoctlData *urbData, Nanos &readyAt)
{
    const int length = reinterpret_cast<usbdevfs_urb *>(urbData->data)->buffer_length;
    if (length < 0)
        return -EINVAL;
    Resolved buffer = length > 0
                          ? resolve(urbData, offsetof(usbdevfs_urb, buffer), std::size_t(length))
                          : Resolved();
    // As usbfs, which copies the buffer first: one that cannot be read, as
    // when the program died in the middle of submitting, is refused.
    if (length > 0 && !buffer)
        return -EFAULT;
    auto *urb = reinterpret_cast<usbdevfs_urb *>(urbData->data);
    std::uint8_t *bytes = buffer ? buffer->data : nullptr;
    // Like usbfs, a transfer to the chip claims the interface on the way.
    const bool standard = urb->type == USBDEVFS_URB_TYPE_CONTROL && bytes && (bytes[0] & 0x60) == 0;
    if (!standard && claimFor(client) == -EBUSY)
        return -EBUSY;
    int actual = 0;
    Outcome outcome = Outcome::Done;
    const int rc = runTransfer(urb->type, urb->endpoint, bytes, length, actual, outcome, readyAt);
    if (rc < 0)
        return rc;
    if (outcome == Outcome::NoDevice)
        return -ENODEV;
    urb->status = urbStatus(outcome);
    urb->actual_length = actual;
    return 0;
}

// The synchronous control ioctl (libusb uses it where sysfs cannot answer).
void Ft232rEmulator::syncControl(UMockdevIoctlClient *client)
{
    Resolved ctrlData =
        resolve(umockdev_ioctl_client_get_arg(client), 0, sizeof(usbdevfs_ctrltransfer));
    if (!ctrlData) {
        complete(client, -1, EFAULT);
        return;
    }
    const usbdevfs_ctrltransfer ctrl = *reinterpret_cast<usbdevfs_ctrltransfer *>(ctrlData->data);
    const bool in = (ctrl.bRequestType & 0x80) != 0;
    std::vector<std::uint8_t> bytes = setupBytes(ctrl);
    Resolved payload =
        ctrl.wLength ? resolve(ctrlData.get(), offsetof(usbdevfs_ctrltransfer, data), ctrl.wLength)
                     : Resolved();
    if (payload && !in)
        std::copy(payload->data, payload->data + ctrl.wLength, bytes.begin() + kSetupSize);
    int actual = 0;
    Outcome outcome = Outcome::Stall;
    if ((ctrl.bRequestType & 0x60) == 0 || claimFor(client) == 0)
        runControl(bytes.data(), int(bytes.size()), actual, outcome);
    if (outcome != Outcome::Done) {
        complete(client, -1, outcome == Outcome::NoDevice ? ENODEV : EPIPE);
        return;
    }
    if (payload && in)
        std::copy(bytes.begin() + kSetupSize, bytes.begin() + kSetupSize + actual, payload->data);
    complete(client, actual, 0);
}

void Ft232rEmulator::housekeeping(UMockdevIoctlClient *client, unsigned long request)
{
    switch (request) {
    case USBDEVFS_GET_CAPABILITIES: {
        Resolved caps = resolve(umockdev_ioctl_client_get_arg(client), 0, sizeof(unsigned));
        if (caps)
            *reinterpret_cast<unsigned *>(caps->data) = kCapabilities;
        complete(client, caps ? 0 : -1, EFAULT);
        break;
    }
    case USBDEVFS_CONTROL: syncControl(client); break;
    case USBDEVFS_CLAIMINTERFACE: {
        const int rc = claimFor(client);
        complete(client, rc < 0 ? -1 : 0, -rc);
        break;
    }
    case USBDEVFS_RELEASEINTERFACE:
        if (owner_ == client) {
            chip_.release();
            owner_ = nullptr;
        }
        complete(client, 0, 0);
        break;
    case USBDEVFS_SETINTERFACE:
    case USBDEVFS_SETCONFIGURATION:
    case USBDEVFS_CLEAR_HALT:
    case USBDEVFS_RESETEP:
    case USBDEVFS_RESET: complete(client, 0, 0); break;
    case USBDEVFS_GETDRIVER:
    case USBDEVFS_IOCTL:
        complete(client, -1, ENODATA); // no kernel driver is bound
        break;
    case USBDEVFS_DISCARDURB:
        complete(client, -1, EINVAL); // every URB is decided when submitted
        break;
    case USBDEVFS_GET_SPEED: complete(client, kSpeedFull, 0); break;
    default: complete(client, -1, ENOTTY); break;
    }
}

} // namespace sim::usbemu

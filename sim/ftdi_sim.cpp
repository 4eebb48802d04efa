// SPDX-License-Identifier: GPL-3.0-or-later
// The libftdi1 calls the link makes, answered by the simulated cable.
// Linked in place of the real library, with the library's own header, so
// the application cannot tell the two apart.

#include "sim/virtualcable.h"

#include <ftdi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unordered_map>
#include <vector>

// Opaque in libusb.h; the listing hands out pointers to these.
struct libusb_device {
    int index;
};

namespace {

using sim::VirtualCable;

std::unordered_map<const ftdi_context *, int> &handles()
{
    static std::unordered_map<const ftdi_context *, int> map;
    return map;
}

int tokenOf(const ftdi_context *ftdi)
{
    auto it = handles().find(ftdi);
    return it == handles().end() ? 0 : it->second;
}

int fail(ftdi_context *ftdi, int code, const char *text)
{
    if (ftdi)
        ftdi->error_str = text;
    return code;
}

bool known(const ftdi_context *ftdi)
{
    return ftdi && handles().count(ftdi) != 0;
}

void note(const std::string &call)
{
    VirtualCable::instance().noteCall(call);
}

std::string hex(int value)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%x", unsigned(value));
    return text;
}

std::string interfaceName(ftdi_interface interface)
{
    static const char *const names[] = {"ANY", "A", "B", "C", "D"};
    const int i = int(interface);
    return i >= 0 && i <= 4 ? names[i] : std::to_string(i);
}

// libftdi1's own read buffer of a context: what the last bulk transfer
// brought beyond the size the caller asked for.
struct ReadBuffer {
    std::vector<unsigned char> bytes;
    std::size_t offset = 0;
};

std::unordered_map<const ftdi_context *, ReadBuffer> &readBuffers()
{
    static std::unordered_map<const ftdi_context *, ReadBuffer> map;
    return map;
}

// The data of one bulk IN transfer: every packet's two status bytes dropped.
std::vector<unsigned char> packetData(const unsigned char *transfer, int length, int packetSize)
{
    std::vector<unsigned char> data;
    for (int at = 0; at < length; at += packetSize) {
        const int end = std::min(length, at + packetSize);
        if (end - at > VirtualCable::StatusBytes)
            data.insert(data.end(), transfer + at + VirtualCable::StatusBytes, transfer + end);
    }
    return data;
}

// libftdi 1.5's ftdi_read_data (src/ftdi.c): the read buffer first; then
// bulk transfers of readbuffer_chunksize until one brings no data (only the
// status bytes) or `size` bytes are there; what a transfer brings beyond
// `size` stays in the read buffer.
int readLikeLibftdi(ftdi_context *ftdi, int token, unsigned char *buf, int size, int &transfers)
{
    ReadBuffer &rb = readBuffers()[ftdi];
    const int remaining = int(rb.bytes.size() - rb.offset);
    if (size <= remaining) {
        std::copy_n(rb.bytes.begin() + long(rb.offset), std::max(size, 0), buf);
        rb.offset += std::size_t(std::max(size, 0));
        return size;
    }
    int offset = remaining;
    std::copy_n(rb.bytes.begin() + long(rb.offset), remaining, buf);
    rb = ReadBuffer();
    std::vector<unsigned char> transfer(std::size_t(ftdi->readbuffer_chunksize));
    for (;;) {
        const int got = VirtualCable::instance().bulkIn(token, transfer.data(),
                                                        int(ftdi->readbuffer_chunksize));
        ++transfers;
        if (got < 0)
            return got;
        if (got <= VirtualCable::StatusBytes)
            return offset; // no more data to read
        const std::vector<unsigned char> data =
            packetData(transfer.data(), got, ftdi->max_packet_size);
        const int fits = std::min(int(data.size()), size - offset);
        std::copy_n(data.begin(), fits, buf + offset);
        offset += fits;
        if (fits < int(data.size())) {
            rb.bytes.assign(data.begin() + fits, data.end());
            return offset;
        }
        if (offset == size)
            return offset;
    }
}

// Closes the handle a context holds, once.
void dropHandle(const ftdi_context *ftdi)
{
    auto it = handles().find(ftdi);
    if (it == handles().end() || it->second == 0)
        return;
    VirtualCable::instance().close(it->second);
    it->second = 0;
}

} // namespace

extern "C" {

struct ftdi_context *ftdi_new(void)
{
    VirtualCable &cable = VirtualCable::instance();
    note("ftdi_new");
    if (cable.takeNewFailure())
        return nullptr;
    auto *ftdi = new ftdi_context();
    ftdi->usb_read_timeout = 5000;
    ftdi->usb_write_timeout = 5000;
    ftdi->type = TYPE_BM;
    ftdi->baudrate = -1;
    ftdi->readbuffer_chunksize = 4096;
    ftdi->writebuffer_chunksize = 4096;
    ftdi->max_packet_size = 0;
    ftdi->interface = 0;
    ftdi->index = INTERFACE_A;
    ftdi->in_ep = 0x02;
    ftdi->out_ep = 0x81;
    ftdi->error_str = "";
    handles()[ftdi] = 0;
    cable.contextCreated();
    return ftdi;
}

int ftdi_set_interface(struct ftdi_context *ftdi, enum ftdi_interface interface)
{
    note("ftdi_set_interface(" + interfaceName(interface) + ")");
    if (!known(ftdi))
        return fail(ftdi, -2, "USB device unavailable");
    if (interface != INTERFACE_A && interface != INTERFACE_ANY)
        return fail(ftdi, -1, "Interface can not be changed on an already open device");
    return 0;
}

int ftdi_usb_open(struct ftdi_context *ftdi, int vendor, int product)
{
    note("ftdi_usb_open(" + hex(vendor) + "," + hex(product) + ")");
    if (!known(ftdi))
        return fail(ftdi, -11, "ftdi context invalid");
    dropHandle(ftdi);
    const int result = VirtualCable::instance().open(vendor, product);
    if (result == -5)
        return fail(ftdi, -5,
                    "unable to claim usb device. Make sure the default FTDI driver is not in use");
    if (result == -4)
        return fail(ftdi, -4, "usb_open() failed");
    if (result < 0)
        return fail(ftdi, -3, "usb device not found");
    handles()[ftdi] = result;
    readBuffers().erase(ftdi); // the open resets the chip and the library's buffer
    ftdi->type = TYPE_R;
    ftdi->baudrate = 9600;
    ftdi->max_packet_size = 64;
    return 0;
}

int ftdi_set_baudrate(struct ftdi_context *ftdi, int baudrate)
{
    note("ftdi_set_baudrate(" + std::to_string(baudrate) + ")");
    if (!known(ftdi))
        return fail(ftdi, -3, "USB device unavailable");
    const int result = VirtualCable::instance().setBaud(tokenOf(ftdi), baudrate);
    if (result == -666)
        return fail(ftdi, -3, "USB device unavailable");
    if (result < 0)
        return fail(
            ftdi, -1,
            "Unsupported baudrate. Note: bitbang baudrates are automatically multiplied by 4");
    ftdi->baudrate = baudrate;
    return 0;
}

int ftdi_set_line_property(struct ftdi_context *ftdi, enum ftdi_bits_type bits,
                           enum ftdi_stopbits_type sbit, enum ftdi_parity_type parity)
{
    note("ftdi_set_line_property(" + std::to_string(int(bits)) + "," + std::to_string(int(sbit))
         + "," + std::to_string(int(parity)) + ")");
    if (!known(ftdi))
        return fail(ftdi, -2, "USB device unavailable");
    const int stopBits = sbit == STOP_BIT_1 ? 1 : sbit == STOP_BIT_2 ? 2 : 15;
    const int result =
        VirtualCable::instance().setLineProperty(tokenOf(ftdi), int(bits), stopBits, int(parity));
    if (result == -666)
        return fail(ftdi, -2, "USB device unavailable");
    if (result < 0)
        return fail(ftdi, -1, "Setting new line property failed");
    return 0;
}

int ftdi_setdtr(struct ftdi_context *ftdi, int state)
{
    note("ftdi_setdtr(" + std::to_string(state) + ")");
    if (!known(ftdi))
        return fail(ftdi, -2, "USB device unavailable");
    if (VirtualCable::instance().setDtr(tokenOf(ftdi), state != 0) < 0)
        return fail(ftdi, -1, "set dtr failed");
    return 0;
}

int ftdi_read_data(struct ftdi_context *ftdi, unsigned char *buf, int size)
{
    note("ftdi_read_data(" + std::to_string(size) + ")");
    VirtualCable &cable = VirtualCable::instance();
    if (!known(ftdi) || !cable.isOpen(tokenOf(ftdi)))
        return fail(ftdi, -666, "USB device unavailable");
    if (ftdi->max_packet_size <= 0)
        return fail(ftdi, -1, "max_packet_size is bogus (zero)");
    const sim::Nanos calledAt = sim::nowNs();
    int transfers = 0;
    const int result = readLikeLibftdi(ftdi, tokenOf(ftdi), buf, size, transfers);
    if (result == -666)
        return fail(ftdi, -666, "USB device unavailable");
    if (result < 0)
        return fail(ftdi, -1, "usb bulk read failed");
    cable.noteRead({calledAt, result, sim::nowNs(), transfers});
    return result;
}

int ftdi_write_data(struct ftdi_context *ftdi, const unsigned char *buf, int size)
{
    note("ftdi_write_data(" + std::to_string(size) + ")");
    if (!known(ftdi))
        return fail(ftdi, -666, "USB device unavailable");
    const int result = VirtualCable::instance().write(tokenOf(ftdi), buf, size);
    if (result == -666)
        return fail(ftdi, -666, "USB device unavailable");
    if (result < 0)
        return fail(ftdi, -1, "usb bulk write failed");
    return result;
}

int ftdi_usb_close(struct ftdi_context *ftdi)
{
    note("ftdi_usb_close");
    if (!known(ftdi))
        return -3;
    dropHandle(ftdi);
    return 0;
}

void ftdi_free(struct ftdi_context *ftdi)
{
    note("ftdi_free");
    if (!known(ftdi))
        return;
    // Like the library, freeing a context releases the device it holds.
    dropHandle(ftdi);
    handles().erase(ftdi);
    readBuffers().erase(ftdi);
    VirtualCable::instance().contextFreed();
    delete ftdi;
}

int ftdi_usb_find_all(struct ftdi_context *ftdi, struct ftdi_device_list **devlist, int vendor,
                      int product)
{
    note("ftdi_usb_find_all(" + hex(vendor) + "," + hex(product) + ")");
    if (!known(ftdi) || !devlist)
        return fail(ftdi, -11, "ftdi context invalid");
    *devlist = nullptr;
    VirtualCable &cable = VirtualCable::instance();
    if (cable.findAllFails())
        return fail(ftdi, -5, "libusb_get_device_list() failed");
    // vendor 0 / product 0 means the library's default FTDI ids (0x0403);
    // the listed devices all carry those, the K-line adapter never does.
    if (!(vendor == 0 && product == 0) && vendor != 0x0403)
        return 0;
    ftdi_device_list **tail = devlist;
    int count = 0;
    for (std::size_t i = 0; i < cable.listedDevices().size(); ++i) {
        auto *node = static_cast<ftdi_device_list *>(std::calloc(1, sizeof(ftdi_device_list)));
        node->dev = new libusb_device{int(i)};
        *tail = node;
        tail = &node->next;
        ++count;
    }
    return count;
}

void ftdi_list_free(struct ftdi_device_list **devlist)
{
    note("ftdi_list_free");
    if (!devlist)
        return;
    ftdi_device_list *node = *devlist;
    while (node) {
        ftdi_device_list *next = node->next;
        delete node->dev;
        std::free(node);
        node = next;
    }
    *devlist = nullptr;
}

void ftdi_list_free2(struct ftdi_device_list *devlist)
{
    ftdi_list_free(&devlist);
}

int ftdi_usb_get_strings(struct ftdi_context *ftdi, struct libusb_device *dev, char *manufacturer,
                         int mnf_len, char *description, int desc_len, char *serial, int serial_len)
{
    note("ftdi_usb_get_strings");
    if (!known(ftdi) || !dev)
        return fail(ftdi, -1, "wrong arguments");
    auto &list = VirtualCable::instance().listedDevices();
    if (dev->index < 0 || std::size_t(dev->index) >= list.size())
        return fail(ftdi, -4, "unable to open device");
    const auto &d = list[std::size_t(dev->index)];
    if (d.stringsFail)
        return fail(ftdi, -7, "unable to fetch manufacturer");
    auto copy = [](char *to, int len, const std::string &from) {
        if (to && len > 0)
            std::snprintf(to, std::size_t(len), "%s", from.c_str());
    };
    copy(manufacturer, mnf_len, d.manufacturer);
    copy(description, desc_len, d.description);
    copy(serial, serial_len, d.serial);
    return 0;
}

const char *ftdi_get_error_string(struct ftdi_context *ftdi)
{
    note("ftdi_get_error_string");
    if (!ftdi || !ftdi->error_str)
        return "";
    return ftdi->error_str;
}

} // extern "C"

// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/usbemu/emulatedbus.h"

#include "sim/usbemu/ft232rdescriptors.h"

#include <umockdev.h>

#include <glib/gstdio.h>

#include <cstdint>
#include <cstdio>
#include <vector>

namespace sim::usbemu {

namespace {
// A NULL-terminated name/value array for umockdev_testbed_add_devicev.
std::vector<gchar *> flatten(const std::vector<std::pair<std::string, std::string>> &pairs)
{
    std::vector<gchar *> out;
    for (const auto &p : pairs) {
        out.push_back(const_cast<gchar *>(p.first.c_str()));
        out.push_back(const_cast<gchar *>(p.second.c_str()));
    }
    out.push_back(nullptr);
    return out;
}

// The device node libusb opens: a plain file in the testbed, whose ioctls
// the preload library hands to our handler.
std::string nodeFile(UMockdevTestbed *testbed, const std::string &devnode)
{
    gchar *root = umockdev_testbed_get_root_dir(testbed);
    const std::string path = std::string(root) + devnode;
    g_free(root);
    return path;
}

bool makeNodeFile(const std::string &path)
{
    gchar *dir = g_path_get_dirname(path.c_str());
    const bool made = g_mkdir_with_parents(dir, 0755) == 0
                      && (g_file_test(path.c_str(), G_FILE_TEST_EXISTS)
                          || g_file_set_contents(path.c_str(), "", 0, nullptr));
    g_free(dir);
    return made;
}
} // namespace

EmulatedBus::EmulatedBus(Ft232rEmulator &adapter) : adapter_(adapter)
{
    testbed_ = umockdev_testbed_new();
    // Asked only now: the answer is cached, and the testbed must exist first.
    if (testbed_ && !umockdev_in_mock_environment()) {
        std::fprintf(stderr, "usbemu: not running under libumockdev-preload\n");
        g_object_unref(testbed_);
        testbed_ = nullptr;
    }
}

EmulatedBus::~EmulatedBus()
{
    if (!testbed_)
        return;
    unplugAdapter();
    g_object_unref(testbed_);
}

std::string EmulatedBus::devNode() const
{
    return sim::usbemu::devNode(devnum_);
}

bool EmulatedBus::plugAdapter()
{
    if (!testbed_ || adapterPlugged())
        return false;
    ++devnum_;
    const auto attributes = sysfsAttributes(devnum_);
    const auto properties = udevProperties(devnum_);
    std::vector<gchar *> attrs = flatten(attributes);
    std::vector<gchar *> props = flatten(properties);
    adapter_.plug();
    gchar *syspath =
        umockdev_testbed_add_devicev(testbed_, "usb", "1-1", nullptr, attrs.data(), props.data());
    if (!syspath)
        return false;
    syspath_ = syspath;
    g_free(syspath);
    std::vector<std::uint8_t> descriptors = sysfsDescriptors();
    umockdev_testbed_set_attribute_binary(testbed_, syspath_.c_str(), "descriptors",
                                          descriptors.data(), int(descriptors.size()));
    if (!makeNodeFile(nodeFile(testbed_, devNode())))
        return false;
    GError *error = nullptr;
    if (!umockdev_testbed_attach_ioctl(testbed_, devNode().c_str(), adapter_.handler(), &error)) {
        std::fprintf(stderr, "usbemu: attach failed: %s\n", error ? error->message : "?");
        if (error)
            g_error_free(error);
        return false;
    }
    return true;
}

void EmulatedBus::unplugAdapter()
{
    if (!testbed_ || !adapterPlugged())
        return;
    // The chip goes first: open handles fail from this moment on.
    adapter_.unplug();
    umockdev_testbed_remove_device(testbed_, syspath_.c_str());
    g_unlink(nodeFile(testbed_, devNode()).c_str());
    syspath_.clear();
}

} // namespace sim::usbemu

// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef UMOCKDEVPRELOAD_H
#define UMOCKDEVPRELOAD_H

namespace sim::usbemu {

// Makes sure this process runs under libumockdev-preload: if it does not,
// the program is started again with the library in LD_PRELOAD (after
// libasan when the program is built with AddressSanitizer, which must come
// first). Returns only in a process that has the preload library.
void ensureUmockdevPreload(char **argv);

bool underUmockdevPreload();

} // namespace sim::usbemu

#endif // UMOCKDEVPRELOAD_H

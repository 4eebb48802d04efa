// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef AUTOREPLY_H
#define AUTOREPLY_H

#include <QByteArray>

#include <cstdint>

// One Auto answer, read once. The adapter hears its own key, so the answer
// starts with the key's echo; the bytes the cycles read are counted from
// the end: the status byte third from last, then the item code or raw value,
// then one byte more. Every answer is untrusted: any length, any bytes.
struct AutoReply {
    // The bytes as they came, the key's echo first.
    static AutoReply parse(const QByteArray &bytes);

    int size = 0;        // bytes received
    int first = -1;      // the echo of the key
    int last = -1;       // during the login: a model code or the acknowledgement
    int status = -1;     // what the ECU shows: an item code, a value, a check
    int shown = -1;      // the item code, or the raw value, it shows
    int speedCount = -1; // a six-byte reading: engine speed in steps of 50 rpm

    // The ECU's short answer to `key` (identify, the acknowledging action):
    // the echo, then two bytes. A late reading's head is no such answer.
    bool answers(std::uint8_t key) const { return size == ShortAnswer && first == key; }
    bool isReading() const { return size == ReadingSize; }
    bool tooShort() const { return size < ShortAnswer; } // not even an answer to a key
    bool showsCode() const { return status == 0x40 || status == 0xC0; }
    bool showsValue() const { return status == 0x00 || status == 0x80; }
    bool showsCheck() const { return status == 0x80 || status == 0xC0; }
    bool acknowledges() const { return last == 0x10 || last == 0x90; }

    static constexpr int ShortAnswer = 3;
    static constexpr int ReadingSize = 6;
};

#endif // AUTOREPLY_H

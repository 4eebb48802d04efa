// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef FUZZECU_H
#define FUZZECU_H

// The far side of a fuzz run: an ECU that answers each request with the
// next reply of the input, and a recorder around a real simulated ECU that
// writes its answers down in the same shape (for the seed corpora).
#include "fuzz/fuzzdriver.h"

#include "sim/virtualcable.h"

#include <algorithm>
#include <cstdint>

namespace fuzzdrive {

// Replies as they stand in the input: a length byte, then the bytes.
class Replies
{
public:
    Replies(const std::uint8_t *data, std::size_t size) : data_(data), size_(size) {}
    bool exhausted() const { return pos_ >= size_; }
    std::vector<std::uint8_t> next()
    {
        if (exhausted())
            return {};
        std::size_t n = data_[pos_++];
        n = std::min(n, size_ - pos_);
        std::vector<std::uint8_t> out(data_ + pos_, data_ + pos_ + n);
        pos_ += n;
        return out;
    }

private:
    const std::uint8_t *data_;
    std::size_t size_;
    std::size_t pos_ = 0;
};

// One request is a key byte (Auto) or a whole frame (KWP: format byte with
// the data length in its low six bits, target, source, data, checksum).
class RequestCounter
{
public:
    explicit RequestCounter(Family family) : family_(family) {}
    bool complete(std::uint8_t byte)
    {
        if (family_ == Family::Auto)
            return true;
        if (seen_ == 0)
            length_ = (byte & 0x3F) + 4;
        if (++seen_ < length_)
            return false;
        seen_ = 0;
        return true;
    }
    void restart() { seen_ = 0; }

private:
    Family family_;
    int seen_ = 0;
    int length_ = 0;
};

class FuzzEcu : public sim::EcuModel
{
public:
    FuzzEcu(Family family, Replies replies) : requests_(family), replies_(replies) {}
    void onByte(sim::VirtualCable &cable, std::uint8_t byte, sim::Nanos heardAt,
                const sim::LineState &) override
    {
        if (requests_.complete(byte) && !replies_.exhausted())
            cable.ecuSend(replies_.next(), heardAt);
    }
    void onDtr(sim::VirtualCable &, bool, sim::Nanos) override { requests_.restart(); }
    bool exhausted() const { return replies_.exhausted(); }

private:
    RequestCounter requests_;
    Replies replies_;
};

// A real simulated ECU whose answers are written down request by request.
class RecordingEcu : public sim::EcuModel
{
public:
    RecordingEcu(Family family, std::shared_ptr<sim::EcuModel> inner)
        : requests_(family), inner_(std::move(inner))
    {
    }
    void onByte(sim::VirtualCable &cable, std::uint8_t byte, sim::Nanos heardAt,
                const sim::LineState &line) override
    {
        inner_->onByte(cable, byte, heardAt, line);
        if (requests_.complete(byte)) {
            replies.push_back(pending);
            pending.clear();
        }
    }
    void onDtr(sim::VirtualCable &cable, bool level, sim::Nanos at) override
    {
        requests_.restart();
        inner_->onDtr(cable, level, at);
    }
    void onBaud(sim::VirtualCable &cable, int baud, sim::Nanos at) override
    {
        inner_->onBaud(cable, baud, at);
    }
    std::vector<std::vector<std::uint8_t>> replies;
    std::vector<std::uint8_t> pending;

private:
    RequestCounter requests_;
    std::shared_ptr<sim::EcuModel> inner_;
};

} // namespace fuzzdrive

#endif // FUZZECU_H

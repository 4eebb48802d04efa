// SPDX-License-Identifier: GPL-3.0-or-later
#include "mechanicbike.h"

#include <cstdint>

namespace mechanic {

namespace {
// Auto: the unknown item 150, item 5 twice, the long ISC check (67) and the
// clear (62) among the actuators.
const std::vector<int> kAutoItems = {1, 5, 6, 0x96, 30, 3, 36, 9, 5, 51, 11, 61, 62, 67, 70, 20};
const std::map<int, int> kAutoRaw = {
    {1, 0x20},  {5, 0x50},  {6, 0x60},  {0x96, 0x33}, {30, 0x02}, {3, 0x43},  {36, 0x03}, {9, 0xb4},
    {51, 0x04}, {11, 0x6e}, {61, 0x0c}, {62, 0x02},   {67, 0x1e}, {70, 0x11}, {20, 0x01},
};

// KWP: the unknown item 160 and item 5 twice, with its own values.
std::vector<sim::KwpItem> kwpItems()
{
    return {{1, 0x24}, {3, 0x30}, {30, 0x07, true}, {0xA0, 0x44}, {5, 0x52}, {36, 0x08, true},
            {6, 0x61}, {5, 0x55}, {51, 0x09, true}, {7, 0x00},    {9, 0xb0}};
}
const std::vector<sim::KwpDtc> kHistory = {{0x0113, 0x20}, {0x0335, 0x20}};
const std::vector<sim::KwpDtc> kCurrent = {{0x0122, 0xA1}};
} // namespace

Bike::Bike(std::mt19937_64 &rng)
{
    sim::AutoEcuConfig a = sim::AutoEcuConfig::vixion();
    a.items = kAutoItems;
    a.raw = kAutoRaw;
    a.staleAfterMove = rng() % 2 == 0;
    a.twoCylinder = rng() % 2 == 0; // the CO window then offers the cylinder box
    auto_ = std::make_shared<sim::AutoEcu>(a);

    sim::KwpEcuConfig k;
    k.items = kwpItems();
    k.history = kHistory;
    k.current = kCurrent;
    k.actuatorMs = 1500;
    k.staleMoveAnswer = rng() % 2 == 0;
    kwp_ = std::make_shared<sim::KwpEcu>(k);
}

void Bike::onByte(sim::VirtualCable &cable, std::uint8_t byte, sim::Nanos heardAt,
                  const sim::LineState &line)
{
    auto_->onByte(cable, byte, heardAt, line);
    kwp_->onByte(cable, byte, heardAt, line);
}

void Bike::onDtr(sim::VirtualCable &cable, bool level, sim::Nanos at)
{
    auto_->onDtr(cable, level, at);
    kwp_->onDtr(cable, level, at);
}

void Bike::onBaud(sim::VirtualCable &cable, int actualBaud, sim::Nanos at)
{
    auto_->onBaud(cable, actualBaud, at);
    kwp_->onBaud(cable, actualBaud, at);
}

QList<int> Bike::tableCodes(Family family) const
{
    QList<int> codes;
    if (family == Family::Auto) {
        for (int code : auto_->items())
            codes << code;
        return codes;
    }
    for (const sim::KwpItem &item : kwp_->config().items)
        codes << item.code;
    return codes << 61 << 62;
}

int Bike::itemRows(Family family) const
{
    return family == Family::Auto ? int(auto_->items().size()) : int(kwp_->config().items.size());
}

bool Bike::isCountRow(Family family, int row) const
{
    return family == Family::Kwp && row >= itemRows(family);
}

QString Bike::rawAt(Family family, int row) const
{
    if (family == Family::Auto)
        return QString::number(auto_->raw(auto_->items().at(std::size_t(row))), 16);
    const sim::KwpEcuConfig &config = kwp_->config();
    const int items = itemRows(family);
    if (row < items)
        return QString::number(config.items.at(std::size_t(row)).raw, 16);
    // The current codes are counted twice by the ECU and halved by the tool.
    return QString::number(row == items ? config.history.size() : config.current.size());
}

void Bike::restoreFaults()
{
    auto_->setRaw(62, kAutoRaw.at(62));
    auto_->setRaw(67, kAutoRaw.at(67));
    kwp_->config().history = kHistory;
    kwp_->config().current = kCurrent;
}

int Bike::ecuSession(Family family)
{
    return family == Family::Auto ? auto_->sessions() : kwp_->wakeUps();
}

} // namespace mechanic

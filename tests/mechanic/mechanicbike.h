// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef MECHANICBIKE_H
#define MECHANICBIKE_H

// The bike of the random mechanic: an Auto and a KWP ECU on one K-line
// (each hears only its own line speed), both with lists that make the tool
// work: an item the catalogue does not know, a code that stands twice,
// actuators among ordinary items; and, as the seed decides, ECUs that show
// the code of a new item one reply late.

#include "sim/autoecu.h"
#include "sim/kwpecu.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <memory>
#include <random>

namespace mechanic {

enum class Family { Auto, Kwp };

class Bike : public sim::EcuModel
{
public:
    explicit Bike(std::mt19937_64 &rng);

    void onByte(sim::VirtualCable &cable, std::uint8_t byte, sim::Nanos heardAt,
                const sim::LineState &line) override;
    void onDtr(sim::VirtualCable &cable, bool level, sim::Nanos at) override;
    void onBaud(sim::VirtualCable &cable, int actualBaud, sim::Nanos at) override;

    sim::AutoEcu &autoEcu() { return *auto_; }
    sim::KwpEcu &kwpEcu() { return *kwp_; }

    // The codes of a family's complete table, as decimal texts: the Auto
    // list, or the KWP list followed by the fault-code rows 61 and 62.
    QList<int> tableCodes(Family family) const;
    // The rows of that table the ECU's pointer can stand on.
    int itemRows(Family family) const;
    // What a row of that table holds now: an item's raw value as the ECU
    // sends it (hexadecimal), or a fault-code row's count (decimal).
    QString rawAt(Family family, int row) const;
    bool isCountRow(Family family, int row) const;
    // Puts back the stored fault codes a clear has erased.
    void restoreFaults();
    // The ECU's session count: which login an act belongs to.
    int ecuSession(Family family);

private:
    std::shared_ptr<sim::AutoEcu> auto_;
    std::shared_ptr<sim::KwpEcu> kwp_;
};

} // namespace mechanic

#endif // MECHANICBIKE_H

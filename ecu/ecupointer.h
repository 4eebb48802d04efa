// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef ECUPOINTER_H
#define ECUPOINTER_H

#include <QList>

// Where the ECU's item pointer stands, as a table row: the one place that
// knows. Row r of the table is the item r steps from item 1, so every move
// sent is booked here, and every item code the ECU reports either confirms
// the row or puts it right. Values and actuator checks go only to a row the
// ECU itself has confirmed since the last move.
class EcuPointer
{
public:
    EcuPointer() = default;
    // Where an earlier session left it, unconfirmed.
    explicit EcuPointer(int row) : row_(row) {}

    int row() const { return row_; }
    bool confirmed() const { return confirmed_; }
    // The ECU has said, since the last move, that it stands on `row`.
    bool standsOn(int row) const { return confirmed_ && row_ == row; }

    // A session starts on item 1, row 0, which the ECU has just reported.
    void startOnFirstRow();
    // No table, no session: nothing is known of where the ECU stands.
    void forget();
    // The table went: the first row again, unconfirmed.
    void reset()
    {
        forget();
        row_ = 0;
    }
    // A move was sent: -1 (down) or +1 (up).
    void moved(int delta);

    enum class Report {
        Confirms, // the ECU stands where the pointer says
        Corrects, // it stands on another row with that code: the pointer follows
        Stale,    // first report after a move names the item left: not trusted yet
        Unknown,  // a code no row has: the table is not this ECU's list
    };
    // The ECU reports item `code`; the pointer can stand on the first
    // `rows` rows of the table, whose codes `codes` holds.
    Report reported(int code, const QList<int> &codes, int rows);

private:
    int row_ = 0;
    bool confirmed_ = false;
    bool fresh_ = false; // a move was sent and no report has come since
};

#endif // ECUPOINTER_H

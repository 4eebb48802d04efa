// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef TST_AUTOBENCH_H
#define TST_AUTOBENCH_H

// Shared steps of the Auto suites: a simulated Auto bike on the cable, a
// window that logs into it, and ways to look at both.

#include "support/mainwindowprobe.h"
#include "support/simsupport.h"

#include "sim/autoecu.h"
#include "ui/cowindow.h"

#include <QApplication>
#include <QComboBox>
#include <QLCDNumber>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <memory>

namespace autobench {

constexpr std::uint8_t kIdentify = AutoKey::Identify;
constexpr std::uint8_t kHold = AutoKey::Hold;
constexpr std::uint8_t kUp = AutoKey::Up;
constexpr std::uint8_t kDown = AutoKey::Down;
constexpr std::uint8_t kAction = AutoKey::Action;
constexpr int kCeiling = 30000; // generous: a loaded two-core machine

inline void resetCable()
{
    sim::VirtualCable::instance().reset();
}

inline std::shared_ptr<sim::AutoEcu> seat(sim::AutoEcuConfig config = sim::AutoEcuConfig::vixion())
{
    auto ecu = std::make_shared<sim::AutoEcu>(std::move(config));
    sim::VirtualCable::instance().seat(ecu);
    return ecu;
}

inline QStringList column(const MainWindowProbe &probe, int col)
{
    QStringList out;
    for (int row = 0; row < probe.table()->rowCount(); ++row)
        out << probe.cell(row, col);
    return out;
}

inline QList<int> codesOf(const std::vector<int> &codes)
{
    return QList<int>(codes.begin(), codes.end());
}

// The same codes as the Code column shows them.
inline QStringList textsOf(const std::vector<int> &codes)
{
    QStringList out;
    for (int c : codes)
        out << QString::number(c);
    return out;
}

inline bool sessionWithRows(MainWindowProbe &probe, int rows, int timeoutMs = kCeiling)
{
    return waitUntil([&] {
        return probe.sessionState() == SessionState::Up && probe.table()->rowCount() == rows;
    }, timeoutMs);
}

inline int rowOf(MainWindowProbe &probe, int code)
{
    return probe.rowCodes().indexOf(code);
}

inline std::size_t sentCount()
{
    return sim::VirtualCable::instance().transmitted().size();
}

inline std::vector<std::uint8_t> sentSince(std::size_t from)
{
    const std::vector<std::uint8_t> all = sentBytes();
    return from < all.size() ? std::vector<std::uint8_t>(all.begin() + long(from), all.end())
                             : std::vector<std::uint8_t>();
}

inline int countOf(const std::vector<std::uint8_t> &bytes, std::uint8_t value)
{
    return int(std::count(bytes.begin(), bytes.end(), value));
}

inline std::vector<std::uint8_t> repeat(std::uint8_t key, int n)
{
    return std::vector<std::uint8_t>(std::size_t(n), key);
}

inline std::vector<std::uint8_t> join(std::initializer_list<std::vector<std::uint8_t>> parts)
{
    std::vector<std::uint8_t> out;
    for (const auto &p : parts)
        out.insert(out.end(), p.begin(), p.end());
    return out;
}

inline QString hex(const std::vector<std::uint8_t> &bytes)
{
    QStringList out;
    for (std::uint8_t b : bytes)
        out << QString::number(b, 16);
    return out.join(' ');
}

// Index of the first `value` at or after `from`, or -1.
inline int find(const std::vector<std::uint8_t> &bytes, std::uint8_t value, std::size_t from = 0)
{
    for (std::size_t i = from; i < bytes.size(); ++i)
        if (bytes[i] == value)
            return int(i);
    return -1;
}

// Clicks a row and waits until the ECU stands on it and its value is read.
inline bool selectAndRead(MainWindowProbe &probe, sim::AutoEcu &ecu, int code,
                          int timeoutMs = kCeiling)
{
    const int row = rowOf(probe, code);
    if (row < 0)
        return false;
    probe.clickRow(row);
    return waitUntil([&] {
        return !probe.selectionPending() && ecu.currentCode() == code
               && !probe.cell(row, 3).isEmpty();
    }, timeoutMs);
}

// The CO dialog is modal: `body` runs inside its event loop and returns an
// error text (empty when all held); the dialog is closed afterwards.
inline QString inCoWindow(MainWindowProbe &probe, const std::function<QString()> &body)
{
    QString error = "CO window never opened";
    QTimer::singleShot(0, [&] {
        error = body();
        probe.coWindow()->done(0);
    });
    probe.coButton()->click();
    return error;
}

inline QLCDNumber *lcd(MainWindowProbe &probe)
{
    return probe.coWindow()->findChild<QLCDNumber *>("lcdNumber_rpm");
}
inline QLabel *coLabel(MainWindowProbe &probe)
{
    return probe.coWindow()->findChild<QLabel *>("label_co");
}
inline QComboBox *cylBox(MainWindowProbe &probe)
{
    return probe.coWindow()->findChild<QComboBox *>("comboBox_cyl");
}
inline QPushButton *coButton(MainWindowProbe &probe, const char *name)
{
    return probe.coWindow()->findChild<QPushButton *>(name);
}

} // namespace autobench

#define CHECK_OR_RETURN(cond, text)                                                                \
    do {                                                                                           \
        if (!(cond))                                                                               \
            return QString("%1 (line %2)").arg(text).arg(__LINE__);                                \
    } while (0)

#endif // TST_AUTOBENCH_H

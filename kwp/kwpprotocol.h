// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef KWPPROTOCOL_H
#define KWPPROTOCOL_H

// The KWP family's line speed, waits and login sequences. The frames
// themselves are in ecu/linebytes.h.

#include "ecu/linebytes.h"

namespace KwpProtocol {

constexpr int Baud = 10400;
constexpr int AnswerWaitMs = 110;
constexpr int SecondReadMs = 50;
constexpr int BeforeLoginMs = 500;
constexpr int AfterPulseMs = 25;
constexpr int SearchUpWaitMs = 100;
constexpr int PollMs = 110;
constexpr int LostMs = 1000; // after the ECU went quiet
// The wake-up pulse: tried from 25 ms down to 20 ms, then 25 again.
constexpr int LongestPulseMs = 25;
constexpr int ShortestPulseMs = 20;
// A lone Up or Down key of the CO window goes out this long before the
// reading, so that the ECU takes it for noise and not as the start of a frame.
constexpr int KeyPauseMs = 25;

constexpr KwpFrame LoginSequence[] = {
    KwpFrames::StartComm,    KwpFrames::StartSession, KwpFrames::ReadLocalIdFE,
    KwpFrames::StartSession, KwpFrames::RoutineCE20,  KwpFrames::Hold,
    KwpFrames::Action,       KwpFrames::Hold,
};

constexpr KwpFrame CoLoginSequence[] = {
    KwpFrames::StartComm,    KwpFrames::StartSession, KwpFrames::ReadLocalIdFE,
    KwpFrames::StartSession, KwpFrames::RoutineCE20,  KwpFrames::Hold,
    KwpFrames::Up,           KwpFrames::Hold,         KwpFrames::Action,
    KwpFrames::Hold,         KwpFrames::Up,           KwpFrames::Hold,
    KwpFrames::Up,           KwpFrames::Hold,         KwpFrames::Action,
    KwpFrames::Hold,
};

} // namespace KwpProtocol

#endif // KWPPROTOCOL_H

// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef PACING_H
#define PACING_H

// How often the session engine does things: connection attempts and the
// poll timer. The waits inside a protocol's exchange, and the KWP cycles'
// own pace, belong to that protocol (AutoProtocol, KwpProtocol).
namespace Pacing {

constexpr int FirstConnectMs = 500;
constexpr int RetryConnectMs = 3000;
constexpr int ReconnectMs = 500;
constexpr int AutoPollMs = 30;  // the Auto cycles, and every cycle's first tick
constexpr int CoKeyPollMs = 50; // after an Up or Down key

} // namespace Pacing

#endif // PACING_H

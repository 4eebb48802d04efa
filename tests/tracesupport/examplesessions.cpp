// SPDX-License-Identifier: GPL-3.0-or-later
#include "examplesessions.h"

#include "link/usbserial.h"

namespace {

QByteArray hex(const char *text)
{
    return QByteArray::fromHex(text);
}

// Auto replies are what the ECU adds after the echo of the key.
void scriptAuto(ScriptedEcu &ecu)
{
    ecu.on(hex("FE"), {hex("0000")}); // model 0: vixion
    ecu.on(hex("CE"), {hex("0010")}); // login acknowledged
    ecu.on(hex("CA"), {hex("0000400100"), hex("0000005000"), hex("0000805200"), hex("0000005a00"),
                       hex("0000005b00"), QByteArray()});
    ecu.on(hex("CB"), {hex("0000400500")});
    ecu.on(hex("CC"), {hex("0000400100")});
}

void scriptKwp(ScriptedEcu &ecu)
{
    ecu.on(hex("C133F08165"), {kwpFrame(hex("83F010C1EF8F"))});
    ecu.on(hex("8210F0108315"), {kwpFrame(hex("82F0105083"))});
    ecu.on(hex("8210F021FEA1"), {kwpFrame(hex("83F01061FE01"))});
    ecu.on(hex("8410F03170CE2013"), {kwpFrame(hex("82F0107170"))});
    ecu.on(kwpHold(), {kwpFrame(hex("87F0107170D001500000")), kwpFrame(hex("87F0107170D101520000")),
                       kwpFrame(hex("87F0107170D0055b0000"))});
    ecu.on(kwpUp(), {kwpFrame(hex("87F0107170D0055a0000"))});
    ecu.on(hex("C133F03E22"), {kwpFrame(hex("81F0107E"))});
    ecu.on(hex("8410F01820FFFFBA"), {kwpFrame(hex("85F0105801012320"))});
    ecu.on(hex("8410F018A1FFFF3B"), {hex("84F01058000000")}); // checksum missing: a cut frame
    ecu.on(hex("8410F014FFFFFF95"), {kwpFrame(hex("83F0107F1422"))});
}

} // namespace

QByteArray kwpHold()
{
    return QByteArray::fromHex("8310F03170CAEE");
}
QByteArray kwpUp()
{
    return QByteArray::fromHex("8310F03170CBEF");
}

ExampleSession autoExample()
{
    ExampleSession s{"auto", std::make_shared<ScriptedEcu>(ScriptedEcu::Framing::SingleByte), {}};
    scriptAuto(*s.ecu);
    s.steps = {key(0xFE, 10), key(0xCE, 10), key(0xCA, 50),   key(0xCA, 50),
               key(0xCA, 50), key(0xCB, 50), key(0xCA, 50),   key(0xCA, 50),
               key(0xCC, 50), key(0xCA, 50), failNextWrite(), key(0xCA, 50)};
    return s;
}

ExampleSession kwpExample()
{
    ExampleSession s{"kwp", std::make_shared<ScriptedEcu>(ScriptedEcu::Framing::Kwp), {}};
    scriptKwp(*s.ecu);
    s.steps = {baud(10400),
               dtr(0, 25),
               dtr(1, 0),
               frame(hex("C133F08165")),
               frame(hex("8210F0108315")),
               frame(hex("8210F021FEA1")),
               frame(hex("8410F03170CE2013")),
               frame(kwpHold()),
               frame(kwpHold()),
               frame(kwpUp(), 100),
               frame(kwpHold()),
               frame(hex("C133F03E22")),
               frame(hex("8410F01820FFFFBA")),
               frame(hex("8410F018A1FFFF3B")),
               frame(hex("8410F014FFFFFF95"))};
    return s;
}

QStringList playSession(const ExampleSession &s, const std::function<void(int)> &wait,
                        std::shared_ptr<sim::EcuModel> ecu, bool failFirstOpen)
{
    sim::VirtualCable &cable = sim::VirtualCable::instance();
    cable.reset();
    cable.seat(ecu ? ecu : s.ecu);
    UsbSerial link;
    if (failFirstOpen) {
        cable.listedDevices()[1].stringsFail = true;
        cable.failOpen(true);
        link.Connect();
        cable.failOpen(false);
    }
    link.Connect();
    link.writeDataBit(1);
    const QStringList replies = runSteps(link, s.steps, wait);
    link.Disconnect();
    return replies;
}

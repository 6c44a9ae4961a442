#pragma once
// A serial port opened with the Windows communications API.
//
// QSerialPort waits for received bytes with WaitCommEvent, which Wine cannot serve on
// a pseudo-terminal (its wait thread asks the device for modem lines a pty does not
// have, and ends without ever signalling): under Wine it writes and never reads. This
// device reads with overlapped ReadFile calls on a thread of its own and hands the
// bytes to the window's thread with readyRead, on Wine and on Windows alike.

#include "link/mscomm.h"
#include "base/erro.h"

#include <QIODevice>
#include <QString>
#include <memory>

namespace vantora {

// The run-time error for a port that would not open, from the Windows error of
// CreateFile: 8002 for a name that names no device, 8005 for a port another program
// holds (COM ports are opened exclusively: a second opening is refused), 8010 for
// the rest, with the system's text.
[[nodiscard]] ErroExecucao erro_de_abertura_windows(unsigned long erro, const QString& texto);

// Opens "COM7" (or a name under \\.\) at the line settings given. The device reports
// a hang-up or a pulled adapter once, with readChannelFinished. Throws ErroExecucao.
[[nodiscard]] std::unique_ptr<QIODevice> abre_porta_windows(const QString& nome, const ParametrosSerial& p);

// Whether the system knows a device by this name now ("COM7").
[[nodiscard]] bool porta_windows_presente(const QString& nome);

} // namespace vantora

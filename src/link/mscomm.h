#pragma once
// The serial control MSComm1: the properties and the event the window drives, under
// their own names, over a port reached through the AberturaPortas seam.
//
// All of it lives on the window's thread: the device reports received bytes with
// readyRead, and OnComm is raised once for each byte, while the window processes
// events (also inside the pauses of the programming exchange).

#include <QByteArray>
#include <QIODevice>
#include <QObject>
#include <QString>
#include <cstdint>
#include <memory>

namespace vantora {

// Error numbers of the serial control.
enum NumeroErroSerial : int {
    ERRO_PERMISSAO = 70,         // the user may not open the device
    ERRO_SERIAL_HARDWARE = 8010, // the device refused the opening
    ERRO_SERIAL_ESTADO = 8015,   // the device refused the line settings
    ERRO_SERIAL_ESCRITA = 8020,  // a write failed
};

// Event codes of CommEvent.
inline constexpr int comEvReceive = 2;
// The device went away while open (an adapter pulled out, the other end hung up).
// The control is closed already when this is raised.
inline constexpr int comEventPortaPerdida = 1012;

// The line the keyboard speaks: no parity, 8 data bits, 1 stop bit, at one of two
// speeds.
struct ParametrosSerial {
    int velocidade = 9600;
};

// Reads "9600,N,8,1" or "57600,N,8,1" (letters in any case). Throws error 380 for
// anything else.
[[nodiscard]] ParametrosSerial le_parametros(const QString& texto);

// Seam: opens a serial port by its number. The real one resolves the number through
// the port inventory and opens a QSerialPort; tests use pseudo-terminals or fakes.
class AberturaPortas {
  public:
    virtual ~AberturaPortas() = default;
    // Returns an open device, or throws ErroExecucao: 8002 for a number that names no
    // port, 8005 for a port held by another program, another number for the rest.
    [[nodiscard]] virtual std::unique_ptr<QIODevice> abre(int numero, const ParametrosSerial& parametros) = 0;
};

class MSComm : public QObject {
    Q_OBJECT
  public:
    explicit MSComm(AberturaPortas* abertura, QObject* pai = nullptr);
    ~MSComm() override;

    [[nodiscard]] std::int16_t CommPort() const { return commPort_; }
    // Error 8005 while open; 8002 for a number below 1.
    void setCommPort(std::int16_t porta);
    [[nodiscard]] QString Settings() const { return settings_; }
    // Error 380 for a text that is no settings string. May be set while open: the
    // new line settings apply when the port is next opened.
    void setSettings(const QString& texto);

    [[nodiscard]] bool PortOpen() const { return dispositivo_ != nullptr; }
    // Opening: error 8005 when already open or held by another program, 8002 for a
    // port that does not exist, other numbers from the device. Closing a closed port
    // does nothing.
    void setPortOpen(bool abrir);

    // Throws away what was received and not read and what waits to be sent (error
    // 8018 while closed), and from then on raises one event for each byte received,
    // which Input() takes: the line as an exchange wants it after the opening.
    void descarta_e_recebe_por_byte();

    // Sends the bytes as they are (each character of the text is one byte 0..255).
    // Error 8018 while closed, 8020 when the device refuses the write.
    void setOutput(const QByteArray& bytes);
    // Takes the next received byte (after descarta_e_recebe_por_byte(), all of them
    // before); empty when none waits.
    [[nodiscard]] QByteArray Input();
    [[nodiscard]] int CommEvent() const { return commEvent_; }

    // True once the open device went away, until the next opening.
    [[nodiscard]] bool PortaPerdida() const { return perdida_; }

  signals:
    // Raised for each received byte (CommEvent 2) and once when the device is lost
    // (comEventPortaPerdida).
    void OnComm();

  private:
    void recebe();
    void perde(const QString& motivo);
    void fecha();

    AberturaPortas* abertura_;
    std::unique_ptr<QIODevice> dispositivo_;
    QByteArray entrada_;
    std::int16_t commPort_ = 1;
    QString settings_ = QStringLiteral("9600,N,8,1");
    bool por_byte_ = false;
    int commEvent_ = 0;
    bool perdida_ = false;
};

} // namespace vantora

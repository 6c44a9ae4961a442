#pragma once
// The serial ports of the machine: the inventory seam, the COM numbering that makes
// the stored port setting keep its meaning, and the port list of module Mdl_Serial.

#include "base/erro.h"
#include "link/mscomm.h"

#include <QList>
#include <QString>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace vantora {

// One serial device as the inventory reports it.
struct DispositivoSerial {
    QString nome;    // "FT232R USB UART /dev/ttyUSB0 (COM33)"
    QString id;      // the system location ("/dev/ttyUSB0"), as given, not escaped
    QString caminho; // what opens it
    int numero = 0;  // the COM number in the name
};

// Seam: the machine's device inventory.
class InventarioPortas {
  public:
    virtual ~InventarioPortas() = default;
    // The serial devices present, in the inventory's order. May throw ErroExecucao.
    [[nodiscard]] virtual QList<DispositivoSerial> lista() = 0;
    // What the last lista() had to leave out, one line each, for the operator.
    [[nodiscard]] virtual QStringList avisos() const { return {}; }
    // What opens the port of this COM number (the last device listed with it wins),
    // empty when none has it.
    [[nodiscard]] QString caminho(int numero);
    // Name of the device with this identifier (the last listed), empty when it is not present.
    [[nodiscard]] QString nome_por_id(const QString& id);
};

// The COM numbering every port list and message uses: COM1 to COM32767.
inline constexpr int MAIOR_NUMERO_COM = 32767;
// The number a port text gives: "COM33" (any letter case; without the prefix when
// `prefixo` is false) or "33", blanks around it ignored, is 33; 0 for a text of
// neither form; -1 for a number outside 1..MAIOR_NUMERO_COM.
[[nodiscard]] int numero_com(const QString& texto, bool prefixo = true);
// "COM33".
[[nodiscard]] QString nome_com(int numero);

// COM number of a Linux serial device by its path: /dev/ttyS0-31 are 1-32,
// /dev/ttyUSB0-31 33-64, /dev/ttyACM0-31 65-96; nothing for any other.
[[nodiscard]] std::optional<int> numero_fixo_linux(const QString& caminho);

// Numbers for a set of Linux device paths: the fixed ones, then COM97 upward for
// the others in the order of their paths (ttyS2 before ttyS10).
[[nodiscard]] std::vector<int> numera_linux(const QStringList& caminhos);

// Whether the device is there now: a Linux device path, or on Windows a device name
// ("COM7").
[[nodiscard]] bool dispositivo_presente(const QString& caminho);

// Ports named in VANTORA_EXTRA_PORTS: "NUMBER=PATH;NUMBER=PATH" (on Windows
// "NUMBER=COMn"). Entries without a number from 1 to 32767 or without a path are
// left out, and `avisos` gets a line for each; so does a number given again (the
// entry is kept: the first one given is the one the port list takes).
struct PortaExtra {
    int numero = 0;
    QString caminho;
};
[[nodiscard]] QList<PortaExtra> le_portas_extras(const QString& texto, QStringList* avisos = nullptr);

// The system's devices followed by the extra ports; an extra port whose number is
// already listed (by the system or an earlier extra port) is left out, and `avisos`
// gets a line saying so.
[[nodiscard]] QList<DispositivoSerial> junta_extras(QList<DispositivoSerial> sistema,
                                                    const QList<PortaExtra>& extras, QStringList& avisos);

// The run-time error for a port that would not open: the Qt error, the path opened,
// Qt's text for it and whether the device may be written (asked only for Linux
// device paths). A permission error means another program holds the port (8005),
// except on a Linux device the user may not write to (70, not in the dialout group);
// on Windows ("COM3") it is always 8005.
[[nodiscard]] ErroExecucao erro_de_abertura(int erroQt, const QString& caminho, const QString& texto,
                                            const std::function<bool(const QString&)>& gravavel);

// The inventory of this machine (Qt's serial port list: on Windows the ports the
// system registers under HARDWARE\DEVICEMAP\SERIALCOMM) plus the ports of
// VANTORA_EXTRA_PORTS that are present, listed after them as "Porta virtual PATH (COMn)".
[[nodiscard]] std::unique_ptr<InventarioPortas> criaInventarioSistema();

// Seam implementation that opens ports with QSerialPort (on Windows with the system's
// serial API, see porta_windows.h), finding the device of a COM number through the
// inventory.
class AberturaPortasQt : public AberturaPortas {
  public:
    explicit AberturaPortasQt(InventarioPortas& inventario) : inventario_(inventario) {}
    [[nodiscard]] std::unique_ptr<QIODevice> abre(int numero, const ParametrosSerial& parametros) override;

  private:
    InventarioPortas& inventario_;
};

// --- Module Mdl_Serial ---

struct Info_Porta {
    QString Nome;
    QString Numero;
    QString Id_Dispositivo;
};

class Mdl_Serial {
  public:
    explicit Mdl_Serial(InventarioPortas* inventario = nullptr) : inventario_(inventario) {}
    void defineInventario(InventarioPortas* inventario) { inventario_ = inventario; }

    // Rebuilds the list from the inventory; an inventory failure reaches the caller
    // with the entries added before it kept.
    void Busca_Portas();
    // True when the device with this identifier is present; any failure gives false.
    [[nodiscard]] bool Porta_Presente(const QString& id) const;

    // Entry 0 is never used; entries 1..Qtd_Portas are the ports found.
    std::vector<Info_Porta> Lista_Portas{Info_Porta{}};
    std::int16_t Qtd_Portas = 0;

  private:
    InventarioPortas* inventario_;
};

} // namespace vantora

#include "link/portas.h"

#include "base/erro.h"

#ifdef Q_OS_WIN
#include "link/porta_windows.h"
#else
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#endif

#include <QFileInfo>
#include <QRegularExpression>
#include <QSerialPort>
#include <QSerialPortInfo>

#include <algorithm>
#include <future>
#include <mutex>
#include <optional>

namespace vantora {

QString InventarioPortas::caminho(int numero) {
    QString r;
    for (const DispositivoSerial& d : lista()) {
        if (d.numero == numero) r = d.caminho;
    }
    return r;
}

QString InventarioPortas::nome_por_id(const QString& id) {
    QString nome;
    for (const DispositivoSerial& d : lista()) {
        if (d.id == id) nome = d.nome;
    }
    return nome;
}

bool dispositivo_presente(const QString& caminho) {
#ifdef Q_OS_WIN
    return porta_windows_presente(caminho);
#else
    return QFileInfo::exists(caminho);
#endif
}

int numero_com(const QString& texto, bool prefixo) {
    static const QRegularExpression com(QStringLiteral("^(?:COM)?([0-9]+)$"), QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression so_numero(QStringLiteral("^([0-9]+)$"));
    const auto m = (prefixo ? com : so_numero).match(texto.trimmed());
    if (!m.hasMatch()) return 0;
    bool ok = false;
    const int n = m.captured(1).toInt(&ok);
    return ok && n >= 1 && n <= MAIOR_NUMERO_COM ? n : -1;
}

QString nome_com(int numero) {
    return QStringLiteral("COM%1").arg(numero);
}

std::optional<int> numero_fixo_linux(const QString& caminho) {
    static const QRegularExpression re(QStringLiteral("^/dev/tty(S|USB|ACM)([0-9]{1,2})$"));
    const auto m = re.match(caminho);
    if (!m.hasMatch()) return std::nullopt;
    const int n = m.captured(2).toInt();
    if (n > 31 || (m.captured(2).size() > 1 && m.captured(2).startsWith(QLatin1Char('0'))))
        return std::nullopt;
    const QString tipo = m.captured(1);
    const int base = tipo == QLatin1String("S") ? 1 : tipo == QLatin1String("USB") ? 33 : 65;
    return base + n;
}

namespace {

// Orders device paths so that a trailing number counts as a number.
bool antes(const QString& a, const QString& b) {
    const auto partes = [](const QString& s) {
        int i = int(s.size());
        while (i > 0 && s.at(i - 1).isDigit())
            --i;
        const QString cauda = s.mid(i);
        return std::make_tuple(s.left(i), cauda.size(), cauda);
    };
    const auto pa = partes(a);
    const auto pb = partes(b);
    if (pa != pb) return pa < pb;
    return a < b;
}

} // namespace

std::vector<int> numera_linux(const QStringList& caminhos) {
    std::vector<int> numeros(size_t(caminhos.size()), 0);
    std::vector<int> outros;
    for (int i = 0; i < caminhos.size(); ++i) {
        if (const auto n = numero_fixo_linux(caminhos[i]))
            numeros[size_t(i)] = *n;
        else
            outros.push_back(i);
    }
    std::sort(outros.begin(), outros.end(), [&](int a, int b) { return antes(caminhos[a], caminhos[b]); });
    int proximo = 97;
    for (int i : outros)
        numeros[size_t(i)] = proximo++;
    return numeros;
}

QList<PortaExtra> le_portas_extras(const QString& texto, QStringList* avisos) {
    QList<PortaExtra> r;
    for (const QString& entrada : texto.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        if (entrada.trimmed().isEmpty()) continue;
        const qsizetype igual = entrada.indexOf(QLatin1Char('='));
        const int n = igual < 0 ? 0 : numero_com(entrada.left(igual), false);
        const QString caminho = igual < 0 ? QString() : entrada.mid(igual + 1).trimmed();
        if (n <= 0 || caminho.isEmpty()) {
            if (avisos)
                *avisos << QStringLiteral(
                               "A entrada \"%1\" de VANTORA_EXTRA_PORTS foi ignorada: cada entrada é "
                               "NÚMERO=CAMINHO, com um número de 1 a 32767.")
                               .arg(entrada.trimmed());
            continue;
        }
        const auto antes =
            std::find_if(r.cbegin(), r.cend(), [n](const PortaExtra& e) { return e.numero == n; });
        if (antes != r.cend() && avisos)
            *avisos << QStringLiteral(
                           "A porta extra %1 (VANTORA_EXTRA_PORTS) foi ignorada: o número COM%2 já "
                           "foi dado a %3. Escolha outro número para ela.")
                           .arg(caminho)
                           .arg(n)
                           .arg(antes->caminho);
        r.append({n, caminho});
    }
    return r;
}

QList<DispositivoSerial> junta_extras(QList<DispositivoSerial> sistema, const QList<PortaExtra>& extras,
                                      QStringList& avisos) {
    for (const PortaExtra& e : extras) {
        const auto dono = std::find_if(sistema.cbegin(), sistema.cend(),
                                       [&](const DispositivoSerial& d) { return d.numero == e.numero; });
        if (dono != sistema.cend()) {
            // Two devices under one number: the one opened would not be the one chosen.
            avisos << QStringLiteral("A porta extra %1 (VANTORA_EXTRA_PORTS) foi ignorada: o número COM%2 já "
                                     "pertence à %3. Escolha outro número para ela.")
                          .arg(e.caminho)
                          .arg(e.numero)
                          .arg(dono->nome);
            continue;
        }
        sistema.append({QStringLiteral("Porta virtual %1 (COM%2)").arg(e.caminho).arg(e.numero), e.caminho,
                        e.caminho, e.numero});
    }
    return sistema;
}

ErroExecucao erro_de_abertura(int erroQt, const QString& caminho, const QString& texto,
                              const std::function<bool(const QString&)>& gravavel) {
    switch (erroQt) {
    // Another program holds the port: Qt finds its lock file (PermissionError) or the
    // device is opened exclusively (ResourceBusy on some systems).
    case QSerialPort::PermissionError:
        // On Linux told apart from a user without the right to the device (not in the
        // dialout group): error 70. A Windows name ("COM3") is no file to ask about.
        if (caminho.startsWith(QLatin1Char('/')) && !gravavel(caminho))
            return ErroExecucao(ERRO_PERMISSAO, "Permissão negada");
        return ErroExecucao(ERRO_PORTA_ABERTA, texto.toStdString());
    case QSerialPort::DeviceNotFoundError:
        return ErroExecucao(ERRO_PORTA_INVALIDA, texto.toStdString());
    default:
        return ErroExecucao(ERRO_SERIAL_HARDWARE, texto.toStdString());
    }
}

namespace {

class InventarioSistema : public InventarioPortas {
  public:
    // The system's list takes a while (on Linux it walks the device database): the
    // first one is asked for at once, in the background, so that the search at
    // start-up finds it ready while the window is being built.
    InventarioSistema()
        : primeira_(std::async(std::launch::async, [] { return QSerialPortInfo::availablePorts(); })) {}

    QList<DispositivoSerial> lista() override {
        QList<DispositivoSerial> r;
        // The port watch asks from a thread of its own while the window may ask too.
        std::optional<QList<QSerialPortInfo>> primeira;
        {
            const std::lock_guard<std::mutex> trava(mutex_);
            if (primeira_.valid()) primeira = primeira_.get();
        }
        const QList<QSerialPortInfo> portas = primeira ? *primeira : QSerialPortInfo::availablePorts();
#ifdef Q_OS_WIN
        // The system's own numbers: COM3 is 3.
        for (const QSerialPortInfo& p : portas) {
            bool ok = false;
            const int n = p.portName().mid(3).toInt(&ok);
            if (!p.portName().startsWith(QLatin1String("COM")) || !ok) continue;
            const QString desc = p.description().isEmpty() ? QStringLiteral("Porta serial") : p.description();
            r.append({desc + QStringLiteral(" (COM%1)").arg(n), p.systemLocation(), p.portName(), n});
        }
#else
        QStringList caminhos;
        for (const QSerialPortInfo& p : portas)
            caminhos << p.systemLocation();
        const std::vector<int> numeros = numera_linux(caminhos);
        for (int i = 0; i < portas.size(); ++i) {
            const QSerialPortInfo& p = portas[i];
            const QString desc = p.description().isEmpty() ? QStringLiteral("Porta serial") : p.description();
            const int n = numeros[size_t(i)];
            r.append({desc + QLatin1Char(' ') + p.systemLocation() + QStringLiteral(" (COM%1)").arg(n),
                      p.systemLocation(), p.systemLocation(), n});
        }
        std::stable_sort(r.begin(), r.end(), [](const DispositivoSerial& a, const DispositivoSerial& b) {
            return a.numero < b.numero;
        });
#endif
        QStringList avisos;
        QList<PortaExtra> extras;
        QList<int> dados;
        for (const PortaExtra& e : le_portas_extras(qEnvironmentVariable("VANTORA_EXTRA_PORTS"), &avisos)) {
            // A number given twice keeps its first path, present or not.
            if (!dados.contains(e.numero) && dispositivo_presente(e.caminho)) extras.append(e);
            dados.append(e.numero);
        }
        r = junta_extras(std::move(r), extras, avisos);
        const std::lock_guard<std::mutex> trava(mutex_);
        avisos_ = avisos;
        return r;
    }

    QStringList avisos() const override {
        const std::lock_guard<std::mutex> trava(mutex_);
        return avisos_;
    }

  private:
    mutable std::mutex mutex_; // guards primeira_ and avisos_
    std::future<QList<QSerialPortInfo>> primeira_;
    QStringList avisos_;
};

} // namespace

std::unique_ptr<InventarioPortas> criaInventarioSistema() {
    return std::make_unique<InventarioSistema>();
}

std::unique_ptr<QIODevice> AberturaPortasQt::abre(int numero, const ParametrosSerial& p) {
    const QString caminho = inventario_.caminho(numero);
    if (caminho.isEmpty()) throw ErroExecucao(ERRO_PORTA_INVALIDA);
#ifdef Q_OS_WIN
    return abre_porta_windows(caminho, p);
#else
    // Qt's lock file goes by the name the port is opened by, and root passes the
    // exclusive opening: one device reached by two names (/dev/ttyUSB0 and a link to
    // it) would be opened twice. The device itself is locked too, on a descriptor of
    // its own taken before Qt sets the line up (a second opening must not change the
    // speed under the first one), and let go when the port closes. A device that
    // cannot be opened or locked here is left to Qt's opening, as before.
    auto porta = std::make_unique<QSerialPort>(caminho);
    const int fd = ::open(QFile::encodeName(caminho).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd >= 0) {
        std::shared_ptr<int> trava(new int(fd), [](int* f) {
            if (*f >= 0) ::close(*f);
            delete f;
        });
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK)
            throw ErroExecucao(ERRO_PORTA_ABERTA, QStringLiteral("A porta %1 já está aberta").arg(caminho).toStdString());
        QObject::connect(porta.get(), &QIODevice::aboutToClose, porta.get(), [trava] {
            if (*trava >= 0) ::close(*trava);
            *trava = -1;
        });
    }
    if (!porta->open(QIODevice::ReadWrite))
        throw erro_de_abertura(porta->error(), caminho, porta->errorString(),
                               [](const QString& c) { return QFileInfo(c).isWritable(); });
    const bool ok = porta->setBaudRate(p.velocidade) && porta->setDataBits(QSerialPort::Data8) &&
                    porta->setParity(QSerialPort::NoParity) && porta->setStopBits(QSerialPort::OneStop) &&
                    porta->setFlowControl(QSerialPort::NoFlowControl);
    if (!ok) {
        const QString motivo = porta->errorString();
        porta->close();
        throw ErroExecucao(ERRO_SERIAL_ESTADO, motivo.toStdString());
    }
    return porta;
#endif
}

// --- Mdl_Serial ---

void Mdl_Serial::Busca_Portas() {
    Qtd_Portas = 0;
    Lista_Portas.assign(1, Info_Porta{});
    if (!inventario_) return;
    for (const DispositivoSerial& d : inventario_->lista()) {
        Lista_Portas.push_back({d.nome, QString::number(d.numero), d.id});
        ++Qtd_Portas;
    }
}

bool Mdl_Serial::Porta_Presente(const QString& id) const {
    if (!inventario_) return false;
    try {
        return !inventario_->nome_por_id(id).isEmpty();
    } catch (...) {
        return false;
    }
}

} // namespace vantora

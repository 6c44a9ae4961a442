#include "link/mscomm.h"

#include "shell/erro.h"

#include <QSerialPort>
#include <QStringList>

namespace vantora {

ParametrosSerial le_parametros(const QString& texto) {
    const QStringList campos = texto.split(QLatin1Char(','));
    if (campos.size() != 4) throw ErroExecucao(ERRO_PROPRIEDADE);
    ParametrosSerial p;
    bool ok = false;
    p.velocidade = campos[0].trimmed().toInt(&ok);
    if (!ok || p.velocidade < 50 || p.velocidade > 4000000) throw ErroExecucao(ERRO_PROPRIEDADE);
    const QString paridade = campos[1].trimmed().toUpper();
    if (paridade == QLatin1String("N"))
        p.paridade = Paridade::Nenhuma;
    else if (paridade == QLatin1String("E"))
        p.paridade = Paridade::Par;
    else if (paridade == QLatin1String("O"))
        p.paridade = Paridade::Impar;
    else if (paridade == QLatin1String("M"))
        p.paridade = Paridade::Marca;
    else if (paridade == QLatin1String("S"))
        p.paridade = Paridade::Espaco;
    else
        throw ErroExecucao(ERRO_PROPRIEDADE);
    p.bitsDados = campos[2].trimmed().toInt(&ok);
    if (!ok || p.bitsDados < 4 || p.bitsDados > 8) throw ErroExecucao(ERRO_PROPRIEDADE);
    const QString parada = campos[3].trimmed();
    if (parada == QLatin1String("1"))
        p.parada = BitsParada::Um;
    else if (parada == QLatin1String("1.5"))
        p.parada = BitsParada::UmEMeio;
    else if (parada == QLatin1String("2"))
        p.parada = BitsParada::Dois;
    else
        throw ErroExecucao(ERRO_PROPRIEDADE);
    return p;
}

MSComm::MSComm(AberturaPortas* abertura, QObject* pai) : QObject(pai), abertura_(abertura) {
    setObjectName(QStringLiteral("MSComm1"));
}

MSComm::~MSComm() {
    fecha();
}

void MSComm::setCommPort(std::int16_t porta) {
    if (PortOpen()) throw ErroExecucao(ERRO_PORTA_ABERTA);
    if (porta < 1) throw ErroExecucao(ERRO_PORTA_INVALIDA);
    commPort_ = porta;
}

void MSComm::setSettings(const QString& texto) {
    (void)le_parametros(texto);
    settings_ = texto;
}

void MSComm::setPortOpen(bool abrir) {
    if (!abrir) {
        fecha();
        return;
    }
    if (PortOpen()) throw ErroExecucao(ERRO_PORTA_ABERTA);
    if (!abertura_) throw ErroExecucao(ERRO_PORTA_INVALIDA);
    std::unique_ptr<QIODevice> d = abertura_->abre(commPort_, le_parametros(settings_));
    if (!d || !d->isOpen()) throw ErroExecucao(ERRO_SERIAL_HARDWARE);
    entrada_.clear();
    perdida_ = false;
    enviados_ = 0;
    commEvent_ = 0;
    connect(d.get(), &QIODevice::readyRead, this, &MSComm::recebe);
    if (auto* sp = qobject_cast<QSerialPort*>(d.get())) {
        // A pulled adapter reports ResourceError, a hung-up line ReadError (the read
        // finds the end of the line), and either keeps coming for as long as the port
        // stays open: the first one closes the port.
        connect(sp, &QSerialPort::errorOccurred, this, [this, sp](QSerialPort::SerialPortError e) {
            if (e == QSerialPort::ResourceError || e == QSerialPort::ReadError ||
                e == QSerialPort::WriteError)
                perde(sp->errorString());
        });
    } else {
        connect(d.get(), &QIODevice::readChannelFinished, this, [this] { perde(QString()); });
    }
    dispositivo_ = std::move(d);
}

void MSComm::fecha() {
    if (!dispositivo_) return;
    QIODevice* d = dispositivo_.release();
    d->disconnect(this);
    if (auto* sp = qobject_cast<QSerialPort*>(d)) {
        if (sp->error() == QSerialPort::NoError) sp->flush(); // what the last messages queued still goes out
    }
    d->close();
    // This may run inside one of the device's own signals: delete it later.
    d->setParent(this);
    d->deleteLater();
    entrada_.clear();
}

void MSComm::perde(const QString& motivo) {
    Q_UNUSED(motivo);
    if (!dispositivo_ || perdida_) return;
    perdida_ = true;
    fecha();
    commEvent_ = comEventPortaPerdida;
    emit OnComm();
}

int MSComm::InBufferCount() const {
    return int(entrada_.size() + (dispositivo_ ? dispositivo_->bytesAvailable() : 0));
}

void MSComm::setInBufferCount(int n) {
    if (!PortOpen()) throw ErroExecucao(ERRO_PORTA_FECHADA);
    if (n != 0) throw ErroExecucao(ERRO_PROPRIEDADE);
    entrada_.clear();
    if (auto* sp = qobject_cast<QSerialPort*>(dispositivo_.get())) sp->clear(QSerialPort::Input);
    (void)dispositivo_->readAll();
}

int MSComm::OutBufferCount() const {
    return dispositivo_ ? int(dispositivo_->bytesToWrite()) : 0;
}

void MSComm::setOutBufferCount(int n) {
    if (!PortOpen()) throw ErroExecucao(ERRO_PORTA_FECHADA);
    if (n != 0) throw ErroExecucao(ERRO_PROPRIEDADE);
    if (auto* sp = qobject_cast<QSerialPort*>(dispositivo_.get())) sp->clear(QSerialPort::Output);
}

void MSComm::setOutput(const QByteArray& bytes) {
    if (!PortOpen()) throw ErroExecucao(ERRO_PORTA_FECHADA);
    if (dispositivo_->write(bytes) != bytes.size())
        throw ErroExecucao(ERRO_SERIAL_ESCRITA, QStringLiteral("Falha na escrita da porta serial"));
    enviados_ += bytes.size();
}

QByteArray MSComm::Input() {
    const int n = inputLen_ <= 0 ? int(entrada_.size()) : std::min<int>(inputLen_, int(entrada_.size()));
    QByteArray r = entrada_.left(n);
    entrada_.remove(0, n);
    return r;
}

void MSComm::recebe() {
    if (!dispositivo_) return;
    QByteArray novos = dispositivo_->readAll();
    if (nullDiscard_) novos.replace(QByteArray(1, '\0'), QByteArray());
    entrada_.append(novos);
    if (rThreshold_ <= 0) return;
    // One event for each byte that arrived; the handler reads them one at a time.
    for (qsizetype i = 0; i < novos.size() && dispositivo_; ++i) {
        commEvent_ = comEvReceive;
        emit OnComm();
    }
}

} // namespace vantora

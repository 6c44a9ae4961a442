#include "link/mscomm.h"

#include "base/erro.h"

#include <QSerialPort>

namespace vantora {

ParametrosSerial le_parametros(const QString& texto) {
    for (const int velocidade : {9600, 57600}) {
        if (texto.compare(QString::number(velocidade) + QLatin1String(",N,8,1"), Qt::CaseInsensitive) == 0)
            return {velocidade};
    }
    throw ErroExecucao(ERRO_PROPRIEDADE);
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

void MSComm::descarta_e_recebe_por_byte() {
    if (!PortOpen()) throw ErroExecucao(ERRO_PORTA_FECHADA);
    entrada_.clear();
    if (auto* sp = qobject_cast<QSerialPort*>(dispositivo_.get())) sp->clear(QSerialPort::AllDirections);
    (void)dispositivo_->readAll();
    por_byte_ = true;
}

void MSComm::setOutput(const QByteArray& bytes) {
    if (!PortOpen()) throw ErroExecucao(ERRO_PORTA_FECHADA);
    if (dispositivo_->write(bytes) != bytes.size())
        throw ErroExecucao(ERRO_SERIAL_ESCRITA, "Falha na escrita da porta serial");
}

QByteArray MSComm::Input() {
    const int n = por_byte_ ? std::min<int>(1, int(entrada_.size())) : int(entrada_.size());
    QByteArray r = entrada_.left(n);
    entrada_.remove(0, n);
    return r;
}

void MSComm::recebe() {
    if (!dispositivo_) return;
    const QByteArray novos = dispositivo_->readAll();
    entrada_.append(novos);
    if (!por_byte_) return;
    // One event for each byte that arrived; the handler reads them one at a time.
    for (qsizetype i = 0; i < novos.size() && dispositivo_; ++i) {
        commEvent_ = comEvReceive;
        emit OnComm();
    }
}

} // namespace vantora
